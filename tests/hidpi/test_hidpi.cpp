// At device pixel ratio 2 the board and the pieces are repeated pixels, never smoothed.
#include "resources/BuiltinPictures.h"
#include "resources/PictureFile.h"
#include "tests/shell/ShellFixture.h"

#include <set>

using namespace hop;
using namespace hop::test;

// Every screen of this program is a HiDPI screen: set before the shared main makes the application.
static const bool twiceAsDense = qputenv("QT_SCALE_FACTOR", "2");

TEST_F(ShellTest, TheBoardAndAPieceAreEachPixelRepeatedTwiceByTwice)
{
    shell->openPlay(modes::Mode::BoardB);
    shell::PlayScreen* screen = shell->play();
    ASSERT_TRUE(screen && screen->devicePixelRatioF() == 2.0);
    startAndReveal(screen);
    const QImage shot = screen->grab().toImage().convertToFormat(QImage::Format_RGB32);

    // Rows between the labels and the first holes, and the frame at the bottom.
    const QImage board = hop::resources::boardBBackground(1).convertToFormat(QImage::Format_RGB32);
    int compared = 0;
    for (int y : {5, 12, 35, 60, 248, 252}) {
        for (int x = 0; x < board.width(); ++x) {
            if (screen->childAt(x, y))
                continue;
            for (int d = 0; d < 4; ++d)
                ASSERT_EQ(shot.pixel(2 * x + d % 2, 2 * y + d / 2), board.pixel(x, y)) << x << "," << y;
            ++compared;
        }
    }
    EXPECT_GT(compared, 1500);

    // Smoothing would mix colours that the piece picture does not have.
    const QImage koma = resources::readPictureFile(QStringLiteral("koma.kzt")).image.convertToFormat(QImage::Format_RGB32);
    const auto* first = reinterpret_cast<const QRgb*>(koma.constBits());
    const std::set<QRgb> palette(first, first + koma.width() * koma.height());
    const QRect cell = screen->hole(5)->geometry();
    ASSERT_TRUE(screen->hole(5)->hasPicture() && !koma.isNull());
    for (int y = 2 * cell.top(); y < 2 * cell.bottom() + 2; ++y)
        for (int x = 2 * cell.left(); x < 2 * cell.right() + 2; ++x)
            ASSERT_TRUE(palette.count(shot.pixel(x, y))) << x << "," << y;
}
