// Thousands of random events on the real screens, with the game's invariants checked after each.
// HOPSTONE_SOAK_EVENTS sets the length (default 4000), HOPSTONE_SOAK_SEED the seed.
#include "tests/shell/ShellFixture.h"

#include <QMessageBox>

#include <array>
#include <cstdio>
#include <random>

using namespace hop;
using namespace hop::test;

namespace {

// Events sent to hidden or disabled widgets are the point here, not news.
void quietAboutIgnoredEvents(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (!message.contains(QLatin1String("not accepted by receiving widget")))
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

void click(QWidget* screen, int command)
{
    if (auto* b = screen->findChild<QPushButton*>(QStringLiteral("Command%1").arg(command)))
        QTest::mouseClick(b, Qt::LeftButton);
}

class Soak : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        qInstallMessageHandler(quietAboutIgnoredEvents);
        shell->start();
    }

    void TearDown() override
    {
        qInstallMessageHandler(nullptr);
        ShellTest::TearDown();
    }

    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
    QWidget* anyHole(shell::PlayScreen* s) { return s->hole(1 + pick(s->game().board().holeCount())); }

    void actOnPlayScreen(shell::PlayScreen* s)
    {
        const Qt::MouseButton button = std::array{Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}[pick(3)];
        switch (const int r = pick(12)) {
        case 0: case 1: case 2: click(s, r + 1); break;
        case 3: case 4: case 5: {  // a drag with any button between random holes, or out of the board
            const QPoint to = anyHole(s)->geometry().center();
            QTest::mousePress(anyHole(s), button);
            if (shell->play() != s)
                return;
            QTest::mouseMove(s, anyHole(s)->geometry().center());
            QTest::mouseMove(s, to);
            QTest::mouseRelease(s, button, {}, pick(6) ? to : QPoint(pick(s->width()), pick(s->height())));
            break;
        }
        case 6: case 7: case 8:
            for (int i = pick(30); i >= 0 && shell->play() == s; --i) {
                if (s->timer(TimerId::Reveal)->isActive())
                    s->game().revealTick();
                else if (s->timer(TimerId::Spin) && s->timer(TimerId::Spin)->isActive())
                    s->game().spinTick();
                else if (s->timer(TimerId::Countdown)->isActive())
                    s->game().countdownTick();
            }
            break;
        case 9: {  // keys, where the keyboard has the focus: buttons, or the mark on the board
            static const Qt::Key keys[] = {Qt::Key_Return, Qt::Key_Space, Qt::Key_Escape, Qt::Key_Tab,
                                           Qt::Key_Left,   Qt::Key_Right, Qt::Key_Up,     Qt::Key_Down};
            QWidget* focus = QApplication::focusWidget();
            QTest::keyClick(focus && focus->window() == s ? focus : s, keys[pick(8)]);
            break;
        }
        case 10: if (pick(8) == 0) s->close(); break;
        default: QTest::qWait(2); break;  // let the real timers tick too
        }
    }

    void act()
    {
        if (QWidget* title = shell->title()) {
            if (pick(5))
                QTest::mouseClick(title->findChild<shell::PictureCell*>(QStringLiteral("Image1")), Qt::LeftButton);
            else
                title->close();
        } else if (QWidget* version = shell->version()) {
            switch (pick(4)) {
            case 0: click(version, 1); break;
            case 1: QTest::keyClick(version, Qt::Key_Return); break;
            case 2: version->close(); break;
            default: click(shell->menu(), 1); break;  // the disabled menu ignores it
            }
        } else if (shell::PlayScreen* s = shell->play()) {
            actOnPlayScreen(s);
        } else if (QWidget* menu = shell->menu()) {
            const int r = pick(30);
            if (r < 28)
                click(menu, r < 9 ? 1 : r < 17 ? 2 : r < 25 ? 3 : r < 27 ? 4 : 5);
            else if (r == 28)
                menu->close();
            else
                QTest::keyClick(menu, Qt::Key_Return);
        }
        settle();
        // The quit button ends a program; here it ends a session and the next one starts.
        if (std::exchange(quits, 0)) {
            newShell();
            shell->start();
        }
    }

    void checkInvariants(const std::string& where)
    {
        ASSERT_EQ(!!shell->title() + !!shell->menu() + !!shell->play(), 1) << where;
        // The version box stands over the menu, which ignores input while it is open.
        ASSERT_EQ(shell->menu() && shell->menu()->inputBlocked(), shell->version() != nullptr) << where;
        messages.clear();
        for (QWidget* w : QApplication::topLevelWidgets())
            ASSERT_FALSE(qobject_cast<QMessageBox*>(w) && w->isVisible()) << where << ": a message left open";

        shell::PlayScreen* s = shell->play();
        ASSERT_EQ(QGuiApplication::overrideCursor() != nullptr, s && s->dragging()) << where << ": the drag cursor";
        if (!s)
            return;
        int occupied = 0;
        for (int k = 1; k <= s->game().board().holeCount(); ++k) {
            const QString state = text(s, QStringLiteral("N%1").arg(k, 2, 10, QChar('0')));
            ASSERT_TRUE(state == "0" || state == "1") << where;
            occupied += state.toInt();
            ASSERT_EQ(s->hole(k)->hasPicture(), state == "1") << where << " hole " << k;
        }
        ASSERT_EQ(text(s, QStringLiteral("Label2")).toInt(), occupied) << where;
        const int time = text(s, QStringLiteral("TIM")).toInt();
        ASSERT_TRUE(time >= 0 && time <= s->game().rules().timeLimit) << where << ": time " << time;
        ASSERT_FALSE(s->timer(TimerId::Reveal)->isActive() && s->timer(TimerId::Countdown)->isActive()) << where;
        ASSERT_TRUE(s->inputBlocked() || text(s, QStringLiteral("Label3")) == "0") << where;
    }

    const int seed =
        qEnvironmentVariableIsSet("HOPSTONE_SOAK_SEED") ? qEnvironmentVariableIntValue("HOPSTONE_SOAK_SEED") : 20261206;
    const int events =
        qEnvironmentVariableIsSet("HOPSTONE_SOAK_EVENTS") ? qEnvironmentVariableIntValue("HOPSTONE_SOAK_EVENTS") : 4000;
    std::mt19937 rng{std::mt19937::result_type(seed)};
};

} // namespace

TEST_F(Soak, RandomEventsKeepEveryScreenConsistent)
{
    for (int i = 0; i < events && !HasFatalFailure(); ++i) {
        act();
        checkInvariants("after event " + std::to_string(i) + "; replay with HOPSTONE_SOAK_SEED=" + std::to_string(seed));
    }
}
