// The real screens as a player uses them: which screen is open and which sound started
// after each event, a drag watched through its cursor; and the game clock's timetable on a
// clock of the test's own.
#include "modes/StageGame.h"
#include "resources/BuiltinPictures.h"
#include "shell/SteadyTimer.h"
#include "tests/shell/ShellFixture.h"

#include "modes/Texts.h"

#include <QAccessible>
#include <QFile>
#include <QTemporaryDir>
#include <QTextBrowser>

using namespace hop;
using namespace hop::test;

namespace {

QPushButton* button(QWidget* screen, const char* name) { return screen->findChild<QPushButton*>(QLatin1String(name)); }

QAccessible::State stateOf(QWidget* w) { return QAccessible::queryAccessibleInterface(w)->state(); }
QString said(QWidget* w) { return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name); }

// A key struck where the keyboard is.
void key(Qt::Key k) { QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : QApplication::activeWindow(), k); }

// A key held down: X repeats it as a release and a press with one time stamp each time.
void repeatKey(QWidget* w, Qt::Key key, ulong time)
{
    for (QEvent::Type type : {QEvent::KeyRelease, QEvent::KeyPress}) {
        QKeyEvent event(type, key, Qt::NoModifier);
        event.setTimestamp(time);
        QApplication::sendEvent(w, &event);
    }
}

// Qt's accessibility bridge once a screen reader listens: it takes every key event first
// and sends on a copy without its time stamp. Whether Orca shows a guard left behind it
// depends on how X's repeats reach Qt, so the bridge is stood in for here.
struct KeyBridge : QObject {
    bool eventFilter(QObject* to, QEvent* e) override
    {
        const auto* key = dynamic_cast<QKeyEvent*>(e);
        if (!key || !key->timestamp())
            return false;
        QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->text(), key->isAutoRepeat());
        return QApplication::sendEvent(to, &copy), true;
    }
};

// The cursor shown (by default), or the one made of a picture, as one kind of image.
QImage cursorImage(const QCursor* c = QGuiApplication::overrideCursor()) { return c ? c->pixmap().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied) : QImage(); }

} // namespace

TEST_F(ShellTest, TheTitleOpensTheMenuAndEachModeItsScreenWithItsSoundsAndNothingElse)
{
    shell->start();
    auto* picture = shell->title()->control<shell::PictureCell>(QStringLiteral("Image1"));
    QKeyEvent held(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(shell->title(), &held);
    // Only a left click closes the title: not a right press, nor a press let go off the picture.
    QTest::mouseClick(picture, Qt::RightButton);
    QTest::mousePress(picture, Qt::LeftButton);
    QTest::mouseRelease(picture, Qt::LeftButton, {}, QPoint(-5, -5));
    settle();
    ASSERT_TRUE(shell->title());
    QTest::mouseClick(picture, Qt::LeftButton);
    settle();
    EXPECT_FALSE(shell->title());
    ASSERT_TRUE(shell->menu());
    EXPECT_EQ(played, (QStringList{"op.wav", "001.wav"}));
    KeyBridge bridge;  // a screen reader started after the game
    qApp->installEventFilter(&bridge);
    QAccessible::setActive(true);
    settle();
    repeatKey(button(shell->menu(), "Command1"), Qt::Key_Return, 2000);  // a key held from the title
    QAccessible::setActive(false);
    settle();
    ASSERT_TRUE(shell->menu());

    // Each with one legal opening move, from and to; Board B's 120 seconds go by in 117.6.
    const struct { const char* button; int holes, from, to, clockMs; } modes[] = {{"Command1", 21, 4, 1, 1000}, {"Command2", 23, 7, 1, 980}, {"Command3", 21, 8, 10, 1000}};
    for (const auto& m : modes) {
        SCOPED_TRACE(m.button);
        played.clear();
        const QString name = button(shell->menu(), m.button)->text();
        shell::PlayScreen* screen = openFromMenu(m.button);
        ASSERT_TRUE(screen);
        EXPECT_FALSE(shell->menu());
        EXPECT_EQ(screen->windowTitle(), "Hopstone");
        EXPECT_EQ(QAccessible::queryAccessibleInterface(screen)->text(QAccessible::Name), name);
        repeatKey(button(screen, "Command1"), Qt::Key_Return, 3000);  // held from the menu: START stays up
        EXPECT_FALSE(screen->inputBlocked());
        QTest::mouseClick(button(screen, "Command1"), Qt::LeftButton);
        ASSERT_TRUE(screen->inputBlocked());
        closeBox(screen);  // ignored while the holes are revealed
        settle();
        ASSERT_EQ(shell->play(), screen);
        finishReveal(screen);
        EXPECT_NEAR(screen->timer(TimerId::Countdown)->interval(), m.clockMs, 1) << "the clock runs at the mode's pace";
        screen->game().countdownTick();
        screen->game().countdownTick();
        QTest::mousePress(screen->hole(m.from), Qt::LeftButton);
        QTest::mouseRelease(screen, Qt::LeftButton, {}, centreOf(screen, m.to));
        ASSERT_EQ(screen->game().board().hole(m.to), 1) << "the move was made";
        QTest::mouseClick(button(screen, "Command2"), Qt::LeftButton);
        EXPECT_EQ(played, QStringList(4 + m.holes, "001.wav"))
            << "the menu button, START, each hole of the reveal, each second; moves and Giveup are silent";
        closeBox(screen);
        closeBox(screen);  // a second close of a closing screen runs no second close step
        settle();
        EXPECT_FALSE(shell->play());
        ASSERT_TRUE(shell->menu());
        EXPECT_EQ(played.size(), 5 + m.holes);
    }
    EXPECT_EQ(quits, 0) << "a transition never ends the program";
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(ShellTest, TheVersionWindowHoldsTheMenuUntilEnterOrEscapeAndTheMenuEndsTheProgram)
{
    toMenu();
    played.clear();
    // The menu keeps its look while the version window holds it.
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        QTest::mouseClick(button(shell->menu(), "Command4"), Qt::LeftButton);
        settle();
        ASSERT_TRUE(shell->version());
        EXPECT_EQ(QApplication::focusWidget(), shell->version()->control(QStringLiteral("Picture1")));
        EXPECT_TRUE(shell->version()->control<shell::PictureCell>(QStringLiteral("Picture1"))->hasPicture());
        ASSERT_TRUE(shell->menu()->inputBlocked());
        EXPECT_TRUE(button(shell->menu(), "Command1")->isEnabled()) << "nothing greys";
        EXPECT_TRUE(stateOf(button(shell->menu(), "Command1")).disabled) << "but a screen reader hears it waits";
        EXPECT_TRUE(stateOf(shell->version()).modal);
        EXPECT_TRUE(QAccessible::queryAccessibleInterface(shell->version())->text(QAccessible::Name).endsWith("Version" HOPSTONE_VERSION));
        // Its OK says what Qt's own interface says of a button like it, the wait on top.
        auto says = [](QPushButton* b) {
            QAccessibleInterface* i = QAccessible::queryAccessibleInterface(b);
            return QStringList{QString::number(i->state().defaultButton), QString::number(i->state().pressed), i->text(QAccessible::Accelerator),
                               i->actionInterface()->keyBindingsForAction(QAccessibleActionInterface::pressAction()).join('|')};
        };
        QPushButton* ok = button(shell->version(), "Command1");
        QPushButton plain(ok->text());
        for (QPushButton* b : {ok, &plain}) {
            b->setDefault(key == Qt::Key_Return);
            b->setDown(key == Qt::Key_Escape);
            b->setShortcut(key == Qt::Key_Return ? QKeySequence() : QKeySequence(QStringLiteral("Alt+K")));
        }
        EXPECT_EQ(says(ok), says(&plain));
        ok->setDown(false);
        ok->setDefault(true);
        QTest::mouseClick(button(shell->menu(), "Command1"), Qt::LeftButton);
        closeBox(shell->menu());
        settle();
        EXPECT_FALSE(shell->play());
        EXPECT_EQ(quits, 0);
        QTest::keyClick(shell->version()->control(QStringLiteral("Picture1")), key);
        settle();
        EXPECT_FALSE(shell->version());
        EXPECT_FALSE(shell->menu()->inputBlocked());
        EXPECT_EQ(QApplication::focusWidget(), button(shell->menu(), "Command4")) << "the keyboard carries on";
        EXPECT_FALSE(stateOf(button(shell->menu(), "Command1")).disabled);
    }
    EXPECT_EQ(played, QStringList(2, "001.wav")) << "the version window itself is silent";
    QTest::mouseClick(button(shell->menu(), "Command5"), Qt::LeftButton);
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(played.size(), 3);
    closeBox(shell->menu());
    settle();
    EXPECT_EQ(quits, 2) << "closing the menu ends the program too";
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(ShellTest, AMissingPictureFileGivesAMessageAndTheMenuBack)
{
    toMenu();
    QTemporaryDir scratch;  // a folder of the player's, with the game's files but one
    const QString folder = scratch.path();
    for (const char* name : {"koma.kzt", "op.wav", "001.wav"})
        QFile::copy(QStringLiteral(HOPSTONE_GAME_DIR "/") + name, folder + "/" + name);
    QDir::setCurrent(folder);
    EXPECT_FALSE(openFromMenu("Command1"));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains("back.kzt") && messages[0].contains("見つかりません")) << messages[0].toStdString();
    ASSERT_TRUE(openFromMenu("Command2")) << "Board B needs only the piece picture";
    closeBox(shell->play());
    settle();
    QFile::remove(folder + "/koma.kzt");
    EXPECT_FALSE(openFromMenu("Command2"));
    ASSERT_EQ(messages.size(), 2);
    EXPECT_TRUE(messages[1].contains("koma.kzt"));
    EXPECT_TRUE(shell->menu());
    EXPECT_EQ(quits, 0);
}

TEST_F(ShellTest, F1OpensOneHelpWindowBesideTheGameWithTheMasteryTopic)
{
    toMenu();
    QTest::keyClick(shell->menu(), Qt::Key_F1);
    QWidget* help = shell->help();
    ASSERT_TRUE(help);
    EXPECT_TRUE(help->findChild<QTextBrowser*>()->toPlainText().contains("目指せ！ゲームマスター"));
    EXPECT_FALSE(help->frameGeometry().intersects(shell->menu()->frameGeometry())) << "help stands beside the game";
    EXPECT_TRUE(shell->menu()->screen()->availableGeometry().contains(help->frameGeometry()));
    shell::PlayScreen* screen = openFromMenu("Command2");
    QTest::keyClick(screen, Qt::Key_F1);
    EXPECT_EQ(shell->help(), help) << "still one window";
    QTest::keyClick(help->findChild<QTextBrowser*>(), Qt::Key_Escape);
    EXPECT_FALSE(help->isVisible());
    EXPECT_EQ(played.size(), 3) << "help is silent";
}

TEST_F(ShellTest, DraggingOnBoardBJumpsOnlyWhereTheCursorSaysSo)
{
    toMenu();
    shell::PlayScreen* screen = openFromMenu("Command2");
    ASSERT_EQ(QApplication::focusWidget(), button(screen, "Command1")) << "START has the keyboard";
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    finishReveal(screen);
    const QCursor drag = hop::resources::makeCursor(hop::resources::dragCursor(1)), drop = hop::resources::makeCursor(hop::resources::dropCursor(1));
    const QImage dragCursor = cursorImage(&drag), dropCursor = cursorImage(&drop);
    QTest::mousePress(screen->hole(4), Qt::RightButton);  // any button picks up
    EXPECT_EQ(cursorImage(), dragCursor);
    // Over hole 5 (occupied), between holes, over hole 2 (the one jumped): no drop.
    for (const QPoint p : {centreOf(screen, 5), QPoint(5, 5), centreOf(screen, 2)}) {
        QTest::mouseMove(screen, p);
        EXPECT_EQ(cursorImage(), dragCursor) << p.x() << "," << p.y();
    }
    QTest::mouseMove(screen, centreOf(screen, 1));
    EXPECT_EQ(cursorImage(), dropCursor);
    QTest::mouseMove(screen, centreOf(screen, 1) + QPoint(3, 2));  // moving within keeps it
    EXPECT_EQ(cursorImage(), dropCursor);
    QTest::mouseMove(screen, centreOf(screen, 3));
    EXPECT_EQ(cursorImage(), dragCursor);
    QTest::mouseMove(screen, centreOf(screen, 1));
    QTest::mouseRelease(screen, Qt::RightButton, {}, centreOf(screen, 1));
    EXPECT_FALSE(QGuiApplication::overrideCursor()) << "the ordinary pointer comes back";
    EXPECT_EQ(text(screen, "Label2"), "21");
    EXPECT_EQ(text(screen, "N01") + text(screen, "N02") + text(screen, "N04"), "100");
    EXPECT_EQ(text(screen, "Label1"), "4");
    EXPECT_TRUE(screen->hole(1)->hasPicture());
    EXPECT_FALSE(screen->hole(2)->hasPicture());

    // With 9 jumped out (over 5 into 2), 18 over 13 into 9 lies straight on the drawing but
    // is no jump; nor is a drop on itself or outside every hole; an empty hole starts no drag.
    QTest::mousePress(screen->hole(9), Qt::LeftButton);
    QTest::mouseMove(screen, centreOf(screen, 2));
    QTest::mouseRelease(screen, Qt::LeftButton, {}, centreOf(screen, 2));
    for (const QPoint to : {centreOf(screen, 9), centreOf(screen, 18), QPoint(screen->width() - 3, 3)}) {
        QTest::mousePress(screen->hole(18), Qt::LeftButton);
        QTest::mouseMove(screen, to);
        EXPECT_EQ(cursorImage(), dragCursor);
        QTest::mouseRelease(screen, Qt::LeftButton, {}, to);
    }
    EXPECT_EQ(text(screen, "Label2"), "20");
    QTest::mousePress(screen->hole(9), Qt::MiddleButton);
    EXPECT_FALSE(screen->dragging());
    QTest::mouseRelease(screen, Qt::MiddleButton, {}, centreOf(screen, 9));

    // A time-up under a held piece ends the drag; the late release changes nothing.
    QTest::mousePress(screen->hole(7), Qt::LeftButton);
    QTest::mouseMove(screen, centreOf(screen, 1));
    ASSERT_TRUE(screen->dragging());
    for (int i = 0; i < 120; ++i)
        screen->game().countdownTick();
    EXPECT_EQ(messages, QStringList{QString::fromUtf8(modes::texts::kTimeUp)});
    EXPECT_FALSE(screen->dragging());
    EXPECT_FALSE(QGuiApplication::overrideCursor());
    QTest::mouseRelease(screen, Qt::LeftButton, {}, centreOf(screen, 1));
    EXPECT_EQ(text(screen, "Label2"), "22");
}

// Board A opened from the menu and started by keys alone; `reveal` ticks of its holes shown.
shell::PlayScreen* ShellTest::boardAByKeys(int reveal)
{
    toMenu();
    key(Qt::Key_Return);  // the menu's first button: Board A
    settle();
    shell::PlayScreen* screen = shell->play();
    if (!screen)
        return nullptr;
    key(Qt::Key_Space);  // START
    for (int i = 0; i < reveal && screen->timer(TimerId::Reveal)->isActive(); ++i)
        screen->game().revealTick();
    return screen;
}

TEST_F(ShellTest, KeysWhileTheHolesAppearDoNothingAndAScreenReaderHearsEachHoleAndReadout)
{
    shell::PlayScreen* screen = boardAByKeys(15);  // the middle hole is shown, the last not yet
    ASSERT_TRUE(screen);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(screen)->role(), QAccessible::Window);
    EXPECT_EQ(said(QApplication::focusWidget()), "ボード - A") << "the keyboard rests on the named screen";
    for (Qt::Key k : {Qt::Key_Down, Qt::Key_Return, Qt::Key_Space, Qt::Key_Escape, Qt::Key_Tab, Qt::Key_N, Qt::Key_4})
        key(k);
    QAccessible::queryAccessibleInterface(screen->hole(4))->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(focusedHole(screen), 0) << "keys and a screen reader's press during the reveal do nothing";
    EXPECT_EQ(text(screen, "Label1") + text(screen, "TIM"), "0120");
    finishReveal(screen);
    EXPECT_EQ(said(screen->hole(1)) + said(screen->hole(4)), "1 あき4 こま とべる");
    EXPECT_EQ(said(screen->control(QStringLiteral("Label2"))), "残り駒数：20");
    EXPECT_TRUE(stateOf(screen->control(QStringLiteral("Label5"))).invisible) << "the caption is read once, with its number";
}

TEST_F(ShellTest, ABoardAGameIsClearedWithKeysAloneAndAScreenReaderHearsTheMoves)
{
    shell::PlayScreen* screen = boardAByKeys(21);
    ASSERT_TRUE(screen);
    auto walkTo = [&](int k) {
        for (int guard = 0; focusedHole(screen) != k && guard < 12; ++guard) {
            const QRect at = screen->hole(focusedHole(screen))->geometry(), to = screen->hole(k)->geometry();
            key(to.top() < at.top()     ? Qt::Key_Up
                : to.top() > at.top()   ? Qt::Key_Down
                : to.left() < at.left() ? Qt::Key_Left
                                        : Qt::Key_Right);
        }
        ASSERT_EQ(focusedHole(screen), k);
    };
    key(Qt::Key_Up);
    EXPECT_EQ(focusedHole(screen), 13) << "the mark comes onto the board in its middle";
    const auto moves = solve(BoardLayout::boardA(), screen->game().board().occupiedHoles()).value();
    for (size_t i = 0; i < moves.size(); ++i) {
        const JumpLine& j = moves[i];
        walkTo(j.from);
        if (i == 1)  // a screen reader's press, as Enter
            QAccessible::queryAccessibleInterface(screen->hole(j.from))->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        else
            key(Qt::Key_Space);
        ASSERT_EQ(text(screen, "Label1"), QString::number(j.from));
        EXPECT_EQ(screen->hole(j.to)->hint(), shell::PictureCell::Hint::Target);
        EXPECT_EQ(said(screen->hole(j.to)), QStringLiteral("%1 ここへ").arg(j.to));
        EXPECT_TRUE(lastTold(screen).startsWith(QStringLiteral("もちあげ。")));
        // Each message is a notification of its own, as it is shown the only one.
        auto notice = [&] {
            settle();
            QList<QWidget*> shown = screen->findChildren<QWidget*>(QStringLiteral("Announcement"));
            shown.removeIf([](QWidget* w) { return !w->isVisible(); });
            EXPECT_EQ(shown.size(), 1);
            EXPECT_EQ(shown.isEmpty() ? QString() : said(shown[0]), lastTold(screen));
            return QPointer<QWidget>(shown.value(0));
        };
        if (i == 0) {
            const QPointer<QWidget> pickedUp = notice();
            repeatKey(screen->hole(j.from), Qt::Key_Space, 1000);  // held: the piece stays up
            EXPECT_EQ(text(screen, "Label1"), QString::number(j.from));
            key(Qt::Key_Escape);  // put back, then taken up again
            EXPECT_EQ(screen->hole(j.to)->hint(), shell::PictureCell::Hint::None);
            EXPECT_EQ(lastTold(screen), QStringLiteral("%1 に もどしました").arg(j.from));
            EXPECT_NE(notice(), pickedUp);
            EXPECT_FALSE(pickedUp);
            key(Qt::Key_Return);
            key(Qt::Key_F1);  // help borrows the keyboard and gives it back, the piece still up
            ASSERT_TRUE(shell->help() && shell->help()->isVisible());
            QTest::keyClick(shell->help(), Qt::Key_Escape);
            screen->activateWindow();
            EXPECT_EQ(focusedHole(screen), j.from);
            EXPECT_EQ(screen->hole(j.from)->hint(), shell::PictureCell::Hint::Held);
            key(Qt::Key_Tab);  // off the board the piece goes back; an arrow brings the mark back
            EXPECT_EQ(lastTold(screen), QStringLiteral("%1 に もどしました").arg(j.from));
            key(Qt::Key_Left);
            walkTo(j.from);
            key(Qt::Key_Return);
        }
        walkTo(j.to);
        key(Qt::Key_Return);
        if (i == 0) {
            EXPECT_EQ(said(screen->hole(j.to)) + said(screen->hole(j.over)), QStringLiteral("%1 こま%2 あき").arg(j.to).arg(j.over));
            EXPECT_EQ(lastTold(screen), QStringLiteral("のこり 19。%1 から %2 へ、%3 を とびこえました").arg(j.from).arg(j.to).arg(j.over));
            EXPECT_EQ(said(screen->control(QStringLiteral("Label2"))), "残り駒数：19");
            key(Qt::Key_Tab);  // off the board to Giveup, and back by an arrow
            EXPECT_EQ(focusedHole(screen), 0);
            EXPECT_EQ(QApplication::focusWidget(), button(screen, "Command2"));
            key(Qt::Key_Left);
            EXPECT_EQ(focusedHole(screen), 13);
        }
    }
    EXPECT_EQ(messages, QStringList{QString::fromUtf8(modes::texts::kClear)});
    EXPECT_EQ(played.mid(2), QStringList(23, "001.wav")) << "after the title: the menu button, START and the reveal";
    EXPECT_EQ(focusedHole(screen), 0) << "the mark left the hidden board";
    EXPECT_EQ(lastTold(screen), "") << "nothing is said of a board played out";
    key(Qt::Key_Down);
    EXPECT_EQ(focusedHole(screen), 0);
    EXPECT_EQ(QApplication::focusWidget(), button(screen, "Command1")) << "Enter starts the next game";
    startAndReveal(screen);
    key(Qt::Key_Up);
    EXPECT_EQ(focusedHole(screen), 13) << "the next game's mark starts from the middle again";
}

TEST(SteadyClock, TicksFallOnStartPlusWholePeriodsAndTheLoopsLatenessIsTakenOff)
{
    const int period = rulesFor(Mode::BoardB).clockPeriodMs;
    QTimer timer;
    timer.setInterval(period);
    qint64 now = 5'000'000'000;  // nanoseconds
    shell::SteadyTimer clock(&timer, [&] { return now; });
    std::vector<qint64> ticks;
    QObject::connect(&clock, &shell::SteadyTimer::tick, [&] { ticks.push_back(now); });

    const qint64 start = now;
    clock.start();
    EXPECT_EQ(timer.interval(), period) << "the first tick is a whole period away";
    // The event loop ends every wait 2 ms later than asked.
    for (int k = 1; k <= 30; ++k) {
        now += (timer.interval() + 2) * 1'000'000LL;
        QMetaObject::invokeMethod(&timer, "timeout");
    }
    ASSERT_EQ(ticks.size(), 30u);
    EXPECT_NEAR(double(ticks[0] - start), period * 1e6, 2.5e6);
    const double lastOffset = double(ticks.back() - start - 30LL * period * 1'000'000);
    EXPECT_LT(std::abs(lastOffset), 1e6) << "the lateness is learned and taken off the waits";

    // A stop cancels the next tick; a new start counts from the moment it is made.
    clock.stop();
    EXPECT_FALSE(timer.isActive());
    now += 10'000'000'000;
    clock.start();
    EXPECT_NEAR(timer.interval(), period, 2);
}
