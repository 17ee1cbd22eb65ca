// Which events click: a scripted visit to every screen, with every event that may sound.
#include "tests/shell/ShellFixture.h"

using namespace hop;
using namespace hop::board;
using namespace hop::modes;
using namespace hop::test;

namespace {

QStringList clicks(int n)
{
    return QStringList(n, QStringLiteral("001.wav"));
}

} // namespace

TEST_F(ShellTest, EverySoundPlaceClicksOnceAndNothingElseSounds)
{
    toMenu();
    EXPECT_EQ(shell->sounds().log(), (QStringList{"op.wav", "001.wav"}));

    const struct {
        const char* button;
        int holes;
        int from, to;  // one legal opening move
    } modes[] = {{"Command1", 21, 4, 1}, {"Command2", 23, 7, 1}, {"Command3", 21, 8, 10}};
    for (const auto& m : modes) {
        shell->sounds().clearLog();
        shell::PlayScreen* screen = openFromMenu(m.button);
        ASSERT_TRUE(screen);
        EXPECT_EQ(shell->sounds().log(), clicks(1)) << "the menu button";
        startAndReveal(screen);
        EXPECT_EQ(shell->sounds().log(), clicks(2 + m.holes)) << "START and each hole of the reveal";
        screen->game().countdownTick();
        screen->game().countdownTick();
        EXPECT_EQ(shell->sounds().log(), clicks(4 + m.holes)) << "each second of the clock";
        QTest::mousePress(screen->hole(m.from), Qt::LeftButton);
        QTest::mouseRelease(screen, Qt::LeftButton, {}, centreOf(screen, m.to));
        ASSERT_EQ(text(screen, "N" + QString::number(m.to).rightJustified(2, '0').toLatin1()), "1") << "the move was made";
        QTest::mouseClick(screen->control<QPushButton>(QStringLiteral("Command2")), Qt::LeftButton);
        EXPECT_EQ(shell->sounds().log(), clicks(4 + m.holes)) << "moves and Giveup are silent";
        screen->close();
        settle();
        EXPECT_EQ(shell->sounds().log(), clicks(5 + m.holes)) << "closing the screen";
    }

    shell->sounds().clearLog();
    QTest::mouseClick(shell->menu()->control<QPushButton>(QStringLiteral("Command4")), Qt::LeftButton);
    settle();
    ASSERT_TRUE(shell->version());
    shell->version()->close();
    settle();
    EXPECT_EQ(shell->sounds().log(), clicks(1)) << "the version window itself is silent";
    QTest::mouseClick(shell->menu()->control<QPushButton>(QStringLiteral("Command5")), Qt::LeftButton);
    EXPECT_EQ(shell->sounds().log(), clicks(2));
    EXPECT_TRUE(messages.isEmpty());
}
