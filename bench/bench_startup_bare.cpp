// The yardstick for the game's start-up: the least a Qt Widgets program with sound
// must do before its first paint. One frameless window the size of the title, one
// QSoundEffect (which brings up Qt Multimedia and its audio backend), nothing else.
//
// Timed exactly like bench_startup_game: from process start (--t0=<epoch seconds>
// from the runner, else /proc/self/stat) to the window's first paint event, then
// to the end of that frame. Prints the same line, so the runner can compare them;
// --smaps likewise adds the resident memory per mapping.
#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QMap>
#include <QSoundEffect>
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

double procElapsedMs()
{
    FILE* f = std::fopen("/proc/self/stat", "r");
    if (!f)
        return -1;
    char buf[1024] = {};
    const size_t n = std::fread(buf, 1, sizeof buf - 1, f);
    std::fclose(f);
    buf[n] = 0;
    const char* p = std::strrchr(buf, ')');
    if (!p)
        return -1;
    p += 2;
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
    FirstPaint(const Stopwatch& clock, QWidget* window) : clock_(clock), window_(window) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (seen_ || event->type() != QEvent::Paint || watched != window_)
            return false;
        seen_ = true;
        firstPaintMs_ = clock_.elapsedMs();
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
    QWidget* window_;
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

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Hopstone"));

    QWidget window(nullptr, Qt::Window | Qt::FramelessWindowHint);
    window.setObjectName(QStringLiteral("Form5"));
    window.resize(255, 224);
    QSoundEffect sound;

    FirstPaint watcher(clock, &window);
    app.installEventFilter(&watcher);
    QTimer::singleShot(30000, &app, [] {
        std::fputs("the window was never painted\n", stderr);
        QCoreApplication::exit(1);
    });

    window.show();
    return app.exec();
}
