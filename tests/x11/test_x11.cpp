// What only a real X server and window manager show: activation, frames, pixels, dialogs.
#include "tests/shell/ShellFixture.h"

#include <QApplication>
#include <QMessageBox>
#include <QScreen>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cstdlib>

using namespace hop;
using namespace hop::test;

namespace {

xcb_window_t transientFor(QWidget* w)
{
    xcb_connection_t* c = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
    xcb_get_property_reply_t* p = xcb_get_property_reply(
        c, xcb_get_property(c, 0, xcb_window_t(w->winId()), XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, 0, 1),
        nullptr);
    const xcb_window_t owner =
        p && xcb_get_property_value_length(p) == 4 ? *static_cast<xcb_window_t*>(xcb_get_property_value(p)) : 0;
    std::free(p);
    return owner;
}

// The label as the X server shows it, not as Qt would draw it again.
QImage onScreen(QWidget* w)
{
    const QPoint at = w->mapTo(w->window(), QPoint());
    return w->screen()->grabWindow(w->window()->winId(), at.x(), at.y(), w->width(), w->height()).toImage();
}

} // namespace

class RealWindows : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        shell->start();
        // A window manager still starting on a busy machine manages the first window late.
        ASSERT_TRUE(QTest::qWaitForWindowExposed(shell->title(), 20000));
        EXPECT_TRUE(shell->title()->windowIcon().isNull()) << "the title has no icon of its own";
        QTest::mouseClick(shell->title()->control<shell::PictureCell>(QStringLiteral("Image1")), Qt::LeftButton);
        settle();
        ASSERT_TRUE(shell->menu() && QTest::qWaitForWindowActive(shell->menu()));
    }
};

TEST_F(RealWindows, TheFirstMenuIsCentredByItsFrameAndTheVersionWindowTakesTheKeyboard)
{
    shell::Screen* menu = shell->menu();
    ASSERT_TRUE(QTest::qWaitFor([&] { return menu->frameGeometry() != menu->geometry(); }));
    const QRect frame = menu->frameGeometry();
    const QRect area = menu->screen()->geometry();
    EXPECT_NEAR(frame.left(), (area.width() - frame.width()) / 2.0, 1.0);
    EXPECT_NEAR(frame.top(), (area.height() - frame.height()) / 2.0, 1.0);
    EXPECT_FALSE(menu->windowIcon().isNull());

    QTest::mouseClick(menu->control<QPushButton>(QStringLiteral("Command4")), Qt::LeftButton);
    settle();
    shell::Screen* version = shell->version();
    ASSERT_TRUE(version);
    EXPECT_TRUE(version->windowIcon().isNull()) << "the version window has no icon of its own";
    ASSERT_TRUE(QTest::qWaitForWindowActive(version)) << "the window manager left the version window inactive";
    EXPECT_EQ(QApplication::focusWidget(), version->control(QStringLiteral("Picture1")));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    settle();
    EXPECT_FALSE(shell->version());
    ASSERT_TRUE(QTest::qWaitForWindowActive(menu));
    EXPECT_EQ(QApplication::focusWidget(), menu->control(QStringLiteral("Command4")));
}

TEST_F(RealWindows, NothingGreysDuringTheRevealAndMessagesAreDialogsOfTheirScreen)
{
    shell::PlayScreen* screen = openFromMenu("Command1");
    ASSERT_TRUE(screen && QTest::qWaitForWindowExposed(screen));
    QWidget* caption = screen->control(QStringLiteral("Label4"));
    QTest::qWait(50);
    const QImage before = onScreen(caption);
    QTest::mouseClick(screen->control<QPushButton>(QStringLiteral("Command1")), Qt::LeftButton);
    ASSERT_TRUE(screen->inputBlocked() && screen->timer(TimerId::Reveal)->isActive());
    QTest::qWait(100);
    EXPECT_TRUE(onScreen(caption) == before) << "the caption changed its look during the reveal";

    // A message while the screen ignores input still takes Enter, and is the screen's dialog.
    shell::setMessageHook({});
    xcb_window_t owner = 0;
    bool active = false;
    QTimer::singleShot(0, [&] {
        QWidget* box = nullptr;
        if (!QTest::qWaitFor([&] { return (box = QApplication::activeModalWidget()) && box->isActiveWindow(); }))
            return;
        active = box->isActiveWindow();
        owner = transientFor(box);
        QTest::keyClick(box, Qt::Key_Return);
    });
    screen->showMessage("テスト");
    EXPECT_TRUE(active);
    EXPECT_EQ(owner, xcb_window_t(screen->winId()));
}
