// What only a real X server and window manager show: activation, frames, pixels, dialogs,
// stacking. Under Wayland the same flows only prove that every window opens and closes.
#include "tests/shell/ShellFixture.h"

#include <QApplication>
#include <QMessageBox>
#include <QProcess>
#include <QScreen>
#include <QWindow>

#include <utility>

using namespace hop;
using namespace hop::test;

namespace {

// The widget as the X server shows it, not as Qt would draw it again.
QImage onScreen(QWidget* w)
{
    const QPoint at = w->mapTo(w->window(), QPoint());
    return w->screen()->grabWindow(w->window()->winId(), at.x(), at.y(), w->width(), w->height()).toImage();
}

// What xprop says of a window's property (of the root window for 0).
QString xprop(WId window, const char* property)
{
    QProcess p;
    p.start(QStringLiteral("xprop"), (window ? QStringList{"-id", QString::number(window)} : QStringList{"-root"})
                                         << QString::fromLatin1(property));
    return p.waitForFinished(), QString::fromLatin1(p.readAllStandardOutput());
}

} // namespace

// A busy desktop (builds running beside it) has taken seconds to map, frame and activate
// a window; a wait that ends sooner than this would blame the game for the machine.
constexpr int kBusyMs = 20000;
template <class Condition>
bool busyWait(Condition condition) { return QTest::qWaitFor(condition, kBusyMs); }

TEST_F(ShellTest, RealWindowsAreCentredAndTheVersionWindowKeepsTheKeyboard)
{
    // The title is passed by keyboard as by a click.
    shell->start();
    shell::Screen* title = shell->title();
    // A window manager still starting on a busy machine manages the first window late.
    ASSERT_TRUE(QTest::qWaitForWindowActive(title, kBusyMs));
    EXPECT_TRUE(title->windowHandle()->icon().isNull()) << "the title has no icon";
    QTest::keyClick(title, Qt::Key_Space);
    settle();
    shell::Screen* menu = shell->menu();
    ASSERT_TRUE(menu && QTest::qWaitForWindowActive(menu, kBusyMs));
    EXPECT_FALSE(xprop(menu->winId(), "_NET_WM_ICON").contains("not found"));

    // The first menu is centred by its outer frame.
    ASSERT_TRUE(busyWait([&] { return menu->frameGeometry() != menu->geometry(); }));
    const QRect frame = menu->frameGeometry();
    const QRect area = menu->screen()->geometry();
    EXPECT_NEAR(frame.left(), (area.width() - frame.width()) / 2.0, 1.0);
    EXPECT_NEAR(frame.top(), (area.height() - frame.height()) / 2.0, 1.0);

    // The version window takes the keyboard, and Enter closes it.
    QTest::mouseClick(menu->control<QPushButton>(QStringLiteral("Command4")), Qt::LeftButton);
    settle();
    shell::Screen* version = shell->version();
    ASSERT_TRUE(version);
    EXPECT_TRUE(xprop(version->winId(), "_NET_WM_ICON").contains("not found")) << "no icon of its own";
    ASSERT_TRUE(QTest::qWaitForWindowActive(version, kBusyMs)) << "the window manager left the version window inactive";
    EXPECT_TRUE(xprop(version->winId(), "WM_TRANSIENT_FOR").contains(QString::number(menu->winId(), 16)));
    EXPECT_TRUE(busyWait([&] { return QApplication::focusWidget() == version->control(QStringLiteral("Picture1")); }));

    // A real click through the window manager on the blocked menu's quit button (which
    // the version window leaves uncovered): nothing there moves, not even the focus, and
    // the version window comes back on top with the keyboard.
    QWidget* menuFocus = menu->focusWidget();
    const QPoint quit = menu->control(QStringLiteral("Command5"))->mapToGlobal(QPoint(20, 10));
    QProcess::execute("xdotool", {"mousemove", "--sync", QString::number(quit.x()), QString::number(quit.y()), "click", "1"});
    QTest::qWait(200);
    EXPECT_TRUE(menu->focusWidget() == menuFocus && quits == 0);
    ASSERT_TRUE(QTest::qWaitForWindowActive(version, kBusyMs)) << "the version window was left behind the menu";
    menu->activateWindow();  // as a taskbar would
    QTest::qWait(200);
    EXPECT_TRUE(QTest::qWaitForWindowActive(version, kBusyMs)) << "the blocked menu kept the keyboard";
    const QString stacking = xprop(0, "_NET_CLIENT_LIST_STACKING");
    EXPECT_GT(stacking.indexOf(QString::number(version->winId(), 16)), stacking.indexOf(QString::number(menu->winId(), 16)));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    settle();
    EXPECT_FALSE(shell->version());
    ASSERT_TRUE(QTest::qWaitForWindowActive(menu, kBusyMs));
    EXPECT_EQ(QApplication::focusWidget(), menu->control(QStringLiteral("Command4")));
}

TEST_F(ShellTest, APlayScreenKeepsItsLookDuringTheRevealAndOwnsItsMessages)
{
    // Nothing greys while the reveal ignores input.
    toMenu();
    shell::PlayScreen* screen = openFromMenu("Command1");
    ASSERT_TRUE(screen && QTest::qWaitForWindowActive(screen, kBusyMs));
    QWidget* caption = screen->control(QStringLiteral("Label4"));
    QImage before;  // once the window manager and the game have painted it
    ASSERT_TRUE(busyWait([&] {
        const QImage now = onScreen(caption);
        QTest::qWait(50);
        return std::exchange(before, now) == now;
    }));
    QTest::mouseClick(screen->control<QPushButton>(QStringLiteral("Command1")), Qt::LeftButton);
    ASSERT_TRUE(screen->inputBlocked() && screen->timer(TimerId::Reveal)->isActive());
    QTest::qWait(100);
    EXPECT_TRUE(onScreen(caption) == before) << "the caption changed its look during the reveal";

    // A message meanwhile still takes Enter, and is a dialog of its screen.
    realBoxes = true;
    QWindow* owner = nullptr;
    QRect boxFrame;
    int titleBar = 0;
    std::tuple<QString, QMessageBox::Icon, qsizetype, Qt::TextFormat, QString> looks;
    QTimer::singleShot(0, [&] {
        QMessageBox* box = nullptr;
        // Active, at its own size (a busy X server shows a box a moment at 1 × 1 first), and
        // framed as the window manager says: Qt has been seen never to learn a box's frame.
        QStringList frame;
        if (busyWait([&] {
                box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                if (!box || !box->isActiveWindow() || box->width() < box->minimumSizeHint().width())
                    return false;
                frame = xprop(box->winId(), "_NET_FRAME_EXTENTS").section('=', 1).split(',');
                return frame.size() == 4;
            })) {
            owner = box->windowHandle()->transientParent();
            boxFrame = box->geometry().marginsAdded(QMargins(frame[0].toInt(), frame[2].toInt(), frame[1].toInt(), frame[3].toInt()));
            titleBar = frame[2].toInt();
            looks = {box->windowTitle(), box->icon(), box->buttons().size(), box->textFormat(), box->text()};
        }
        if (box)  // closed in any case, so that a failure cannot hang the test
            QTest::keyClick(box, Qt::Key_Return);
    });
    screen->showMessage("<b>テスト</b>\r\n二行目");
    EXPECT_EQ(owner, screen->windowHandle()) << "the message was not active, or not the screen's dialog";
    EXPECT_EQ(looks, std::tuple(QString("Hopstone"), QMessageBox::NoIcon, 1, Qt::PlainText, QString("<b>テスト</b>\n二行目")))
        << "the game's name, no icon, one OK, the words as written on two lines";
    // Its caption whole: openbox writes it in its bold title font (about half the title
    // bar's height) between the window icon and three buttons as tall as the title bar.
    QFont font(QStringLiteral("Sans"));
    font.setPixelSize(titleBar / 2);
    font.setBold(true);
    EXPECT_GE(boxFrame.width(), QFontMetrics(font).horizontalAdvance(QStringLiteral("Hopstone")) + 4 * titleBar);

    // Help lends the keyboard and gives it back: the mark and the piece it holds stay.
    ASSERT_TRUE(busyWait([&] { return !screen->inputBlocked() && screen->isActiveWindow(); }));
    QTest::keyClick(screen, Qt::Key_Down);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
    ASSERT_TRUE(shell->help() && QTest::qWaitForWindowActive(shell->help(), kBusyMs));
    QTest::keyClick(shell->help(), Qt::Key_Escape);
    ASSERT_TRUE(QTest::qWaitForWindowActive(screen, kBusyMs));
    EXPECT_TRUE(focusedHole(screen) && screen->hole(focusedHole(screen))->hint() == shell::PictureCell::Hint::Held);
}

// Every window's frame lies on the available screen area, whatever the screen and scale:
// run at 1280x1024, at 1366x768 with scale 2 and at 640x480 with scale 1.5; and on
// Wayland, where positions are the compositor's, every window opens and closes.
TEST_F(ShellTest, EveryWindowIsWhollyReachable)
{
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const bool x11 = QGuiApplication::platformName() == QLatin1String("xcb");
    auto reachable = [&](QWidget* w) {
        if (!w || !QTest::qWaitForWindowExposed(w, kBusyMs)) {
            ADD_FAILURE() << (w ? qPrintable(w->objectName()) : "a window") << " did not show";
            return QRect();
        }
        // The frame as the window manager tells it, once it has framed the window.
        QStringList e;
        EXPECT_TRUE(!x11 || busyWait([&] {
            return (e = xprop(w->winId(), "_NET_FRAME_EXTENTS").section('=', 1).split(',')).size() == 4;
        }));
        const auto px = [&](int i) { return qRound(e.value(i).toInt() / w->devicePixelRatioF()); };
        const QRect f = w->geometry().marginsAdded(QMargins(px(0), px(2), px(1), px(3)));
        // Wholly on the area where it fits; its title bar's start on it in any case.
        EXPECT_TRUE(!x11 || (area.contains(f.topLeft()) && (f.width() > area.width() || f.right() <= area.right()) &&
                             (f.height() > area.height() || f.bottom() <= area.bottom())))
            << qPrintable(w->objectName()) << " at " << f.x() << "," << f.y() << " " << f.width() << "x" << f.height();
        return f;
    };
    everyScreen([&](shell::Screen* s) {
        reachable(s);
        if (qobject_cast<shell::PlayScreen*>(s)) {
            shell->showHelp(s);
            EXPECT_LE(reachable(shell->help()).height(), area.height()) << "help no taller than the screen";
        }
    });
}
