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
#include <string_view>
#include <utility>

namespace hop::shell {
namespace {

// Qt's own options, as the QGuiApplication and QApplication constructors document them for
// Qt 6 (X11's -display and -geometry among them). Qt takes each out of argv itself, written
// with one dash or two. A value is the next argument; QApplication's -style, -stylesheet and
// -qmljsdebugger also take it after '=' (-style=fusion), the others never do.
enum class Value { None, Next, NextOrJoined };
constexpr std::pair<std::string_view, Value> kQtOptions[] = {
    {"platform", Value::Next},      {"platformpluginpath", Value::Next}, {"platformtheme", Value::Next},
    {"plugin", Value::Next},        {"qwindowgeometry", Value::Next},    {"qwindowicon", Value::Next},
    {"qwindowtitle", Value::Next},  {"session", Value::Next},            {"display", Value::Next},
    {"geometry", Value::Next},      {"reverse", Value::None},            {"widgetcount", Value::None},
    {"style", Value::NextOrJoined}, {"stylesheet", Value::NextOrJoined}, {"qmljsdebugger", Value::NextOrJoined},
};

// How many arguments, from `word` on, Qt takes as one of its options: 0 when it is none.
// One that wants a value and has none is the game's to refuse.
int takenByQt(std::string_view word, bool valueFollows)
{
    if (!word.starts_with('-'))
        return 0;
    word.remove_prefix(word.starts_with("--") ? 2 : 1);
    for (const auto& [name, value] : kQtOptions) {
        if (word == name)
            return value == Value::None ? 1 : valueFollows ? 2 : 0;
        if (value == Value::NextOrJoined && word.starts_with(name) && word.substr(name.size(), 1) == "=")
            return 1;
    }
    return 0;
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
        // -slow-clock is one option, never the letters s, l, o, ...
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

// The start-up whose QApplication is being made: Qt's messages reach it only through here.
StartUp* opening = nullptr;

} // namespace

StartUp::StartUp(int argc, char** argv)
{
    command_ = qgetenv("HOPSTONE_COMMAND");
    qunsetenv("HOPSTONE_COMMAND");
    if (command_.isEmpty())
        command_ = QFile::encodeName(QFileInfo(QFile::decodeName(argv[0])).fileName());

    QStringList game{QString::fromLocal8Bit(argv[0])};
    for (int i = 1; i < argc; ++i) {
        const std::string_view word = argv[i];
        const int taken = takenByQt(word, i + 1 < argc);
        if (taken == 0)
            game.append(QString::fromLocal8Bit(argv[i]));
        platformNamed_ = platformNamed_ || (taken == 2 && (word == "-platform" || word == "--platform"));
        i += taken == 2;
    }
    Options options;
    const bool parsed = options.parser.parse(game);
    if (options.parser.isSet(options.help)) {
        QString text = options.parser.helpText();
        text.replace(0, text.indexOf(QLatin1Char('\n')), "Usage: " + QFile::decodeName(command_) + " [options]");
        answer_ = text.toLocal8Bit();
    } else if (options.parser.isSet(options.version)) {
        answer_ = HOPSTONE_NAME " " HOPSTONE_VERSION "\n";
    } else if (!parsed || !options.parser.positionalArguments().isEmpty()) {
        const QString why = !parsed ? options.parser.errorText()
                                    : "Unexpected argument '" + options.parser.positionalArguments().constFirst() + "'.";
        refusal_ = command_ + ": " + why.toLocal8Bit() + " Try '" + command_ + " --help'.";
    }
    clock_ = options.parser.isSet(options.slowClock) ? modes::Pace::Slow : modes::Pace::Normal;
}

std::optional<int> StartUp::answerHelpOrVersion() const
{
    if (answer_.isEmpty())
        return std::nullopt;
    std::fputs(answer_.constData(), stdout);
    return 0;
}

std::optional<int> StartUp::refuseArguments() const
{
    if (refusal_.isEmpty())
        return std::nullopt;
    std::fprintf(stderr, "%s\n", refusal_.constData());
    return 2;
}

QByteArray StartUp::noDisplay() const
{
    auto shown = [](const char* variable) {
        return qEnvironmentVariableIsSet(variable) ? "\"" + qgetenv(variable) + "\"" : QByteArray("unset");
    };
    return command_ + ": could not open a display (DISPLAY " + shown("DISPLAY") + ", WAYLAND_DISPLAY " +
           shown("WAYLAND_DISPLAY") + "): start it from a desktop session.";
}

QByteArray StartUp::noPlugin(const QString& fatalMessage) const
{
    QByteArray line = command_ + ": Qt has no platform plugin named \"" + pluginsNotFound_.join("\", \"") +
                      "\" (from -platform or QT_QPA_PLATFORM)";
    const QString intro = QStringLiteral("Available platform plugins are: ");
    if (const qsizetype at = fatalMessage.indexOf(intro); at >= 0)
        line += "; those installed are " + fatalMessage.mid(at + intro.size()).trimmed().toUtf8();
    else
        line += ".";
    return line;
}

bool StartUp::lookForDisplay()
{
    if (!platformNamed_ && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_SOCKET")) {
        std::fprintf(stderr, "%s\n", noDisplay().constData());
        return false;
    }
    // Asking the window system first would cost every start a second connection; Qt's
    // own attempt is watched instead, until setUp().
    opening = this;
    outerHandler_ = qInstallMessageHandler(whileOpeningTheDisplay);
    return true;
}

void StartUp::whileOpeningTheDisplay(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    StartUp& self = *opening;
    // Qt ends the program with an abort, and a core dump, when no window system answers.
    // The arguments are good by then: what did not open is the news.
    if (type == QtFatalMsg) {
        const QByteArray line =
            self.pluginsNotFound_.isEmpty() || self.pluginFound_ ? self.noDisplay() : self.noPlugin(message);
        std::fprintf(stderr, "%s\n", line.constData());
        std::_Exit(2);
    }
    if (context.category && std::strcmp(context.category, "qt.qpa.plugin") == 0) {
        static const QRegularExpression notFound(QStringLiteral("^Could not find the Qt platform plugin \"([^\"]*)\""));
        if (const QRegularExpressionMatch m = notFound.match(message); m.hasMatch())
            self.pluginsNotFound_.append(m.captured(1).toUtf8());
        self.pluginFound_ = self.pluginFound_ || message.contains(QLatin1String("even though it was found"));
    }
    if (!context.category || std::strncmp(context.category, "qt.qpa", 6) != 0)
        self.held_.push_back({type, context.category, message});
}

void StartUp::setUp()
{
    qInstallMessageHandler(outerHandler_);
    opening = nullptr;
    for (const Held& h : std::exchange(held_, {}))
        qt_message_output(h.type, QMessageLogContext(nullptr, 0, nullptr, h.category), h.message);
    setUpApplication();
}

void StartUp::checkJapaneseFontSoon() const
{
    // Reading the font list takes some milliseconds: after the title's first frame,
    // which needs no font.
    QTimer::singleShot(500, qApp, [command = command_] {
        if (japaneseFontMissing())
            std::fprintf(stderr, "%s: %s\n", command.constData(), qPrintable(japaneseFontHint().simplified()));
    });
}

void setUpApplication()
{
    // The name only, not a display name: Qt would append a display name to every
    // window caption that does not already end with it. The name is also the
    // class in the windows' WM_CLASS, which the launcher's StartupWMClass matches.
    QCoreApplication::setApplicationName(QString::fromUtf8(modes::texts::kApplicationTitle));
    QCoreApplication::setApplicationVersion(QStringLiteral(HOPSTONE_VERSION));
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

} // namespace hop::shell
