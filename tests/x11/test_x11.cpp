// What only a real X server and window manager show: activation, frames, pixels, dialogs.
#include "tests/shell/ShellFixture.h"

#include <QApplication>
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

} // namespace

TEST_F(ShellTest, RealWindowsAreCentredActiveUngreyedAndOwnTheirMessages)
{
    toMenu();
    shell::Screen* menu = shell->menu();
    // A window manager still starting on a busy machine manages the first window late.
    ASSERT_TRUE(QTest::qWaitForWindowActive(menu, 20000));
    EXPECT_FALSE(menu->windowIcon().isNull());

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
    EXPECT_TRUE(version->windowIcon().isNull()) << "the version window has no icon of its own";
    ASSERT_TRUE(QTest::qWaitForWindowActive(version)) << "the window manager left the version window inactive";
    EXPECT_EQ(QApplication::focusWidget(), version->control(QStringLiteral("Picture1")));
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
