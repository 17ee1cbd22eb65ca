// The Difficult stages on the real screen, played with the mouse: the roulette and STOP,
// and the finale that closes the screen from inside the last drop.
#include "modes/StageGame.h"
#include "tests/shell/ShellFixture.h"

using namespace hop;
using namespace hop::test;

TEST_F(ShellTest, TheStagesArePlayedThroughTheRouletteToTheFinaleAndStartAfreshWhenOpenedAgain)
{
    float draw = 3.2f / 7.0f;
    shell->setRandomSource([&] { return draw; });
    toMenu();
    shell::PlayScreen* screen = openFromMenu("Command3");
    ASSERT_TRUE(screen);
    auto& stages = static_cast<StageGame&>(screen->game());
    auto clearByMouse = [&] {
        const auto moves = solve(BoardLayout::boardA(), stages.board().occupiedHoles());
        for (const JumpLine& j : moves.value()) {
            QTest::mousePress(screen->hole(j.from), Qt::LeftButton);
            QTest::mouseMove(screen, centreOf(screen, j.to));
            QTest::mouseRelease(screen, Qt::LeftButton, {}, centreOf(screen, j.to));
            if (!shell->play())
                return;  // the finale closed the screen inside the drop
        }
    };
    auto clearUntil = [&](int stage) {
        while (stages.stage() < stage && !stages.retestPending()) {
            startAndReveal(screen);
            clearByMouse();
        }
    };
    clearUntil(8);
    ASSERT_TRUE(stages.retestPending());
    EXPECT_TRUE(screen->controls().overlay(Overlay::RetestMarker)->isVisible());

    QTest::mouseClick(screen->control<QPushButton>(QStringLiteral("Command1")), Qt::LeftButton);
    EXPECT_TRUE(messages.last().startsWith("やっとステージ８まできたか。\r\n"));
    ASSERT_TRUE(screen->controls().overlay(Overlay::RoulettePanel)->isVisible());
    EXPECT_FALSE(screen->inputBlocked());
    EXPECT_EQ(QApplication::focusWidget(), screen->control(QStringLiteral("Command3"))) << "Enter stops it";
    EXPECT_FALSE(screen->control(QStringLiteral("Command1"))->isEnabled());
    screen->game().spinTick();
    EXPECT_EQ(text(screen, "Label12"), "3");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(messages.last(), "よし、ステージ3だな。");
    EXPECT_FALSE(screen->controls().overlay(Overlay::RoulettePanel)->isVisible());
    EXPECT_TRUE(screen->inputBlocked()) << "the reveal follows with input blocked";
    EXPECT_EQ(text(screen, "Label2"), "8");
    while (screen->timer(TimerId::Reveal)->isActive())
        screen->game().revealTick();
    clearByMouse();
    ASSERT_EQ(stages.stage(), 9);

    clearUntil(10);
    messages.clear();
    shell->sounds().clearLog();
    startAndReveal(screen);
    clearByMouse();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith("全ステージクリア！あんたはスゴイ！\r\nパスワードは「")) << messages[0].toStdString();
    EXPECT_FALSE(shell->play());
    settle();
    ASSERT_TRUE(shell->menu());
    EXPECT_TRUE(shell->menu()->isVisible());
    EXPECT_EQ(shell->sounds().log().last(), "001.wav");
    EXPECT_FALSE(QGuiApplication::overrideCursor());
    EXPECT_EQ(quits, 0);
    // Opened again, the stages start afresh at stage 1.
    screen = openFromMenu("Command3");
    EXPECT_EQ(text(screen, "Label7") + "/" + text(screen, "Label2"), "1/4");
}
