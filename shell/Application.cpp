// Everything the game settles before and right after its QApplication is made.
#include "shell/Application.h"

#include "modes/Texts.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QLibraryInfo>

#include <xcb/xcb.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace hop::shell {
namespace {

void setIdentity()
{
    // The name only, not a display name: Qt would append a display name to every
    // window caption that does not already end with it. The name is also the
    // class in the windows' WM_CLASS, which the launcher's StartupWMClass matches.
    QCoreApplication::setApplicationName(QString::fromUtf8(modes::texts::kApplicationTitle));
    QCoreApplication::setApplicationVersion(QStringLiteral(HOPSTONE_VERSION));
}

// The connection that proved the X server answers. It stays open until Qt has its
// own: an X server resets when its last client leaves, and Qt connecting during
// that reset would fail and abort, as a lone game on Xvfb found.
xcb_connection_t* probe = nullptr;

// A full handshake, so a server that refuses our credentials counts as absent, as it would for Qt.
bool xServerAnswers()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return false;
    probe = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(probe) == 0)
        return true;
    xcb_disconnect(probe);
    probe = nullptr;
    return false;
}

// Without Qt's Wayland plugin a compositor is no use to us: Qt would go on to X.
bool waylandPluginInstalled()
{
    const QDir platforms(QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms"));
    return !platforms.entryList({QStringLiteral("libqwayland*")}, QDir::Files).isEmpty();
}

bool waylandCompositorAnswers()
{
    if (!qEnvironmentVariableIsEmpty("WAYLAND_SOCKET"))
        return true; // handed over already connected by whoever started us
    const QByteArray name = qgetenv("WAYLAND_DISPLAY");
    if (name.isEmpty())
        return false;
    const QByteArray path = name.startsWith('/') ? name : qgetenv("XDG_RUNTIME_DIR") + '/' + name;
    sockaddr_un address{};
    if (path.size() >= static_cast<qsizetype>(sizeof address.sun_path))
        return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const bool answers = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return answers;
}

} // namespace

std::optional<int> handleCommandLine(int argc, char** argv)
{
    if (argc <= 1)
        return std::nullopt;
    // The parser's help names the program from the application's arguments; this
    // short-lived core application needs no display and is gone before the real one.
    QCoreApplication app(argc, argv);
    setIdentity();
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Peg solitaire on two small pyramid boards.\n"
        "Reads back.kzt, koma.kzt, op.wav and 001.wav from the folder it starts in;\n"
        "the hopstone command starts it in the folder where they are installed."));
    // Not addHelpOption(): its --help-all lists Qt's own options, which the game refuses.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Displays this help."));
    parser.addOption(help);
    const QCommandLineOption version = parser.addVersionOption();
    if (!parser.parse(QCoreApplication::arguments())) {
        std::fprintf(stderr, "H_Stone: %s Try --help.\n", qPrintable(parser.errorText()));
        return 2;
    }
    if (!parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "H_Stone: unexpected argument '%s'. Try --help.\n",
                     qPrintable(parser.positionalArguments().constFirst()));
        return 2;
    }
    if (parser.isSet(help))
        std::fputs(qPrintable(parser.helpText()), stdout);
    else if (parser.isSet(version))
        std::printf("Hopstone %s\n", HOPSTONE_VERSION);
    return 0;
}

bool displayAvailable()
{
    // Only the two window systems Qt gives up on with an abort are checked; any
    // other platform asked for by name (offscreen, vnc, ...) is Qt's to open.
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    const bool tryX = platform.isEmpty() || platform.contains("xcb");
    const bool tryWayland = platform.isEmpty() || platform.contains("wayland");
    if (!tryX && !tryWayland)
        return true;
    if ((tryX && xServerAnswers()) || (tryWayland && waylandCompositorAnswers() && waylandPluginInstalled()))
        return true;
    auto shown = [](const char* variable) {
        return qEnvironmentVariableIsSet(variable) ? "\"" + qgetenv(variable) + "\"" : QByteArray("unset");
    };
    std::fprintf(stderr,
                 "Hopstone could not open a display (DISPLAY %s, WAYLAND_DISPLAY %s): "
                 "start it from a desktop session.\n",
                 shown("DISPLAY").constData(), shown("WAYLAND_DISPLAY").constData());
    return false;
}

void setUpApplication()
{
    if (probe) {
        xcb_disconnect(probe);
        probe = nullptr;
    }
    setIdentity();
    // Lets a Wayland compositor match the windows to the installed launcher and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(HOPSTONE_APP_ID));
    // Screens close and open within one event; only the shell decides when the program ends.
    QApplication::setQuitOnLastWindowClosed(false);
    // No application-wide icon: it would become the default of every window, and the
    // title and the version window carry none. The desktop entry names the icon.
}

} // namespace hop::shell
