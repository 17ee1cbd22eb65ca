// At device pixel ratio 2 the board and the pieces are repeated pixels, never smoothed.
#include "resources/BuiltinPictures.h"
#include "resources/PictureFile.h"
#include "shell/PictureCell.h"
#include "shell/PlayScreen.h"
#include "shell/Shell.h"

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <set>

using namespace hop;
using namespace hop::board;
using namespace hop::modes;

class HiDpi : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir::setCurrent(QStringLiteral(HOPSTONE_GAME_DIR));
        shell.sounds().setMuted(true);
        shell.openPlay(modes::Mode::BoardB);
        screen = shell.play();
        ASSERT_TRUE(screen);
        ASSERT_DOUBLE_EQ(screen->devicePixelRatioF(), 2.0) << "run with QT_SCALE_FACTOR=2";
        screen->control<QPushButton>(QStringLiteral("Command1"))->click();
        while (screen->timer(TimerId::Reveal)->isActive())
            screen->game().revealTick();
        shot = screen->grab().toImage().convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(shot.size(), screen->size() * 2);
    }

    shell::Shell shell;
    shell::PlayScreen* screen = nullptr;
    QImage shot;
};

TEST_F(HiDpi, TheBoardPictureIsEachPixelRepeatedTwiceByTwice)
{
    const QImage board = hop::resources::boardBBackground(1).convertToFormat(QImage::Format_RGB32);
    int compared = 0;
    // Rows between the labels and the first holes, and the frame at the bottom.
    for (int y : {5, 12, 35, 60, 248, 252}) {
        for (int x = 0; x < board.width(); ++x) {
            if (screen->childAt(x, y))
                continue;
            for (int dy = 0; dy < 2; ++dy)
                for (int dx = 0; dx < 2; ++dx)
                    ASSERT_EQ(shot.pixel(2 * x + dx, 2 * y + dy), board.pixel(x, y)) << x << "," << y;
            ++compared;
        }
    }
    EXPECT_GT(compared, 1500);
}

TEST_F(HiDpi, APieceIsStretchedWithoutBlendingItsColours)
{
    const resources::LoadedPicture koma = resources::readPictureFile(QStringLiteral("koma.kzt"));
    ASSERT_TRUE(koma.ok());
    std::set<QRgb> palette;
    const QImage source = koma.image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x)
            palette.insert(source.pixel(x, y));
    const QRect cell = screen->hole(5)->geometry();
    ASSERT_TRUE(screen->hole(5)->hasPicture());
    int foreign = 0;
    for (int y = 2 * cell.top(); y < 2 * cell.bottom() + 2; ++y)
        for (int x = 2 * cell.left(); x < 2 * cell.right() + 2; ++x)
            foreign += palette.count(shot.pixel(x, y)) ? 0 : 1;
    EXPECT_EQ(foreign, 0) << "smoothing would mix colours that the piece picture does not have";
}

int main(int argc, char** argv)
{
    // Every screen of this program is a HiDPI screen.
    qputenv("QT_SCALE_FACTOR", "2");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
