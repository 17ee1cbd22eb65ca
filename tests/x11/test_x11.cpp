// What only a real X server and window manager show: activation, frames, pixels, dialogs,
// stacking. Under Wayland the same flows only prove that every window opens and closes.
#include "tests/shell/ShellFixture.h"

#include <QApplication>
#include <QMessageBox>
#include <QProcess>
#include <QScreen>
#include <QWindow>

using namespace hop;
using namespace hop::test;

namespace {

// The widget as the X server shows it, not as Qt would draw it again.
QImage onScreen(QWidget* w)
{
    const QPoint at = w->mapTo(w->window(), QPoint());
    return w->screen()->grabWindow(w->window()->winId(), at.x(), at.y(), w->width(), w->height()).toImage();
}

bool onX11()
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

// What xprop says of a window (or of the root window, for 0).
QString xprop(WId window, const char* property)
{
    QProcess p;
    QStringList args = window ? QStringList{QStringLiteral("-id"), QString::number(window)} : QStringList{"-root"};
    p.start(QStringLiteral("xprop"), args << QString::fromLatin1(property));
    p.waitForFinished();
    return QString::fromLatin1(p.readAllStandardOutput());
}

bool hasIcon(QWidget* w)
{
    return !xprop(w->winId(), "_NET_WM_ICON").contains(QLatin1String("not found"));
}

// A real click, through the X server and the window manager.
void clickOnScreen(QWidget* w)
{
    const QPoint at = w->mapToGlobal(w->rect().center());
    QProcess::execute(QStringLiteral("xdotool"), {"mousemove", "--sync", QString::number(at.x()),
                                                  QString::number(at.y()), "click", "1"});
}

} // namespace

TEST_F(ShellTest, RealWindowsAreCentredActiveUngreyedAndOwnTheirMessages)
{
    // The title is passed by keyboard as by a click.
    shell->start();
    shell::Screen* title = shell->title();
    // A window manager still starting on a busy machine manages the first window late.
    // (Wayland lets no client see which window is active.)
    auto active = [](QWidget* w) {
        return onX11() ? QTest::qWaitForWindowActive(w, 20000) : QTest::qWaitForWindowExposed(w, 20000);
    };
    ASSERT_TRUE(active(title));
    EXPECT_TRUE(title->windowHandle()->icon().isNull()) << "the title has no icon";
    QTest::keyClick(title, Qt::Key_Space);
    settle();
    shell::Screen* menu = shell->menu();
    ASSERT_TRUE(menu);
    ASSERT_TRUE(active(menu));
    if (!onX11()) {
        // Wayland: every window opens and closes; positions and stacking are the compositor's.
        QTest::mouseClick(menu->control<QPushButton>(QStringLiteral("Command4")), Qt::LeftButton);
        ASSERT_TRUE(shell->version() && QTest::qWaitForWindowExposed(shell->version()));
        shell->version()->close();
        settle();
        EXPECT_FALSE(shell->version());
        for (const char* mode : {"Command1", "Command2", "Command3"}) {
            shell::PlayScreen* screen = openFromMenu(mode);
            ASSERT_TRUE(screen && QTest::qWaitForWindowExposed(screen)) << mode;
            shell->showHelp(screen);
            ASSERT_TRUE(QTest::qWaitForWindowExposed(shell->help()));
            shell->help()->close();
            closeBox(screen);
            settle();
            ASSERT_TRUE(shell->menu() && QTest::qWaitForWindowExposed(shell->menu())) << mode;
        }
        shell::setMessageHook({});
        QTimer::singleShot(0, [] {
            if (QTest::qWaitFor([] { return QApplication::activeModalWidget(); }))
                static_cast<QDialog*>(QApplication::activeModalWidget())->accept();
        });
        shell::showMessage("テスト", shell->menu());
        return;
    }
    EXPECT_TRUE(hasIcon(menu));

    // The first menu is centred by its outer frame.
    ASSERT_TRUE(QTest::qWaitFor([&] { return menu->frameGeometry() != menu->geometry(); }));
    const QRect frame = menu->frameGeometry();
    const QRect area = menu->screen()->geometry();
    EXPECT_NEAR(frame.left(), (area.width() - frame.width()) / 2.0, 1.0);
    EXPECT_NEAR(frame.top(), (area.height() - frame.height()) / 2.0, 1.0);

    // The version window takes the keyboard, and Enter closes it.
    QTest::mouseClick(menu->control<QPushButton>(QStringLiteral("Command4")), Qt::LeftButton);
    settle();
    shell::Screen* version = shell->version();
    ASSERT_TRUE(version);
    EXPECT_FALSE(hasIcon(version)) << "the version window has no icon of its own";
    ASSERT_TRUE(QTest::qWaitForWindowActive(version)) << "the window manager left the version window inactive";
    EXPECT_TRUE(xprop(version->winId(), "WM_TRANSIENT_FOR").contains(QString::number(menu->winId(), 16)));
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == version->control(QStringLiteral("Picture1")); }));

    // A real click on the blocked menu (on its quit button, which the version window
    // leaves uncovered): nothing there moves, not even the focus, and the version window
    // comes back on top with the keyboard.
    QWidget* menuFocus = menu->focusWidget();
    clickOnScreen(menu->control(QStringLiteral("Command5")));
    QTest::qWait(200);
    EXPECT_EQ(menu->focusWidget(), menuFocus);
    EXPECT_EQ(quits, 0);
    ASSERT_TRUE(QTest::qWaitForWindowActive(version)) << "the version window was left behind the menu";
    const QString stacking = xprop(0, "_NET_CLIENT_LIST_STACKING");
    EXPECT_GT(stacking.indexOf(QString::number(version->winId(), 16)), stacking.indexOf(QString::number(menu->winId(), 16)))
        << "the menu stands over the version window";
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    settle();
    EXPECT_FALSE(shell->version());
    ASSERT_TRUE(QTest::qWaitForWindowActive(menu));
    EXPECT_EQ(QApplication::focusWidget(), menu->control(QStringLiteral("Command4")));

    // Nothing greys while the reveal ignores input.
    shell::PlayScreen* screen = openFromMenu("Command1");
    ASSERT_TRUE(screen && QTest::qWaitForWindowExposed(screen));
    QWidget* caption = screen->control(QStringLiteral("Label4"));
    QTest::qWait(50);
    const QImage before = onScreen(caption);
    QTest::mouseClick(screen->control<QPushButton>(QStringLiteral("Command1")), Qt::LeftButton);
    ASSERT_TRUE(screen->inputBlocked() && screen->timer(TimerId::Reveal)->isActive());
    QTest::qWait(100);
    EXPECT_TRUE(onScreen(caption) == before) << "the caption changed its look during the reveal";

    // A message meanwhile still takes Enter, and is a dialog of its screen.
    shell::setMessageHook({});
    QWindow* owner = nullptr;
    QTimer::singleShot(0, [&] {
        QWidget* box = nullptr;
        if (QTest::qWaitFor([&] { return (box = QApplication::activeModalWidget()) && box->isActiveWindow(); })) {
            owner = box->windowHandle()->transientParent();
            QTest::keyClick(box, Qt::Key_Return);
        }
    });
    screen->showMessage("テスト");
    EXPECT_EQ(owner, screen->windowHandle()) << "the message was not active, or not the screen's dialog";
}

// Every window's frame lies on the available screen area, whatever the screen and scale:
// run at 1280x1024, at 1366x768 with scale 2 and at 640x480 with scale 1.5.
TEST_F(ShellTest, EveryWindowIsWhollyReachable)
{
    toMenu();
    const QRect area = shell->menu()->screen()->availableGeometry();
    auto reachable = [&](QWidget* w) {
        // The frame as the window manager tells it, once it has framed the window.
        QStringList e;
        EXPECT_TRUE(QTest::qWaitFor([&] {
            e = xprop(w->winId(), "_NET_FRAME_EXTENTS").section('=', 1).split(',');
            return e.size() == 4;
        })) << qPrintable(w->objectName());
        const qreal r = w->devicePixelRatioF();
        const QRect f = w->geometry().marginsAdded(QMargins(qRound(e.value(0).toInt() / r), qRound(e.value(2).toInt() / r),
                                                            qRound(e.value(1).toInt() / r), qRound(e.value(3).toInt() / r)));
        // Wholly on the area where it fits; its title bar's start on it in any case.
        EXPECT_TRUE(area.contains(f.topLeft()) && (f.width() > area.width() || f.right() <= area.right()) &&
                    (f.height() > area.height() || f.bottom() <= area.bottom()))
            << qPrintable(w->objectName()) << " at " << f.x() << "," << f.y() << " " << f.width() << "x" << f.height();
    };
    ASSERT_TRUE(QTest::qWaitForWindowExposed(shell->menu(), 20000));
    reachable(shell->menu());
    QTest::mouseClick(shell->menu()->control<QPushButton>(QStringLiteral("Command4")), Qt::LeftButton);
    ASSERT_TRUE(shell->version() && QTest::qWaitForWindowExposed(shell->version()));
    reachable(shell->version());
    shell->version()->close();
    settle();
    shell::PlayScreen* screen = openFromMenu("Command2");
    ASSERT_TRUE(screen && QTest::qWaitForWindowExposed(screen));
    reachable(screen);
    QTest::keyClick(screen, Qt::Key_F1);
    QWidget* help = shell->help();
    ASSERT_TRUE(help && QTest::qWaitForWindowExposed(help));
    reachable(help);
    EXPECT_TRUE(area.width() < screen->frameGeometry().width() + 500 ||
                !help->frameGeometry().intersects(screen->frameGeometry()))
        << "room enough beside the game";

    // A message box shows its caption whole: openbox writes it in its bold title font
    // between the window icon and three buttons as tall as the title bar.
    shell::setMessageHook({});
    int boxWidth = 0;
    int titleBar = 0;
    QTimer::singleShot(0, [&] {
        QWidget* box = nullptr;
        QTest::qWaitFor([&] { return (box = QApplication::activeModalWidget()) && box->frameGeometry() != box->geometry(); });
        if (box) {
            boxWidth = box->frameGeometry().width();
            titleBar = box->geometry().top() - box->frameGeometry().top();
            static_cast<QDialog*>(box)->accept();
        }
    });
    screen->showMessage("クリア！");
    QFont font(QStringLiteral("Sans"));
    font.setPixelSize(titleBar * 11 / 20);  // openbox's own title font for its title bar
    font.setBold(true);
    EXPECT_GE(boxWidth, QFontMetrics(font).horizontalAdvance(QStringLiteral("Hopstone")) + 4 * titleBar) << titleBar;
}
