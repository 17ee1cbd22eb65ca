// Title, menu, play screens and version window: which screen is open after each event.
#include "tests/shell/ShellFixture.h"

#include <QFile>
#include <QKeyEvent>
#include <QTextBrowser>
#include <QWindow>

using namespace hop;
using namespace hop::board;
using namespace hop::modes;
using namespace hop::test;

namespace {

void closeBox(QWidget* w)
{
    // What the window manager's close button sends.
    QCloseEvent e;
    QCoreApplication::sendEvent(w, &e);
}

} // namespace

TEST_F(ShellTest, TitleClickOpensTheMenuWithTheClickAfterTheOpeningSound)
{
    shell->start();
    ASSERT_TRUE(shell->title());
    EXPECT_TRUE(shell->title()->isVisible());
    EXPECT_EQ(shell->sounds().log(), QStringList{"op.wav"});
    auto* picture = shell->title()->control<shell::PictureCell>(QStringLiteral("Image1"));
    // Only a left click closes the title: not a right press, nor a press let go off the picture.
    QTest::mousePress(picture, Qt::RightButton);
    QTest::mouseRelease(picture, Qt::RightButton);
    QTest::mousePress(picture, Qt::LeftButton);
    QTest::mouseRelease(picture, Qt::LeftButton, {}, QPoint(-5, -5));
    settle();
    ASSERT_TRUE(shell->title());
    EXPECT_FALSE(shell->menu());
    QTest::mouseClick(picture, Qt::LeftButton);
    settle();
    EXPECT_FALSE(shell->title());
    ASSERT_TRUE(shell->menu());
    EXPECT_EQ(shell->sounds().log(), (QStringList{"op.wav", "001.wav"}));
    // Enter on the menu opens Board A: the focus starts on its button.
    EXPECT_EQ(QApplication::focusWidget(), shell->menu()->control(QStringLiteral("Command1")));
}

TEST_F(ShellTest, EachModeButtonOpensItsScreenAndTheCloseBoxBringsANewMenu)
{
    toMenu();
    const struct {
        const char* button;
        const char* screen;
        const char* count;
    } modes[] = {{"Command1", "Form2", "20"}, {"Command2", "Form1", "22"}, {"Command3", "Form3", "4"}};
    for (const auto& m : modes) {
        shell->sounds().clearLog();
        shell::PlayScreen* screen = openFromMenu(m.button);
        ASSERT_TRUE(screen) << m.button;
        EXPECT_FALSE(shell->menu());
        EXPECT_EQ(screen->objectName(), m.screen);
        EXPECT_EQ(screen->windowTitle(), "Hopstone");
        EXPECT_EQ(text(screen, "Label2"), m.count);
        EXPECT_EQ(QApplication::focusWidget(), screen->control(QStringLiteral("Command1"))) << "START has the focus";
        for (int k = 1; screen->hole(k); ++k)
            EXPECT_FALSE(screen->hole(k)->isVisible());
        closeBox(screen);
        settle();
        EXPECT_FALSE(shell->play());
        ASSERT_TRUE(shell->menu());
        EXPECT_EQ(shell->sounds().log(), (QStringList{"001.wav", "001.wav"}));
    }
    EXPECT_EQ(quits, 0) << "a transition never ends the program";
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(ShellTest, ThePlayScreenIgnoresItsCloseBoxWhileTheHolesAreRevealed)
{
    toMenu();
    shell::PlayScreen* screen = openFromMenu("Command1");
    QTest::mouseClick(screen->control<QPushButton>(QStringLiteral("Command1")), Qt::LeftButton);
    ASSERT_TRUE(screen->inputBlocked());
    EXPECT_TRUE(screen->control(QStringLiteral("Label4"))->isEnabled()) << "nothing greys";
    closeBox(screen);
    settle();
    EXPECT_EQ(shell->play(), screen);
    EXPECT_TRUE(screen->isVisible());
    while (screen->timer(TimerId::Reveal)->isActive())
        screen->game().revealTick();
    EXPECT_FALSE(screen->inputBlocked());
    EXPECT_TRUE(screen->timer(TimerId::Countdown)->isActive());
    closeBox(screen);
    settle();
    EXPECT_FALSE(shell->play());
    EXPECT_TRUE(shell->menu());
}

TEST_F(ShellTest, TheVersionWindowHoldsTheMenuUntilEnterOrEscapeClosesIt)
{
    toMenu();
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        QTest::mouseClick(shell->menu()->control<QPushButton>(QStringLiteral("Command4")), Qt::LeftButton);
        settle();
        ASSERT_TRUE(shell->version());
        EXPECT_EQ(shell->version()->windowTitle(), "バージョン情報");
        EXPECT_EQ(QApplication::focusWidget(), shell->version()->control(QStringLiteral("Picture1")));
        EXPECT_TRUE(shell->version()->control<shell::PictureCell>(QStringLiteral("Picture1"))->hasPicture());
        // The menu ignores the player but keeps its look.
        ASSERT_TRUE(shell->menu()->inputBlocked());
        QWidget* boardA = shell->menu()->control(QStringLiteral("Command1"));
        EXPECT_TRUE(boardA->isEnabled());
        QTest::mouseClick(boardA, Qt::LeftButton);
        QTest::keyClick(boardA, Qt::Key_Space);
        closeBox(shell->menu());
        settle();
        EXPECT_FALSE(shell->play());
        ASSERT_TRUE(shell->menu());
        EXPECT_EQ(quits, 0);
        QTest::keyClick(shell->version()->control(QStringLiteral("Picture1")), key);
        settle();
        EXPECT_FALSE(shell->version());
        EXPECT_FALSE(shell->menu()->inputBlocked());
        // The keyboard carries on where it left the menu.
        EXPECT_EQ(QApplication::focusWidget(), shell->menu()->control(QStringLiteral("Command4")));
    }
    EXPECT_EQ(shell->sounds().log(), (QStringList{"op.wav", "001.wav", "001.wav", "001.wav"}));
}

TEST_F(ShellTest, TheQuitButtonAndTheMenusCloseBoxEndTheProgram)
{
    toMenu();
    QTest::mouseClick(shell->menu()->control<QPushButton>(QStringLiteral("Command5")), Qt::LeftButton);
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(shell->sounds().log().last(), "001.wav");
    closeBox(shell->menu());
    settle();
    EXPECT_EQ(quits, 2);
}

TEST_F(ShellTest, AMissingPictureFileGivesAMessageAndTheMenuBack)
{
    toMenu();
    const QString folder = useScratchFolder();
    QFile::remove(folder + "/back.kzt");
    EXPECT_FALSE(openFromMenu("Command1"));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains("back.kzt")) << messages[0].toStdString();
    EXPECT_TRUE(messages[0].contains("見つかりません")) << messages[0].toStdString();
    ASSERT_TRUE(shell->menu());
    // Board B needs only the piece picture.
    ASSERT_TRUE(openFromMenu("Command2"));
    closeBox(shell->play());
    settle();
    QFile::remove(folder + "/koma.kzt");
    EXPECT_FALSE(openFromMenu("Command2"));
    ASSERT_EQ(messages.size(), 2);
    EXPECT_TRUE(messages[1].contains("koma.kzt"));
    EXPECT_TRUE(shell->menu());
    EXPECT_EQ(quits, 0);
}

TEST_F(ShellTest, ReopeningTheStagesStartsAtStageOne)
{
    toMenu();
    shell::PlayScreen* screen = openFromMenu("Command3");
    startAndReveal(screen);
    for (auto [from, to] : {std::pair{8, 10}, {18, 9}, {10, 8}}) {
        QTest::mousePress(screen->hole(from), Qt::LeftButton);
        QTest::mouseRelease(screen, Qt::LeftButton, {}, centreOf(screen, to));
    }
    EXPECT_EQ(text(screen, "Label7"), "2");
    EXPECT_EQ(messages, QStringList{"ステージ1クリア！\r\n次のステージへ進みます。"});
    closeBox(screen);
    settle();
    screen = openFromMenu("Command3");
    EXPECT_EQ(text(screen, "Label7"), "1");
    EXPECT_EQ(text(screen, "Label2"), "4");
    EXPECT_EQ(text(screen, "TIM"), "60");
}

TEST_F(ShellTest, AfterAGameEndsEnterStartsTheNextAndNeverGivesUp)
{
    toMenu();
    shell::PlayScreen* screen = openFromMenu("Command2");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    while (screen->timer(TimerId::Reveal)->isActive())
        screen->game().revealTick();
    ASSERT_TRUE(screen->timer(TimerId::Countdown)->isActive());
    // The keyboard cannot give the running game up by accident.
    EXPECT_NE(QApplication::focusWidget(), screen->control(QStringLiteral("Command2")));
    QTest::mouseClick(screen->control<QPushButton>(QStringLiteral("Command2")), Qt::LeftButton);
    EXPECT_EQ(QApplication::focusWidget(), screen->control(QStringLiteral("Command1")));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_TRUE(screen->timer(TimerId::Reveal)->isActive());
}

TEST_F(ShellTest, F1OpensOneHelpWindowWithTheMasteryTopic)
{
    toMenu();
    QTest::keyClick(shell->menu(), Qt::Key_F1);
    ASSERT_TRUE(shell->help());
    QWidget* help = shell->help();
    const QString text = help->findChild<QTextBrowser*>(QStringLiteral("HelpText"))->toPlainText();
    EXPECT_TRUE(text.contains("目指せ！ゲームマスター"));
    EXPECT_TRUE(text.contains("パスワード"));
    EXPECT_FALSE(help->frameGeometry().intersects(shell->menu()->frameGeometry())) << "help stands beside the game";
    EXPECT_TRUE(shell->menu()->screen()->availableGeometry().contains(help->frameGeometry()));
    // From a play screen too, and still one window.
    shell::PlayScreen* screen = openFromMenu("Command2");
    QTest::keyClick(screen, Qt::Key_F1);
    EXPECT_EQ(shell->help(), help);
    QTest::keyClick(help->findChild<QTextBrowser*>(), Qt::Key_Escape);
    EXPECT_FALSE(help->isVisible());
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(shell->sounds().log(), (QStringList{"op.wav", "001.wav", "001.wav"})) << "help is silent";
}
