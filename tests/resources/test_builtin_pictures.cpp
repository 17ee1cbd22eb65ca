// Pixel checks of the pictures the game draws for itself.
#include "resources/BuiltinPictures.h"

#include <QGuiApplication>
#include <QPixmap>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <utility>

namespace {

constexpr QRgb Black = qRgb(0, 0, 0);
constexpr QRgb DarkGrey = qRgb(128, 128, 128);
constexpr QRgb LightGrey = qRgb(192, 192, 192);
constexpr QRgb White = qRgb(255, 255, 255);
constexpr QRgb Red = qRgb(255, 0, 0);

constexpr int Rows[] = {69, 109, 149, 189};
constexpr int Columns[] = {124, 204, 285, 364};

// Where the triangle's sides ideally are. A rasterised side strays up to half a
// pixel across its minor axis, a little more measured along the other one; a
// ruled line must end within a pixel of the ideal side.
constexpr double Slack = 1.5;
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

bool isArgb32(const QImage& image)
{
    return image.format() == QImage::Format_ARGB32
        || image.format() == QImage::Format_ARGB32_Premultiplied;
}

TEST(BoardBBackground, MarginSunkenFrameAndPalette)
{
    const QImage board = builtin::boardBBackground();
    ASSERT_EQ(board.size(), QSize(473, 253));
    EXPECT_TRUE(isArgb32(board));
    // Any smoothing would leave colours in between.
    EXPECT_EQ(countPixels(board, [](int, int, QRgb c) {
                  return c != Black && c != DarkGrey && c != LightGrey && c != White && c != Red;
              }), 0);

    for (QPoint margin : {QPoint(0, 0), QPoint(13, 126), QPoint(13, 252), QPoint(236, 5), QPoint(472, 5)})
        EXPECT_EQ(board.pixel(margin), LightGrey) << margin.x() << "," << margin.y();
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
    for (QPoint corner : {QPoint(14, 6), QPoint(472, 6), QPoint(14, 252), QPoint(472, 252)})
        EXPECT_EQ(board.pixel(corner), Black) << corner.x() << "," << corner.y();
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
    const QImage board = builtin::boardBBackground();
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

// Every red pixel belongs to a line, and both sides are present on every row.
TEST(BoardBBackground, SidesAreContinuousAndNothingElseIsRed)
{
    const QImage board = builtin::boardBBackground();
    auto listed = [](const int (&lines)[4], int v) { return std::find(std::begin(lines), std::end(lines), v) != std::end(lines); };
    for (int y = 11; y <= 248; ++y) {
        const double left = leftSideX(y);
        const double right = rightSideX(y);
        bool leftSeen = false;
        bool rightSeen = false;
        for (int x = 19; x <= 468; ++x) {
            if (board.pixel(x, y) != Red)
                continue;
            const bool onLeft = std::abs(x - left) <= Slack;
            const bool onRight = std::abs(x - right) <= Slack;
            const bool inside = y >= 26 && x > left - Slack && x < right + Slack;
            const bool ruled = inside && (listed(Rows, y) || listed(Columns, x) || y >= 228);
            leftSeen |= onLeft;
            rightSeen |= onRight;
            ASSERT_TRUE(((onLeft || onRight) && y >= 26) || ruled) << "stray red at " << x << "," << y;
        }
        if (y >= 26 && y <= 228) {
            EXPECT_TRUE(leftSeen && rightSeen) << "side missing on row " << y;
        }
    }
    EXPECT_EQ(board.pixel(244, 129), White);  // between columns 204 and 285, rows 109 and 149
    EXPECT_EQ(board.pixel(30, 100), White);   // beside the triangle
}

TEST(ExactPictures, ScaledUpIsEachPixelRepeated)
{
    for (auto draw : {builtin::boardBBackground, builtin::dragCursor, builtin::dropCursor}) {
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

// A hard-edged disc of `fill`, with nothing but `marks` drawn on it.
void expectDisc(const QImage& cursor, QRgb fill, QRgb marks)
{
    ASSERT_EQ(cursor.size(), QSize(32, 32));
    EXPECT_TRUE(isArgb32(cursor));
    EXPECT_EQ(countPixels(cursor, [&](int, int, QRgb c) { return qAlpha(c) != 0 && c != fill && c != marks; }), 0);
    // Nothing outside 7..23, and the same outline mirrored either way and across the diagonal.
    EXPECT_EQ(countPixels(cursor, [&](int x, int y, QRgb c) {
                  const bool outside = x < 7 || x > 23 || y < 7 || y > 23;
                  const bool lopsided = qAlpha(cursor.pixel(30 - x, y)) != qAlpha(c)
                      || qAlpha(cursor.pixel(x, 30 - y)) != qAlpha(c) || qAlpha(cursor.pixel(y, x)) != qAlpha(c);
                  return qAlpha(c) != 0 && (outside || lopsided);
              }), 0);
    // Reaches 7 and 23 mid-edge, not the box corners; radius 8.5 rather than 8
    // or 9: in at 6,6 and 8,2 from the middle, out at 7,5 and 8,3.
    for (QPoint in : {QPoint(7, 15), QPoint(23, 15), QPoint(15, 7), QPoint(15, 23), QPoint(21, 21), QPoint(23, 17)})
        EXPECT_EQ(qAlpha(cursor.pixel(in)), 255) << in.x() << "," << in.y();
    for (QPoint out : {QPoint(6, 15), QPoint(24, 15), QPoint(15, 6), QPoint(15, 24), QPoint(7, 7),
                       QPoint(22, 20), QPoint(23, 18), QPoint(0, 0), QPoint(31, 31)})
        EXPECT_EQ(qAlpha(cursor.pixel(out)), 0) << out.x() << "," << out.y();
}

TEST(Cursors, DragIsAPlainGreyDiscAndDropALightOneWithRedLetters)
{
    expectDisc(builtin::dragCursor(), DarkGrey, DarkGrey);
    const QImage drop = builtin::dropCursor();
    expectDisc(drop, LightGrey, Red);
    QRect letters;
    const int red = countPixels(drop, [&](int x, int y, QRgb c) {
        if (c != Red)
            return false;
        letters |= QRect(x, y, 1, 1);
        return true;
    });
    EXPECT_GT(red, 20);
    // Centred on the disc and well clear of its rim.
    EXPECT_NEAR(letters.left() + letters.right(), 30, 1);
    EXPECT_NEAR(letters.top() + letters.bottom(), 30, 1);
    EXPECT_TRUE(QRect(9, 10, 13, 11).contains(letters)) << letters.x() << "," << letters.y();
}

TEST(Cursors, CursorKeepsTheRatioAndPointsAtTheMiddle)
{
    for (int scale : {1, 2}) {
        const QCursor cursor = builtin::makeCursor(builtin::dropCursor(scale));
        EXPECT_EQ(cursor.pixmap().devicePixelRatio(), scale);
        EXPECT_EQ(cursor.pixmap().size(), QSize(32, 32) * scale);
        // Device-independent on every platform but X11, which these tests do not run on.
        EXPECT_EQ(cursor.hotSpot(), QPoint(16, 16));
    }
}

TEST(ProgramIcon, EverySizeIsAWhiteTileOfBlackPiecesAndRedLinks)
{
    const QList<QSize> offered = builtin::programIconSet().availableSizes();
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        SCOPED_TRACE(size);
        EXPECT_EQ(offered.contains(QSize(size, size)), size <= 64);
        const QImage icon = builtin::programIcon(size);
        ASSERT_EQ(icon.size(), QSize(size, size));
        EXPECT_TRUE(isArgb32(icon));
        const int last = size - 1;
        for (QPoint corner : {QPoint(0, 0), QPoint(last, 0), QPoint(0, last), QPoint(last, last)})
            EXPECT_EQ(qAlpha(icon.pixel(corner)), 0) << corner.x() << "," << corner.y();
        // Just inside the rim, halfway down the left edge, is white tile.
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
        const QImage title = builtin::titlePicture(scale);
        ASSERT_EQ(title.size(), QSize(250, 220) * scale);
        EXPECT_EQ(title.devicePixelRatio(), scale);
        EXPECT_TRUE(isArgb32(title));
        EXPECT_EQ(title.pixel(2 * scale, 2 * scale), background);
        EXPECT_EQ(title.pixel(247 * scale, 217 * scale), background);
        EXPECT_GT(countPixels(title, [](int, int, QRgb c) { return qGray(c) < 80; }), 1000 * scale * scale)
            << "pieces and name";
    }
}

}  // namespace
