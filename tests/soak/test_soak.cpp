// Thousands of random events on the real screens, with the game's invariants checked after each.
// HOPSTONE_SOAK_EVENTS sets the length (default 4000), HOPSTONE_SOAK_SEED the seed.
#include "modes/StageGame.h"
#include "modes/Texts.h"
#include "shell/Messages.h"
#include "shell/PictureCell.h"
#include "shell/PlayScreen.h"
#include "shell/Shell.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <random>
#include <set>

using namespace hop;
using namespace hop::board;
using namespace hop::modes;

namespace {

std::set<QString> allowedMessages()
{
    std::set<QString> allowed = {QString::fromUtf8(texts::kClear), QString::fromUtf8(texts::kTimeUp),
                                 QString::fromStdString(texts::completion()),
                                 QString::fromStdString(texts::rouletteStart()),
                                 QString::fromUtf8(texts::kRouletteZero), QString::fromStdString(texts::retestClear())};
    for (int n = 1; n <= 9; ++n)
        allowed.insert(QString::fromStdString(texts::stageClear(n)));
    for (int d = 1; d <= 7; ++d)
        allowed.insert(QString::fromStdString(texts::rouletteDrawn(d)));
    return allowed;
}

// Events sent to hidden or disabled widgets are the point here, not news.
void quietAboutIgnoredEvents(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.contains(QLatin1String("not accepted by receiving widget")))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

class Soak : public ::testing::Test {
protected:
    void SetUp() override
    {
        qInstallMessageHandler(quietAboutIgnoredEvents);
        QDir::setCurrent(QStringLiteral(HOPSTONE_GAME_DIR));
        seed = qEnvironmentVariableIsSet("HOPSTONE_SOAK_SEED") ? qEnvironmentVariableIntValue("HOPSTONE_SOAK_SEED")
                                                                : 20261206;
        events = qEnvironmentVariableIsSet("HOPSTONE_SOAK_EVENTS") ? qEnvironmentVariableIntValue("HOPSTONE_SOAK_EVENTS")
                                                                    : 4000;
        rng.seed(seed);
        shell::setMessageHook([this](const QString& text) { shown.append(text); });
        newSession();
    }

    void TearDown() override
    {
        qInstallMessageHandler(nullptr);
        shell.reset();
        settle();
        shell::setMessageHook({});
        while (QGuiApplication::overrideCursor())
            QGuiApplication::restoreOverrideCursor();
    }

    // The quit button ends a program; here it ends a session and the next one starts.
    void newSession()
    {
        shell.reset();
        settle();
        shell = std::make_unique<shell::Shell>();
        shell->sounds().setMuted(true);
        QObject::connect(shell.get(), &shell::Shell::quitRequested, [this] { quitAsked = true; });
        shell->start();
        ++sessions;
    }

    static void settle()
    {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }

    void closeBox(QWidget* w)
    {
        QCloseEvent e;
        QCoreApplication::sendEvent(w, &e);
    }

    void click(QWidget* screen, const char* name)
    {
        if (auto* b = screen->findChild<QPushButton*>(QLatin1String(name)))
            QTest::mouseClick(b, Qt::LeftButton);
    }

    QPoint holeCentre(shell::PlayScreen* s, int k) { return s->hole(k)->geometry().center(); }

    void actOnPlayScreen(shell::PlayScreen* s)
    {
        const int n = s->game().board().holeCount();
        const Qt::MouseButton buttons[] = {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton};
        switch (pick(12)) {
        case 0: click(s, "Command1"); break;
        case 1: click(s, "Command2"); break;
        case 2: click(s, "Command3"); break;
        case 3: case 4: case 5: {
            // A drag between random holes, or out of the board.
            const Qt::MouseButton b = buttons[pick(3)];
            const int from = 1 + pick(n), to = 1 + pick(n);
            QTest::mousePress(s->hole(from), b);
            if (!shell->play())
                return;
            QTest::mouseMove(s, holeCentre(s, 1 + pick(n)));
            QTest::mouseMove(s, holeCentre(s, to));
            const QPoint at = pick(6) ? holeCentre(s, to) : QPoint(pick(s->width()), pick(s->height()));
            QTest::mouseRelease(s, b, {}, at);
            break;
        }
        case 6: {
            // A piece held while the clock runs out under it.
            QTest::mousePress(s->hole(1 + pick(n)), Qt::LeftButton);
            for (int i = 0; i < 70 && shell->play() == s && s->timer(TimerId::Countdown)->isActive(); ++i)
                s->game().countdownTick();
            if (shell->play() == s)
                QTest::mouseRelease(s, Qt::LeftButton, {}, holeCentre(s, 1 + pick(n)));
            break;
        }
        case 7: case 8:
            for (int i = pick(30); i >= 0 && shell->play() == s; --i) {
                if (s->timer(TimerId::Reveal)->isActive())
                    s->game().revealTick();
                else if (s->timer(TimerId::Spin) && s->timer(TimerId::Spin)->isActive())
                    s->game().spinTick();
                else if (s->timer(TimerId::Countdown)->isActive())
                    s->game().countdownTick();
            }
            break;
        case 9: QTest::keyClick(s, pick(2) ? Qt::Key_Return : Qt::Key_Space); break;
        case 10: if (pick(8) == 0) closeBox(s); break;
        default: QTest::qWait(2); break;  // let the real timers tick too
        }
    }

    void act()
    {
        if (QWidget* title = shell->title()) {
            if (pick(5))
                QTest::mouseClick(title->findChild<shell::PictureCell*>(QStringLiteral("Image1")), Qt::LeftButton);
            else
                closeBox(title);
        } else if (QWidget* version = shell->version()) {
            switch (pick(4)) {
            case 0: click(version, "Command1"); break;
            case 1: QTest::keyClick(version, Qt::Key_Return); break;
            case 2: closeBox(version); break;
            default: click(shell->menu(), "Command1"); break;  // the disabled menu ignores it
            }
        } else if (shell::PlayScreen* s = shell->play()) {
            actOnPlayScreen(s);
        } else if (QWidget* menu = shell->menu()) {
            const int r = pick(30);
            if (r < 27)
                click(menu, r < 9 ? "Command1" : r < 17 ? "Command2" : r < 25 ? "Command3" : "Command4");
            else if (r == 27)
                click(menu, "Command5");
            else if (r == 28)
                closeBox(menu);
            else
                QTest::keyClick(menu, Qt::Key_Return);
        }
        settle();
        if (quitAsked) {
            quitAsked = false;
            newSession();
        }
    }

    void checkInvariants(int event)
    {
        const std::string where = "event " + std::to_string(event) + ", seed " + std::to_string(seed);
        const int open = (shell->title() ? 1 : 0) + (shell->menu() ? 1 : 0) + (shell->play() ? 1 : 0);
        ASSERT_EQ(open, 1) << where;
        if (shell->version()) {
            ASSERT_TRUE(shell->menu()) << where;
        }
        if (shell->menu()) {
            ASSERT_EQ(shell->menu()->inputBlocked(), shell->version() != nullptr) << where;
        }
        for (const QString& m : shown)
            ASSERT_TRUE(allowed.count(m)) << where << ": unexpected message " << m.toStdString();
        messageCount += shown.size();
        shown.clear();
        for (QWidget* w : QApplication::topLevelWidgets())
            ASSERT_FALSE(qobject_cast<QMessageBox*>(w) && w->isVisible()) << where << ": a message left open";

        shell::PlayScreen* s = shell->play();
        if (!s) {
            ASSERT_FALSE(QGuiApplication::overrideCursor()) << where;
            return;
        }
        const int n = s->game().board().holeCount();
        int occupied = 0;
        for (int k = 1; k <= n; ++k) {
            const QString state = s->findChild<QLabel*>(QStringLiteral("N%1").arg(k, 2, 10, QChar('0')))->text();
            ASSERT_TRUE(state == "0" || state == "1") << where;
            occupied += state.toInt();
            ASSERT_EQ(s->hole(k)->hasPicture(), state == "1") << where << " hole " << k;
        }
        ASSERT_EQ(s->findChild<QLabel*>(QStringLiteral("Label2"))->text().toInt(), occupied) << where;
        const int time = s->findChild<QLabel*>(QStringLiteral("TIM"))->text().toInt();
        ASSERT_GE(time, 0) << where;
        ASSERT_LE(time, s->game().rules().timeLimit) << where;
        ASSERT_FALSE(s->timer(TimerId::Reveal)->isActive() && s->timer(TimerId::Countdown)->isActive()) << where;
        if (!s->inputBlocked()) {
            ASSERT_EQ(s->findChild<QLabel*>(QStringLiteral("Label3"))->text(), "0") << where;
        }
        ASSERT_EQ(QGuiApplication::overrideCursor() != nullptr, s->dragging()) << where;
    }

    std::unique_ptr<shell::Shell> shell;
    std::mt19937 rng;
    int seed = 0;
    int events = 0;
    int sessions = 0;
    qsizetype messageCount = 0;
    bool quitAsked = false;
    QStringList shown;
    const std::set<QString> allowed = allowedMessages();
};

} // namespace

TEST_F(Soak, RandomEventsKeepEveryScreenConsistent)
{
    for (int i = 0; i < events; ++i) {
        act();
        checkInvariants(i);
        if (HasFatalFailure())
            return;
    }
    std::printf("soak: %d events, %d sessions, %lld messages, seed %d\n", events, sessions,
                static_cast<long long>(messageCount), seed);
}
