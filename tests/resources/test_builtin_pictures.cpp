// Pixel checks of the pictures the game draws for itself.
#include "board/BoardLayout.h"
#include "resources/BuiltinPictures.h"

#include <QPixmap>

#include <gtest/gtest.h>

namespace {

constexpr QRgb kDarkGrey = qRgb(128, 128, 128);
constexpr QRgb kLightGrey = qRgb(192, 192, 192);
constexpr QRgb kRed = qRgb(255, 0, 0);

template <class Test>
int countPixels(const QImage& image, Test test)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += test(x, y, image.pixel(x, y)) ? 1 : 0;
    return count;
}

TEST(BoardBBackground, EveryHoleSitsOnItsRowsLineAndWhereTheLinesCross)
{
    const QImage board = hop::resources::boardBBackground();
    const auto& b = hop::board::BoardLayout::boardB();
    for (int k = 1; k <= b.holeCount(); ++k) {
        const auto& c = b.cell(k);
        // The middle of the cell, in pixels; a line through it runs along the pixel row above.
        const QPoint centre((2 * c.left + c.width) / 30, (2 * c.top + c.height) / 30);
        EXPECT_GE(countPixels(board.copy(QRect(centre - QPoint(3, 3), QSize(7, 7))),
                              [](int, int, QRgb c) { return c == kRed; }), 5) << "hole " << k;
        if (k == 1)
            continue;  // the apex stands on no row
        for (int dx = -3; dx <= 0; ++dx)  // a row ends where the right side meets it
            EXPECT_EQ(board.pixel(centre.x() + dx, centre.y()), kRed) << "hole " << k << ", " << dx;
    }
}

TEST(Cursors, HardEdgedDiscsPointingAtTheirMiddle)
{
    // A disc 17 pixels across in the middle of 32 x 32: grey to carry, light grey with red "OK" to drop.
    for (auto [cursor, fill, marks] : {std::tuple{hop::resources::dragCursor(), kDarkGrey, kDarkGrey},
                                       std::tuple{hop::resources::dropCursor(), kLightGrey, kRed}}) {
        ASSERT_EQ(cursor.size(), QSize(32, 32));
        EXPECT_EQ(countPixels(cursor, [&](int x, int y, QRgb c) {
                      const bool inDisc = (2 * x - 30) * (2 * x - 30) + (2 * y - 30) * (2 * y - 30) <= 17 * 17;
                      return inDisc ? (c != fill && c != marks) : qAlpha(c) != 0;
                  }), 0);
        EXPECT_GT(countPixels(cursor, [&](int, int, QRgb c) { return c == marks; }), marks == kRed ? 20 : 200);
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
