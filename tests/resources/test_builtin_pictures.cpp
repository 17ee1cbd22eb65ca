// Pixel checks of the pictures the game draws for itself.
#include "board/BoardLayout.h"
#include "resources/BuiltinPictures.h"

#include <QPixmap>

#include <gtest/gtest.h>

namespace {

constexpr QRgb DarkGrey = qRgb(128, 128, 128);
constexpr QRgb LightGrey = qRgb(192, 192, 192);
constexpr QRgb Red = qRgb(255, 0, 0);

template <class Test>
int countPixels(const QImage& image, Test test)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += test(x, y, image.pixel(x, y)) ? 1 : 0;
    return count;
}

// The two ends of the first run of red met walking from `from` by `step`.
std::pair<QPoint, QPoint> redRun(const QImage& image, QPoint from, QPoint step)
{
    while (image.valid(from + step) && image.pixel(from) != Red)
        from += step;
    QPoint to = from;
    while (image.valid(to + step) && image.pixel(to + step) == Red)
        to += step;
    return {from, to};
}

TEST(BoardBBackground, LinesRunUnbrokenBetweenTheTriangleSidesThroughEveryHole)
{
    const QImage board = hop::resources::boardBBackground();
    // The triangle's apex is (242, 26); its base runs from x 42 to 445 on rows 228 and 229.
    EXPECT_TRUE(board.pixel(242, 26) == Red && board.pixel(242, 25) != Red) << "apex";
    for (int y : {69, 109, 149, 189, 228, 229}) {
        const auto [first, last] = redRun(board, QPoint(19, y), QPoint(1, 0));
        const double down = (std::min(y, 228) - 26) / 202.0;
        EXPECT_NEAR(first.x(), 242 - 200 * down, y > 200 ? 0 : 1) << "row " << y;
        EXPECT_NEAR(last.x(), 242 + 203 * down, y > 200 ? 0 : 1) << "row " << y;
    }
    EXPECT_NE(board.pixel(242, 230), Red) << "the base is two pixels thick";
    for (int x : {124, 204, 285, 364}) {
        const auto [top, bottom] = redRun(board, QPoint(x, 11), QPoint(0, 1));
        EXPECT_NEAR(top.y(), 26.0 + 202.0 * (x < 242 ? (242 - x) / 200.0 : (x - 242) / 203.0), 1) << "column " << x;
        EXPECT_EQ(bottom.y(), 229) << "column " << x;
    }
    // Every hole of Board B sits where its lines cross.
    const auto& b = hop::board::BoardLayout::boardB();
    for (int k = 1; k <= b.holeCount(); ++k) {
        const auto& c = b.cell(k);
        const QPoint centre((2 * c.left + c.width) / 30, (2 * c.top + c.height) / 30);
        EXPECT_GE(countPixels(board.copy(QRect(centre - QPoint(3, 3), QSize(7, 7))),
                              [](int, int, QRgb c) { return c == Red; }), 5) << "hole " << k;
    }
}

TEST(ExactPictures, ScaledUpIsEachPixelRepeated)
{
    for (auto draw : {hop::resources::boardBBackground, hop::resources::dragCursor, hop::resources::dropCursor}) {
        const QImage nominal = draw(1);
        for (int scale : {2, 3}) {
            const QImage scaled = draw(scale);
            ASSERT_EQ(scaled.size(), nominal.size() * scale);
            EXPECT_EQ(scaled.devicePixelRatio(), scale);
            EXPECT_EQ(countPixels(scaled, [&](int x, int y, QRgb c) { return c != nominal.pixel(x / scale, y / scale); }), 0)
                << "scale " << scale;
        }
    }
}

TEST(Cursors, HardEdgedDiscsPointingAtTheirMiddle)
{
    // A disc 17 pixels across in the middle of 32 x 32: grey to carry, light grey with red "OK" to drop.
    for (auto [cursor, fill, marks] : {std::tuple{hop::resources::dragCursor(), DarkGrey, DarkGrey},
                                       std::tuple{hop::resources::dropCursor(), LightGrey, Red}}) {
        ASSERT_EQ(cursor.size(), QSize(32, 32));
        EXPECT_EQ(countPixels(cursor, [&](int x, int y, QRgb c) {
                      const bool inDisc = (2 * x - 30) * (2 * x - 30) + (2 * y - 30) * (2 * y - 30) <= 17 * 17;
                      return inDisc ? (c != fill && c != marks) : qAlpha(c) != 0;
                  }), 0);
        EXPECT_GT(countPixels(cursor, [&](int, int, QRgb c) { return c == marks; }), marks == Red ? 20 : 200);
    }
    const QCursor cursor = hop::resources::makeCursor(hop::resources::dropCursor(2));
    EXPECT_EQ(cursor.pixmap().devicePixelRatio(), 2);
    EXPECT_EQ(cursor.hotSpot(), QPoint(16, 16));
}

TEST(ProgramIconAndTitle, DrawnAtEverySizeWithTheirContent)
{
    EXPECT_EQ(hop::resources::programIconSet().availableSizes(), (QList<QSize>{{16, 16}, {24, 24}, {32, 32}, {48, 48}, {64, 64}}));
    for (int size : {16, 64, 256}) {
        const QImage icon = hop::resources::programIcon(size);
        ASSERT_EQ(icon.size(), QSize(size, size));
        EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0) << size;
        const int black = countPixels(icon, [](int, int, QRgb c) { return qAlpha(c) == 255 && qGray(c) < 30; });
        const int red = countPixels(icon, [](int, int, QRgb c) { return qAlpha(c) == 255 && qRed(c) > 180 && qGreen(c) < 50; });
        EXPECT_TRUE(black >= 6 * std::max(5, size * size / 200) && red >= 6) << size << ": six black pieces, red links";
    }
    for (int scale : {1, 2}) {
        const QImage title = hop::resources::titlePicture(scale);
        ASSERT_EQ(title.size(), QSize(250, 220) * scale);
        EXPECT_EQ(title.devicePixelRatio(), scale);
        EXPECT_EQ(title.pixel(2 * scale, 2 * scale), qRgb(0xC8, 0xED, 0xE6));
        EXPECT_GT(countPixels(title, [](int, int, QRgb c) { return qGray(c) < 80; }), 1000 * scale * scale) << scale;
    }
}

}  // namespace
