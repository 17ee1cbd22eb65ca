// Everything the game settles before and right after its QApplication is made.
#include "shell/Application.h"

#include "modes/Texts.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>
#include <cstdlib>
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

void sayNoDisplay()
{
    auto shown = [](const char* variable) {
        return qEnvironmentVariableIsSet(variable) ? "\"" + qgetenv(variable) + "\"" : QByteArray("unset");
    };
    std::fprintf(stderr,
                 "Hopstone could not open a display (DISPLAY %s, WAYLAND_DISPLAY %s): "
                 "start it from a desktop session.\n",
                 shown("DISPLAY").constData(), shown("WAYLAND_DISPLAY").constData());
}

// While the QApplication is made, Qt ends the program with an abort (and a core dump)
// when no window system answers. Its fatal message is turned into one line and status 2,
// and its window-system warnings before it are left unsaid: that line says it all.
QtMessageHandler outerHandler = nullptr;

void whileOpeningTheDisplay(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtFatalMsg) {
        sayNoDisplay();
        std::_Exit(2);
    }
    // The platform's own account of the failed attempt; the game's one line says it. (The
    // Wayland plugin reports a missing compositor in the default category.)
    if ((context.category && std::strncmp(context.category, "qt.qpa", 6) == 0) ||
        message.startsWith(QLatin1String("Failed to create wl_display")))
        return;
    if (outerHandler)
        outerHandler(type, context, message);
    else
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
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
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_SOCKET")) {
        sayNoDisplay();
        return false;
    }
    // Asking the window system first would cost every start a second connection; Qt's
    // own attempt is watched instead, until setUpApplication().
    outerHandler = qInstallMessageHandler(whileOpeningTheDisplay);
    return true;
}

void setUpApplication()
{
    qInstallMessageHandler(outerHandler);
    setIdentity();
    // Lets a Wayland compositor match the windows to the installed launcher and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(HOPSTONE_APP_ID));
    // Screens close and open within one event; only the shell decides when the program ends.
    QApplication::setQuitOnLastWindowClosed(false);
    // No application-wide icon: it would become the default of every window, and the
    // title and the version window carry none. The desktop entry names the icon.
}

} // namespace hop::shell
