// Helpers the benchmark programs share; kept to Qt Core so the bare yardstick links no game code.
#include "BenchSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QMap>
#include <QTextStream>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace hop::bench {

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

StartupOptions startupOptions(int argc, char** argv)
{
    StartupOptions options;
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--t0=", 5) == 0)
            options.clock.fromArgv = parseEpoch(argv[i] + 5, &options.clock.t0RealtimeMs);
        else if (std::strcmp(argv[i], "--smaps") == 0)
            options.smaps = true;
    return options;
}

long maxRssKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

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

bool FirstPaint::eventFilter(QObject* watched, QEvent* event)
{
    if (seen_ || event->type() != QEvent::Paint || !isWindow_(watched))
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
            if (smaps_)
                printResidentMappings();
            std::fflush(stdout);
            QCoreApplication::exit(0);
        },
        Qt::QueuedConnection);
    return false;
}

int argument(int argc, char** argv, const char* name, int fallback)
{
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], name) == 0)
            return std::atoi(argv[i + 1]);
    return fallback;
}

bool hasFlag(int argc, char** argv, const char* name)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], name) == 0)
            return true;
    return false;
}

void enterGameDir(const char* gameDir)
{
    // Started elsewhere (from the build tree, say), the files are in the build's game folder.
    if (!QFile::exists(QStringLiteral("koma.kzt")))
        QDir::setCurrent(QString::fromUtf8(gameDir));
}

} // namespace hop::bench
