// Pixel checks of the pictures the game draws for itself.
#include "board/BoardLayout.h"
#include "resources/BuiltinPictures.h"

#include <QPixmap>

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr QRgb Black = qRgb(0, 0, 0);
constexpr QRgb DarkGrey = qRgb(128, 128, 128);
constexpr QRgb LightGrey = qRgb(192, 192, 192);
constexpr QRgb White = qRgb(255, 255, 255);
constexpr QRgb Red = qRgb(255, 0, 0);

constexpr int Rows[] = {69, 109, 149, 189};
constexpr int Columns[] = {124, 204, 285, 364};

// Where the triangle's sides ideally are; a ruled line ends within a pixel of them.
constexpr double EndSlack = 1.0;
double leftSideX(int y) { return 242.0 - 200.0 * (y - 26) / 202.0; }
double rightSideX(int y) { return 242.0 + 203.0 * (y - 26) / 202.0; }
double sideYAtColumn(int x)
{
    return x < 242 ? 26.0 + 202.0 * (242 - x) / 200.0 : 26.0 + 202.0 * (x - 242) / 203.0;
}

template <class Test>
int countPixels(const QImage& image, Test test)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += test(x, y, image.pixel(x, y)) ? 1 : 0;
    return count;
}

TEST(BoardBBackground, MarginSunkenFrameAndPalette)
{
    const QImage board = hop::resources::boardBBackground();
    ASSERT_EQ(board.size(), QSize(473, 253));
    // Any smoothing would leave colours in between.
    EXPECT_EQ(countPixels(board, [](int, int, QRgb c) {
                  return c != Black && c != DarkGrey && c != LightGrey && c != White && c != Red;
              }), 0);

    EXPECT_EQ(board.pixel(13, 126), LightGrey);
    EXPECT_EQ(board.pixel(236, 5), LightGrey);
    const QRgb topLeft[] = {Black, Black, DarkGrey, DarkGrey, LightGrey, White};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(board.pixel(14 + i, 126), topLeft[i]) << "left edge, x " << 14 + i;
        EXPECT_EQ(board.pixel(236, 6 + i), topLeft[i]) << "top edge, y " << 6 + i;
    }
    const QRgb bottomRight[] = {Black, Black, LightGrey, LightGrey, White};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(board.pixel(472 - i, 126), bottomRight[i]) << "right edge, x " << 472 - i;
        EXPECT_EQ(board.pixel(236, 252 - i), bottomRight[i]) << "bottom edge, y " << 252 - i;
    }
    EXPECT_EQ(board.pixel(19, 11), White);
    EXPECT_EQ(board.pixel(468, 248), White);
}

// The first run of red met walking from `from` by `step`: its two ends.
std::pair<QPoint, QPoint> redRun(const QImage& image, QPoint from, QPoint step)
{
    while (image.valid(from + step) && image.pixel(from) != Red)
        from += step;
    QPoint to = from;
    while (image.valid(to + step) && image.pixel(to + step) == Red)
        to += step;
    return {from, to};
}

TEST(BoardBBackground, LinesRunUnbrokenBetweenTheirEnds)
{
    const QImage board = hop::resources::boardBBackground();
    EXPECT_EQ(board.pixel(242, 26), Red);
    EXPECT_EQ(board.pixel(242, 25), White);
    for (int y : {228, 229}) {
        const auto [first, last] = redRun(board, QPoint(19, y), QPoint(1, 0));
        EXPECT_EQ(first.x(), 42) << "base row " << y;
        EXPECT_EQ(last.x(), 445) << "base row " << y;
    }
    EXPECT_EQ(board.pixel(242, 227), White);
    EXPECT_EQ(board.pixel(242, 230), White);

    for (int y : Rows) {
        const auto [first, last] = redRun(board, QPoint(19, y), QPoint(1, 0));
        EXPECT_NEAR(first.x(), leftSideX(y), EndSlack) << "row " << y;
        EXPECT_NEAR(last.x(), rightSideX(y), EndSlack) << "row " << y;
        EXPECT_EQ(board.pixel(last.x() + 1, y), White) << "row " << y;
    }
    for (int x : Columns) {
        const auto [top, bottom] = redRun(board, QPoint(x, 11), QPoint(0, 1));
        EXPECT_NEAR(top.y(), sideYAtColumn(x), EndSlack) << "column " << x;
        EXPECT_EQ(bottom.y(), 229) << "column " << x;
    }
}

TEST(BoardBBackground, EveryHoleOfBoardBSitsOnItsRedLines)
{
    const QImage board = hop::resources::boardBBackground();
    const auto& b = hop::board::BoardLayout::boardB();
    for (int k = 1; k <= b.holeCount(); ++k) {
        const auto& c = b.cell(k);
        const QPoint centre((2 * c.left + c.width) / 30, (2 * c.top + c.height) / 30);
        int red = 0;
        for (int dx = -3; dx <= 3; ++dx)
            for (int dy = -3; dy <= 3; ++dy)
                red += board.pixel(centre + QPoint(dx, dy)) == Red;
        EXPECT_GE(red, 5) << "hole " << k;
    }
}

TEST(ExactPictures, ScaledUpIsEachPixelRepeated)
{
    for (auto draw : {hop::resources::boardBBackground, hop::resources::dragCursor, hop::resources::dropCursor}) {
        const QImage nominal = draw(1);
        EXPECT_EQ(nominal.devicePixelRatio(), 1.0);
        for (int scale : {2, 3}) {
            const QImage scaled = draw(scale);
            ASSERT_EQ(scaled.size(), nominal.size() * scale);
            EXPECT_EQ(scaled.devicePixelRatio(), scale);
            EXPECT_EQ(countPixels(scaled, [&](int x, int y, QRgb c) {
                          return c != nominal.pixel(x / scale, y / scale);
                      }), 0) << "scale " << scale;
        }
    }
}

// A hard-edged disc 17 pixels across in the middle of 32 x 32, of `fill` with only `marks` on it.
void expectDisc(const QImage& cursor, QRgb fill, QRgb marks)
{
    ASSERT_EQ(cursor.size(), QSize(32, 32));
    EXPECT_EQ(countPixels(cursor, [&](int x, int y, QRgb c) {
                  const bool inDisc = (2 * x - 30) * (2 * x - 30) + (2 * y - 30) * (2 * y - 30) <= 17 * 17;
                  return inDisc ? (c != fill && c != marks) : qAlpha(c) != 0;
              }), 0);
}

TEST(Cursors, DragIsAPlainGreyDiscAndDropALightOneWithRedLetters)
{
    expectDisc(hop::resources::dragCursor(), DarkGrey, DarkGrey);
    const QImage drop = hop::resources::dropCursor();
    expectDisc(drop, LightGrey, Red);
    EXPECT_GT(countPixels(drop, [](int, int, QRgb c) { return c == Red; }), 20) << "the letters OK";
}

TEST(Cursors, CursorKeepsTheRatioAndPointsAtTheMiddle)
{
    for (int scale : {1, 2}) {
        const QCursor cursor = hop::resources::makeCursor(hop::resources::dropCursor(scale));
        EXPECT_EQ(cursor.pixmap().devicePixelRatio(), scale);
        EXPECT_EQ(cursor.pixmap().size(), QSize(32, 32) * scale);
        // Device-independent on every platform but X11, which these tests do not run on.
        EXPECT_EQ(cursor.hotSpot(), QPoint(16, 16));
    }
}

TEST(ProgramIcon, EverySizeIsAWhiteTileOfBlackPiecesAndRedLinks)
{
    const QList<QSize> offered = hop::resources::programIconSet().availableSizes();
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        SCOPED_TRACE(size);
        EXPECT_EQ(offered.contains(QSize(size, size)), size <= 64);
        const QImage icon = hop::resources::programIcon(size);
        ASSERT_EQ(icon.size(), QSize(size, size));
        EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0) << "transparent corners";
        EXPECT_EQ(icon.pixel(std::max(2, size / 16), size / 2), White);
        const int black = countPixels(icon, [](int, int, QRgb c) {
            return qAlpha(c) == 255 && qRed(c) < 30 && qGreen(c) < 30 && qBlue(c) < 30;
        });
        const int red = countPixels(icon, [](int, int, QRgb c) {
            return qAlpha(c) == 255 && qRed(c) > 180 && qGreen(c) < 50 && qBlue(c) < 50;
        });
        EXPECT_GE(black, 6 * std::max(5, size * size / 200)) << "six pieces";
        EXPECT_GE(red, 6) << "the links";
    }
}

TEST(TitlePicture, SizeBackgroundAndContent)
{
    const QRgb background = qRgb(0xC8, 0xED, 0xE6);
    for (int scale : {1, 2}) {
        SCOPED_TRACE(scale);
        const QImage title = hop::resources::titlePicture(scale);
        ASSERT_EQ(title.size(), QSize(250, 220) * scale);
        EXPECT_EQ(title.devicePixelRatio(), scale);
        EXPECT_EQ(title.pixel(2 * scale, 2 * scale), background);
        EXPECT_GT(countPixels(title, [](int, int, QRgb c) { return qGray(c) < 80; }), 1000 * scale * scale)
            << "pieces and name";
    }
}

}  // namespace
