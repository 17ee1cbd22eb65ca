// Start-up of the game, timed from process start to the title window's first paint.
//
// main() below is the game's own main() with a stopwatch added: same application
// setup, same Shell, same title. An application-wide event filter waits for the
// first paint of the title window ("Form5"), notes the time, lets that frame
// finish (children painted, backing store flushed), then prints and quits.
//
// The clock starts at the process start. The runner passes it as
// --t0=<seconds since the epoch> (bash's $EPOCHREALTIME, read before the fork);
// without it the start time comes from /proc/self/stat, which has only the
// kernel's clock-tick resolution (10 ms on most systems).
//
// Prints one line: t0=argv|proc first_paint_ms=... frame_ms=... maxrss_kb=...
// --smaps adds where the resident memory lies, per mapping, at that moment.
#include "resources/BuiltinPictures.h"
#include "shell/Shell.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QMap>
#include <QTextStream>
#include <QTimer>
#include <QWidget>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

double clockMs(clockid_t clock)
{
    timespec ts{};
    clock_gettime(clock, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

// "1700000000.123456" or "1700000000,123456" (bash writes the locale's radix).
bool parseEpoch(const char* text, double* ms)
{
    char* end = nullptr;
    const long long whole = std::strtoll(text, &end, 10);
    if (end == text)
        return false;
    double fraction = 0;
    if (*end == '.' || *end == ',') {
        double scale = 0.1;
        for (const char* p = end + 1; *p >= '0' && *p <= '9'; ++p, scale /= 10)
            fraction += (*p - '0') * scale;
    }
    *ms = (double(whole) + fraction) * 1e3;
    return true;
}

// Milliseconds since the process started, by the kernel's own record of it.
double procElapsedMs()
{
    FILE* f = std::fopen("/proc/self/stat", "r");
    if (!f)
        return -1;
    char buf[1024] = {};
    const size_t n = std::fread(buf, 1, sizeof buf - 1, f);
    std::fclose(f);
    buf[n] = 0;
    // The command name may hold spaces and parentheses: fields resume after the last ')'.
    const char* p = std::strrchr(buf, ')');
    if (!p)
        return -1;
    p += 2;  // field 3, the state
    for (int field = 3; field < 22 && *p; ++field) {
        p = std::strchr(p, ' ');
        if (!p)
            return -1;
        ++p;
    }
    const double startTicks = std::strtod(p, nullptr);
    return clockMs(CLOCK_BOOTTIME) - startTicks * 1e3 / double(sysconf(_SC_CLK_TCK));
}

struct Stopwatch {
    bool fromArgv = false;
    double t0RealtimeMs = 0;
    double elapsedMs() const { return fromArgv ? clockMs(CLOCK_REALTIME) - t0RealtimeMs : procElapsedMs(); }
};

long maxRssKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Resident kilobytes per mapped file, with anonymous memory as one entry: the
// peak figure alone cannot tell heap growth from library and font pages.
void printResidentMappings()
{
    QFile smaps(QStringLiteral("/proc/self/smaps"));
    if (!smaps.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    QMap<QString, long> byName;
    QString current;
    QTextStream in(&smaps);
    for (QString line = in.readLine(); !line.isNull(); line = in.readLine()) {
        const QStringList fields = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (fields.isEmpty())
            continue;
        if (fields[0].contains(QLatin1Char('-')) && fields.size() >= 5) {
            // "start-end perms offset dev inode [path]"
            current = fields.size() >= 6 ? fields.mid(5).join(QLatin1Char(' ')) : QStringLiteral("[anonymous]");
        } else if (fields[0] == QLatin1String("Rss:") && fields.size() >= 2) {
            byName[current] += fields[1].toLong();
        }
    }
    QList<QPair<long, QString>> sorted;
    long total = 0;
    for (auto it = byName.cbegin(); it != byName.cend(); ++it) {
        sorted.append({it.value(), it.key()});
        total += it.value();
    }
    std::sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    std::printf("smaps rss_kb=%ld", total);
    // File-backed pages (code, fonts) can be shared with other programs, dropped and read again;
    // anonymous ones (heap, stacks, pixel buffers) are the program's own.
    QFile rollup(QStringLiteral("/proc/self/smaps_rollup"));
    if (rollup.open(QIODevice::ReadOnly | QIODevice::Text)) {
        for (const QByteArray& line : rollup.readAll().split('\n')) {
            const QList<QByteArray> fields = line.simplified().split(' ');
            if (fields.size() >= 2 && (fields[0] == "Anonymous:" || fields[0] == "Pss:" || fields[0] == "Private_Dirty:" ||
                                      fields[0] == "Shared_Clean:" || fields[0] == "Private_Clean:"))
                std::printf(" %s_kb=%s", fields[0].chopped(1).toLower().constData(), fields[1].constData());
        }
    }
    std::printf("\n");
    for (qsizetype i = 0; i < sorted.size() && i < 25; ++i)
        std::printf("smaps %7ld kB  %s\n", sorted[i].first, qPrintable(sorted[i].second));
}

bool g_smaps = false;

class FirstPaint : public QObject {
public:
    FirstPaint(const Stopwatch& clock, const char* window) : clock_(clock), window_(QString::fromLatin1(window)) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (seen_ || event->type() != QEvent::Paint || !watched->isWidgetType())
            return false;
        auto* w = static_cast<QWidget*>(watched);
        if (!w->isWindow() || w->objectName() != window_)
            return false;
        seen_ = true;
        firstPaintMs_ = clock_.elapsedMs();
        // The paint event opens the frame; the children and the flush to the display
        // follow within the same update, so a queued call runs once the frame is out.
        QMetaObject::invokeMethod(
            this,
            [this] {
                const double frameMs = clock_.elapsedMs();
                std::printf("t0=%s first_paint_ms=%.2f frame_ms=%.2f maxrss_kb=%ld\n", clock_.fromArgv ? "argv" : "proc",
                            firstPaintMs_, frameMs, maxRssKb());
                if (g_smaps)
                    printResidentMappings();
                std::fflush(stdout);
                QCoreApplication::exit(0);
            },
            Qt::QueuedConnection);
        return false;
    }

private:
    const Stopwatch& clock_;
    QString window_;
    bool seen_ = false;
    double firstPaintMs_ = 0;
};

} // namespace

int main(int argc, char** argv)
{
    Stopwatch clock;
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--t0=", 5) == 0)
            clock.fromArgv = parseEpoch(argv[i] + 5, &clock.t0RealtimeMs);
        else if (std::strcmp(argv[i], "--smaps") == 0)
            g_smaps = true;

    // The game reads its files from the folder it starts in.
    if (!QFile::exists(QStringLiteral("koma.kzt")))
        QDir::setCurrent(QStringLiteral(HOPSTONE_GAME_DIR));

    // From here on, exactly what the game's main() does.
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.isEmpty() && qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        std::fputs("Hopstone needs a graphical display: start it from a desktop session (DISPLAY or WAYLAND_DISPLAY is not set).\n",
                   stderr);
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Hopstone"));
    QApplication::setApplicationVersion(QStringLiteral(HOPSTONE_VERSION));
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(builtin::programIconSet());

    FirstPaint watcher(clock, "Form5");
    app.installEventFilter(&watcher);
    // A title that never paints is a failure, not a hang.
    QTimer::singleShot(30000, &app, [] {
        std::fputs("the title window was never painted\n", stderr);
        QCoreApplication::exit(1);
    });

    hop::shell::Shell shell;
    QObject::connect(&shell, &hop::shell::Shell::quitRequested, &app, [] { QCoreApplication::exit(0); },
                     Qt::DirectConnection);
    shell.start();
    return app.exec();
}
