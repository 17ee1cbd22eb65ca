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

class Soak : public ShellTest {
protected:
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }

    void act(QWidget* window)
    {
        auto* s = qobject_cast<shell::PlayScreen*>(window);
        auto anywhere = [&] {
            return s && pick(4) ? s->hole(1 + pick(s->game().board().holeCount()))->geometry().center()
                                : QPoint(pick(window->width()), pick(window->height()));
        };
        static const Qt::Key keys[] = {Qt::Key_Return, Qt::Key_Space, Qt::Key_Escape, Qt::Key_Tab,
                                       Qt::Key_Left,   Qt::Key_Right, Qt::Key_Up,     Qt::Key_Down};
        const Qt::MouseButton button = std::array{Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}[pick(3)];
        switch (pick(8)) {
        case 0: case 1: {  // a click, or a drag to anywhere, with any button
            const QPoint from = anywhere();
            QWidget* target = window->childAt(from) ? window->childAt(from) : window;
            QTest::mousePress(target, button, {}, target->mapFrom(window, from));
            QTest::mouseMove(window, anywhere());
            if (pick(2))
                QTest::mouseRelease(target, button, {}, target->mapFrom(window, from));
            else
                QTest::mouseRelease(window, button, {}, anywhere());
            break;
        }
        case 2: case 3:
            if (auto buttons = window->findChildren<QPushButton*>(); !buttons.isEmpty())
                QTest::mouseClick(buttons[pick(int(buttons.size()))], Qt::LeftButton);
            break;
        case 4: {  // a key where the keyboard has the focus
            QWidget* focus = QApplication::focusWidget();
            QTest::keyClick(focus && focus->window() == window ? focus : window, keys[pick(8)]);
            break;
        }
        case 5:  // the timers, tick by tick
            for (int i = pick(30); i >= 0 && s && shell->play() == s; --i)
                for (TimerId id : {TimerId::Reveal, TimerId::Spin, TimerId::Countdown})
                    if (s->timer(id) && s->timer(id)->isActive()) {
                        id == TimerId::Reveal ? s->game().revealTick()
                        : id == TimerId::Spin ? s->game().spinTick() : s->game().countdownTick();
                        break;
                    }
            break;
        case 6: if (pick(8) == 0) window->close(); break;
        default: QTest::qWait(2); break;  // let the real timers tick too
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
            ASSERT_EQ(s->hole(k)->hasPicture(), state == "1") << where << " hole " << k;
            occupied += state == "1";
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
    // Events sent to hidden or disabled widgets are the point here, not news.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& message) {
        if (!message.contains(QLatin1String("not accepted by receiving widget")))
            std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
    });
    shell->start();
    for (int i = 0; i < events && !HasFatalFailure(); ++i) {
        // The blocked menu behind the version window is clicked now and then too.
        QWidget* version = pick(4) ? shell->version() : nullptr;
        act(version               ? version
            : shell->title()      ? static_cast<QWidget*>(shell->title())
            : shell->play()       ? shell->play()
                                  : shell->menu());
        checkInvariants("after event " + std::to_string(i) + "; replay with HOPSTONE_SOAK_SEED=" + std::to_string(seed));
    }
    qInstallMessageHandler(nullptr);
}
