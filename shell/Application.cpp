// Everything the game settles before and right after its QApplication is made.
#include "shell/Application.h"

#include "modes/Rules.h"
#include "modes/Texts.h"
#include "shell/Accessibility.h"
#include "shell/Keys.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QFontDatabase>
#include <QPixmapCache>
#include <QRegularExpression>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include <unistd.h>

namespace hop::shell {
namespace {

// The name the player typed: the hopstone command passes it on, since it starts the
// game by its full path; started directly, the game's own file name.
QByteArray command;
// -platform on the command line names a window system as QT_QPA_PLATFORM does.
bool platformNamed = false;
// The command line as typed, before Qt takes its own options out of it.
std::vector<char*> typed;
// Set when no window system opened: the line that says so, said only once every
// argument has been found good (an unknown option is the news, not the display).
// The arguments are then checked on Qt's offscreen platform, which needs no display.
constexpr const char* kUnopened = "HOPSTONE_UNOPENED";
QByteArray unopened;

void nameCommand(const char* argv0)
{
    command = qgetenv("HOPSTONE_COMMAND");
    qunsetenv("HOPSTONE_COMMAND");
    if (command.isEmpty())
        command = QFile::encodeName(QFileInfo(QFile::decodeName(argv0)).fileName());
}

void setIdentity()
{
    // The name only, not a display name: Qt would append a display name to every
    // window caption that does not already end with it. The name is also the
    // class in the windows' WM_CLASS, which the launcher's StartupWMClass matches.
    QCoreApplication::setApplicationName(QString::fromUtf8(modes::texts::kApplicationTitle));
    QCoreApplication::setApplicationVersion(QStringLiteral(HOPSTONE_VERSION));
}

struct Options {
    QCommandLineParser parser;
    const QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Displays this help.")};
    const QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Displays version information.")};
    const QCommandLineOption slowClock{
        QStringLiteral("slow-clock"),
        QStringLiteral("Gives every game %1 times its time limit, for players who need more time.")
            .arg(modes::kSlowClockFactor)};
    Options()
    {
        // -platform is one option, never the letters p, l, a, ...
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        parser.setApplicationDescription(QStringLiteral(
            "Peg solitaire on two small pyramid boards.\n"
            "Reads back.kzt, koma.kzt, op.wav and 001.wav from the folder it starts in;\n"
            "the hopstone command starts it in the folder where they are installed.\n"
            "Qt's standard options, such as -style or -platform, are taken too."));
        // Not addHelpOption(): its --help-all would list options the parser never sees.
        parser.addOption(help);
        parser.addOption(version);
        parser.addOption(slowClock);
    }
};

QByteArray noDisplay()
{
    auto shown = [](const char* variable) {
        return qEnvironmentVariableIsSet(variable) ? "\"" + qgetenv(variable) + "\"" : QByteArray("unset");
    };
    return command + ": could not open a display (DISPLAY " + shown("DISPLAY") + ", WAYLAND_DISPLAY " +
           shown("WAYLAND_DISPLAY") + "): start it from a desktop session.";
}

// Platform plugins Qt looked for and did not find, and whether it found one that then
// failed: Qt tells them only in its messages.
QList<QByteArray> pluginsNotFound;
bool pluginFound = false;

QByteArray noPlugin(const QString& fatalMessage)
{
    QByteArray line = command + ": Qt has no platform plugin named \"" + pluginsNotFound.join("\", \"") +
                      "\" (from -platform or QT_QPA_PLATFORM)";
    const QString intro = QStringLiteral("Available platform plugins are: ");
    if (const qsizetype at = fatalMessage.indexOf(intro); at >= 0)
        line += "; those installed are " + fatalMessage.mid(at + intro.size()).trimmed().toUtf8();
    else
        line += ".";
    return line;
}

void sayAndEnd(const QByteArray& line)
{
    std::fprintf(stderr, "%s\n", line.constData());
    std::_Exit(2);
}

// Starts the program again as typed, on the offscreen platform, to check the arguments
// before `line` is said; returns only when there is nothing to check or it cannot.
void checkArgumentsFirst(const QByteArray& line)
{
    if (typed.size() <= 2)
        return;
    qputenv(kUnopened, line);
    qputenv("HOPSTONE_COMMAND", command);
    ::execv("/proc/self/exe", typed.data());
}

// While the QApplication is made, Qt ends the program with an abort (and a core dump)
// when no window system answers. Its fatal message is turned into one line and status 2.
// What the window-system plugins say on the way is held back until the display is
// open (one that failed is no news then), and said only if it opens.
QtMessageHandler outerHandler = nullptr;
struct Held {
    QtMsgType type;
    const char* category;
    QString message;
};
std::vector<Held> held;

void say(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (outerHandler)
        outerHandler(type, context, message);
    else
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

void whileOpeningTheDisplay(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtFatalMsg) {
        if (!unopened.isEmpty())
            sayAndEnd(unopened);
        const QByteArray line = pluginsNotFound.isEmpty() || pluginFound ? noDisplay() : noPlugin(message);
        checkArgumentsFirst(line);
        sayAndEnd(line);
    }
    if (context.category && std::strcmp(context.category, "qt.qpa.plugin") == 0) {
        static const QRegularExpression notFound(QStringLiteral("^Could not find the Qt platform plugin \"([^\"]*)\""));
        if (const QRegularExpressionMatch m = notFound.match(message); m.hasMatch())
            pluginsNotFound.append(m.captured(1).toUtf8());
        pluginFound = pluginFound || message.contains(QLatin1String("even though it was found"));
    }
    if (!context.category || std::strncmp(context.category, "qt.qpa", 6) != 0)
        held.push_back({type, context.category, message});
}

// The second start, after no window system opened: every -platform names the
// offscreen one, which needs none.
void goOffscreen(int argc, char** argv)
{
    unopened = qgetenv(kUnopened);
    qunsetenv(kUnopened);
    if (unopened.isEmpty())
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static char offscreen[] = "offscreen";
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            argv[i + 1] = offscreen;
    }
}

} // namespace

std::optional<int> handleCommandLine(int argc, char** argv)
{
    nameCommand(argv[0]);
    goOffscreen(argc, argv);
    typed.assign(argv, argv + argc);
    typed.push_back(nullptr);
    bool asked = false;
    for (int i = 1; i < argc; ++i) {
        for (const char* word : {"-h", "-help", "--help", "-v", "-version", "--version"})
            asked = asked || std::strcmp(argv[i], word) == 0;
        platformNamed =
            platformNamed || std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0;
    }
    if (!asked)
        return std::nullopt;
    // Qt's own options may stand beside them; without a display nothing could take them out.
    QCoreApplication app(argc, argv);
    setIdentity();
    Options options;
    options.parser.parse(QCoreApplication::arguments());
    if (options.parser.isSet(options.help)) {
        QString text = options.parser.helpText();
        text.replace(0, text.indexOf(QLatin1Char('\n')), "Usage: " + QFile::decodeName(command) + " [options]");
        std::fputs(qPrintable(text), stdout);
    } else {
        std::printf("%s %s\n", HOPSTONE_NAME, HOPSTONE_VERSION);
    }
    return 0;
}

bool displayAvailable()
{
    if (command.isEmpty())
        command = "H_Stone";
    if (!platformNamed && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_SOCKET")) {
        if (typed.size() <= 2) {
            std::fprintf(stderr, "%s\n", noDisplay().constData());
            return false;
        }
        // Arguments to check: the offscreen platform takes Qt's own options out of them.
        unopened = noDisplay();
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // Asking the window system first would cost every start a second connection; Qt's
    // own attempt is watched instead, until setUpApplication().
    outerHandler = qInstallMessageHandler(whileOpeningTheDisplay);
    return true;
}

void setUpApplication()
{
    qInstallMessageHandler(outerHandler);
    // On the offscreen platform, which only checks the arguments, Qt's words are no news.
    for (const Held& h : std::exchange(held, {})) {
        if (unopened.isEmpty())
            say(h.type, QMessageLogContext(nullptr, 0, nullptr, h.category), h.message);
    }
    setIdentity();
    // Lets a Wayland compositor match the windows to the installed launcher and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(HOPSTONE_APP_ID));
    // Screens close and open within one event; only the shell decides when the program ends.
    QApplication::setQuitOnLastWindowClosed(false);
    installAccessibility();
    installKeyGuard();
    // The style keeps its drawings of buttons and frames in the pixmap cache; under Qt's
    // 10 MB default it kept far more than any screen draws. What one screen draws, at up to
    // three times the scale, fits.
    QPixmapCache::setCacheLimit(256);
    // No application-wide icon: it would become the default of every window, and the
    // title and the version window carry none. The desktop entry names the icon.
}

std::optional<int> refuseArguments()
{
    QString why;
    if (QCoreApplication::arguments().size() > 1) {
        Options options;
        if (!options.parser.parse(QCoreApplication::arguments()))
            why = options.parser.errorText();
        else if (!options.parser.positionalArguments().isEmpty())
            why = "Unexpected argument '" + options.parser.positionalArguments().constFirst() + "'.";
    }
    if (!why.isEmpty()) {
        std::fprintf(stderr, "%s: %s Try '%s --help'.\n", command.constData(), qPrintable(why), command.constData());
        return 2;
    }
    // Every argument is good: now the window system that did not open is the news.
    if (!unopened.isEmpty()) {
        std::fprintf(stderr, "%s\n", unopened.constData());
        return 2;
    }
    return std::nullopt;
}

modes::Pace chosenClock()
{
    Options options;
    return options.parser.parse(QCoreApplication::arguments()) && options.parser.isSet(options.slowClock)
               ? modes::Pace::Slow
               : modes::Pace::Normal;
}

int finish(int status)
{
    if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland")))  // wayland-egl too
        return status;
    std::fflush(nullptr);
    std::_Exit(status);
}

bool japaneseFontMissing()
{
    static const bool missing = QFontDatabase::families(QFontDatabase::Japanese).isEmpty();
    return missing;
}

QString japaneseFontHint()
{
    return QStringLiteral("No installed font has Japanese characters, so the game's texts show as boxes.\n\n"
                          "Install the package fonts-ipafont-gothic, then start the game again.");
}

void checkJapaneseFontSoon()
{
    // Reading the font list takes some milliseconds: after the title's first frame,
    // which needs no font.
    QTimer::singleShot(500, qApp, [] {
        if (japaneseFontMissing())
            std::fprintf(stderr,
                         "%s: no installed font has Japanese characters, so the game's texts show as boxes; "
                         "install the package fonts-ipafont-gothic.\n",
                         command.constData());
    });
}

} // namespace hop::shell
