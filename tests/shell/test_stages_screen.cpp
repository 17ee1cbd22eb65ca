// The Difficult stages on the real screen: the roulette panel, STOP, and the self-closing finale.
#include "modes/StageGame.h"
#include "tests/shell/ShellFixture.h"
#include "tests/support/Positions.h"

#include <QApplication>

using namespace hop;
using namespace hop::board;
using namespace hop::modes;
using namespace hop::test;

class StagesScreen : public ShellTest {
protected:
    // HOPSTONE_SHOTS=<folder> keeps pictures of the screen at the moments worth looking at.
    void shot(const char* name)
    {
        const QString folder = qEnvironmentVariable("HOPSTONE_SHOTS");
        if (!folder.isEmpty() && shell->play())
            shell->play()->grab().save(folder + "/" + QLatin1String(name) + ".png");
    }

    void SetUp() override
    {
        ShellTest::SetUp();
        shell->setRandomSource([this] { return draw; });
        toMenu();
        screen = openFromMenu("Command3");
        ASSERT_TRUE(screen);
    }

    StageGame& stages() { return static_cast<StageGame&>(screen->game()); }

    // Clears the stage on the board with real mouse drags.
    void clearByMouse()
    {
        const auto moves = solve(BoardLayout::boardA(), screen->game().board().occupiedHoles());
        ASSERT_TRUE(moves);
        for (const JumpLine& j : *moves) {
            QTest::mousePress(screen->hole(j.from), Qt::LeftButton);
            QTest::mouseMove(screen, centreOf(screen, j.to));
            QTest::mouseRelease(screen, Qt::LeftButton, {}, centreOf(screen, j.to));
            if (!shell->play())
                return;  // the finale closed the screen inside the drop
        }
    }

    void clearStagesUntil(int stage)
    {
        while (stages().stage() < stage && !stages().retestPending()) {
            startAndReveal(screen);
            clearByMouse();
        }
    }

    float draw = 3.2f / 7.0f;
    shell::PlayScreen* screen = nullptr;
};

TEST_F(StagesScreen, TheRoulettePanelCoversTheBoardAndOnlyStopReacts)
{
    clearStagesUntil(8);
    ASSERT_TRUE(stages().retestPending());
    auto* marker = screen->control(QStringLiteral("Label9"));
    EXPECT_TRUE(marker->isVisible());
    EXPECT_EQ(marker->geometry(), screen->control(QStringLiteral("Label7"))->geometry());

    messages.clear();
    QTest::mouseClick(screen->control<QPushButton>(QStringLiteral("Command1")), Qt::LeftButton);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith("やっとステージ８まできたか。\r\n"));
    QWidget* panel = screen->control(QStringLiteral("Picture1"));
    ASSERT_TRUE(panel->isVisible());
    screen->game().spinTick();
    shot("roulette");
    EXPECT_FALSE(screen->inputBlocked());
    EXPECT_TRUE(screen->timer(TimerId::Spin)->isActive());
    EXPECT_EQ(QApplication::focusWidget(), screen->control(QStringLiteral("Command3"))) << "Enter stops it";
    // Whatever lies under the panel is hidden from the mouse and the eye.
    for (const QPoint p : {centreOf(screen, 1), centreOf(screen, 13), centreOf(screen, 21),
                           screen->control(QStringLiteral("Label7"))->geometry().center(),
                           screen->control(QStringLiteral("Command2"))->geometry().center()}) {
        QWidget* top = screen->childAt(p);
        EXPECT_TRUE(top == panel || panel->isAncestorOf(top)) << p.x() << "," << p.y();
    }
    EXPECT_FALSE(screen->control(QStringLiteral("Command1"))->isEnabled());
    EXPECT_FALSE(screen->control(QStringLiteral("Command2"))->isEnabled());

    screen->game().spinTick();
    EXPECT_EQ(text(screen, "Label12"), "3");
    shot("roulette-3");
    QTest::mouseClick(screen->control<QPushButton>(QStringLiteral("Command3")), Qt::LeftButton);
    EXPECT_EQ(messages.last(), "よし、ステージ3だな。");
    EXPECT_FALSE(panel->isVisible());
    EXPECT_TRUE(screen->inputBlocked()) << "the reveal follows with input blocked";
    EXPECT_TRUE(screen->timer(TimerId::Reveal)->isActive());
    EXPECT_EQ(text(screen, "Label2"), "8");
    while (screen->timer(TimerId::Reveal)->isActive())
        screen->game().revealTick();
    shot("retest-board");
}

TEST_F(StagesScreen, ClearingStageTenClosesTheScreenFromInsideTheDropAndBringsTheMenu)
{
    clearStagesUntil(8);
    draw = 0.9f / 7.0f;  // stage 1, the quickest re-test
    QTest::mouseClick(screen->control<QPushButton>(QStringLiteral("Command1")), Qt::LeftButton);
    screen->game().spinTick();
    QTest::mouseClick(screen->control<QPushButton>(QStringLiteral("Command3")), Qt::LeftButton);
    while (screen->timer(TimerId::Reveal)->isActive())
        screen->game().revealTick();
    clearByMouse();
    ASSERT_EQ(stages().stage(), 9);
    startAndReveal(screen);
    shot("stage9");
    clearByMouse();
    clearStagesUntil(10);
    ASSERT_EQ(stages().stage(), 10);
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
}
