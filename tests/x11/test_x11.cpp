// What only a real X server and window manager show: activation, frames, pixels, dialogs.
#include "tests/shell/ShellFixture.h"

#include <QApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusVariant>
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

TEST_F(ShellTest, AScreenReaderFindsAHoleByItsNameOverAtSpi)
{
    auto call = [](const QString& service, const QString& path, const char* iface, const char* method,
                   const QVariantList& args = {}) {
        QDBusMessage m = QDBusMessage::createMethodCall(service, path, QLatin1String(iface), QLatin1String(method));
        m.setArguments(args);
        return m;
    };
    const QDBusMessage address = QDBusConnection::sessionBus().call(
        call(QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"), "org.a11y.Bus", "GetAddress"));
    ASSERT_EQ(address.type(), QDBusMessage::ReplyMessage) << "no accessibility bus (tests/x11/run.sh starts one)";
    const QDBusConnection bus = QDBusConnection::connectToBus(address.arguments().value(0).toString(), "reader");
    // Answered while this program's own event loop runs: the game being read is this program.
    auto ask = [&](const QDBusMessage& m) {
        const QDBusPendingCall pending = bus.asyncCall(m, 5000);
        (void)QTest::qWaitFor([&] { return pending.isFinished(); }, 6000);
        return pending.reply().arguments().value(0);
    };
    toMenu();
    shell::PlayScreen* screen = openFromMenu("Command1");
    ASSERT_TRUE(screen && QTest::qWaitForWindowExposed(screen));
    startAndReveal(screen);

    // Breadth first from the desktop's root, as a screen reader looks for an object.
    const QString wanted = QStringLiteral("穴 13：駒あり");
    bool found = false;
    for (int tries = 0; tries < 10 && !found; ++tries, QTest::qWait(200)) {
        QList<QPair<QString, QString>> queue{{"org.a11y.atspi.Registry", "/org/a11y/atspi/accessible/root"}};
        for (qsizetype i = 0; i < queue.size() && i < 2000 && !found; ++i) {
            const auto [service, path] = queue[i];
            found = ask(call(service, path, "org.freedesktop.DBus.Properties", "Get",
                             {"org.a11y.atspi.Accessible", "Name"}))
                        .value<QDBusVariant>().variant().toString() == wanted;
            const QDBusArgument list = ask(call(service, path, "org.a11y.atspi.Accessible", "GetChildren"))
                                           .value<QDBusArgument>();
            if (list.currentType() != QDBusArgument::ArrayType)
                continue;
            list.beginArray();
            for (QString child; !list.atEnd(); list.endStructure()) {
                QDBusObjectPath childPath;
                list.beginStructure();
                list >> child >> childPath;
                queue.append({child, childPath.path()});
            }
            list.endArray();
        }
    }
    EXPECT_TRUE(found) << "no object named " << wanted.toStdString() << " on the accessibility bus";
}
