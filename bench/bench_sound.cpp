// Sound: latency, memory over many play-screen visits, and huge wave files, against a
// private PulseAudio daemon whose null sink's monitor is recorded (as in test_sound).
//
// latency  From the call that starts "001.wav" to its first sample in the monitor, for
//          starts 30 ms apart (the reveal), 300 ms apart (the stream open) and 2.5 s apart (the stream corked by
//          then). The sample's time is when its chunk of the recording arrived: an
//          upper bound that includes the recording's own delay.
//          --qsoundeffect measures Qt's QSoundEffect the same way, for comparison.
// visits   Board B opened from the menu and closed again, with sound, 200 times; heap in
//          use (mallinfo2) after visit 10 and after the last.
// huge     Two 60 MB wave files played in turn: resident memory before and after.
// load     Both cores kept busy (stress-ng --cpu 2): the game started afresh --load-starts
//          times (default 20) as its own process, each start with the opening sound
//          and 50 clicks, and after each start paplay playing the same files into the
//          same recording. A sound is whole when its bursts match what paplay gives.
//
// Options: --starts N (default 40)  --visits N (200)  --qsoundeffect  --only latency|visits|huge|load
// Prints "latency_<kind> starts=.. heard=.. p50_ms=.. p95_ms=.. max_ms=..", "visits ...", "huge ..."
// and "load_<game|paplay> opening_whole=../.. clicks_whole=../..".
#include "BenchSupport.h"
#include "resources/SoundBoard.h"
#include "shell/Application.h"
#include "shell/PictureCell.h"
#include "shell/PlayScreen.h"
#include "shell/Shell.h"
#include "tests/sound/SoundServer.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QSoundEffect>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>
#include <cstdio>
#include <cstring>
#include <malloc.h>

using namespace hop;
using namespace hop::test;
using Clock = std::chrono::steady_clock;

namespace {

// When the recording reached each length: the file parec writes, its size polled every
// 0.2 ms on a thread of its own. A sample's time is therefore an upper bound.
class Arrivals {
public:
    explicit Arrivals(const SoundServer& server)
        : thread_([this, path = server.recording()] {
              std::size_t last = 0;
              while (!stop_) {
                  const auto now = Clock::now();
                  const auto samples = std::size_t(QFileInfo(path).size() / 4);  // stereo frames
                  if (samples != last) {
                      std::lock_guard lock(mutex_);
                      seen_.emplace_back(last = samples, now);
                  }
                  std::this_thread::sleep_for(std::chrono::microseconds(200));
              }
          })
    {
    }
    ~Arrivals()
    {
        stop_ = true;
        thread_.join();
    }
    Clock::time_point timeOf(std::size_t sample)
    {
        std::lock_guard lock(mutex_);
        for (const auto& [count, when] : seen_)
            if (count > sample)
                return when;
        return Clock::time_point::max();
    }

private:
    std::atomic<bool> stop_ = false;
    std::mutex mutex_;
    std::vector<std::pair<std::size_t, Clock::time_point>> seen_;
    std::thread thread_;  // last: it starts running at once
};

void waitUntil(Clock::time_point t)
{
    // Not a busy wait: the recording's reader must get the processor when it needs it.
    while (Clock::now() < t) {
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::min<Clock::duration>(t - Clock::now(), std::chrono::microseconds(500)));
    }
}

double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return -1;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, std::size_t(p * double(v.size() - 1) + 0.5))];
}

void latency(SoundServer& server, Arrivals& arrivals, const char* kind, int starts, int spacingMs, bool qt)
{
    resources::SoundBoard board;
    QSoundEffect effect;
    effect.setSource(QUrl::fromLocalFile(QFile::decodeName("001.wav")));
    waitUntil(Clock::now() + std::chrono::milliseconds(500));
    auto play = [&] {
        if (qt) {
            effect.stop();
            effect.play();
        } else {
            board.play(QStringLiteral("001.wav"));
        }
    };
    play();  // connects to the server
    waitUntil(Clock::now() + std::chrono::milliseconds(spacingMs));
    const std::size_t from = server.samples().size();
    std::vector<Clock::time_point> at;
    const Clock::time_point t0 = Clock::now();
    for (int i = 0; i < starts; ++i) {
        waitUntil(t0 + std::chrono::milliseconds(i * spacingMs));
        at.push_back(Clock::now());
        play();
    }
    waitUntil(Clock::now() + std::chrono::milliseconds(std::min(spacingMs, 500)));
    const std::vector<Burst> bursts = findBursts(server.samples(), from);
    // Each burst is matched to the last start before it.
    std::vector<double> ms;
    for (const Burst& b : bursts) {
        const Clock::time_point heard = arrivals.timeOf(std::size_t(b.onsetMs * kRate / 1000));
        auto start = std::upper_bound(at.begin(), at.end(), heard);
        if (start != at.begin())
            ms.push_back(std::chrono::duration<double, std::milli>(heard - *(start - 1)).count());
    }
    std::printf("latency_%s%s starts=%d spacing_ms=%d heard=%zu p50_ms=%.1f p95_ms=%.1f max_ms=%.1f\n",
                qt ? "qsoundeffect_" : "", kind, starts, spacingMs, bursts.size(), percentile(ms, 0.5),
                percentile(ms, 0.95), percentile(ms, 1.0));
    std::fflush(stdout);
}

long heapBytes() { return long(mallinfo2().uordblks); }

void visits(int count)
{
    shell::Shell shell;
    shell.start();
    QTest::qWait(300);
    QTest::mouseClick(shell.title()->control<shell::PictureCell>(QStringLiteral("Image1")), Qt::LeftButton);
    QTest::qWait(50);
    long afterTen = 0;
    for (int i = 1; i <= count; ++i) {
        QTest::mouseClick(shell.menu()->control<QPushButton>(QStringLiteral("Command2")), Qt::LeftButton);
        QTest::qWait(20);
        shell.play()->close();
        QTest::qWait(20);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        malloc_trim(0);
        if (i == 10)
            afterTen = heapBytes();
    }
    std::printf("visits count=%d heap_after_10_kb=%ld heap_after_%d_kb=%ld growth_kb=%ld\n", count,
                afterTen / 1024, count, heapBytes() / 1024, (heapBytes() - afterTen) / 1024);
}

long rssKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

void huge()
{
    QTemporaryDir dir;
    QFile good(QStringLiteral("001.wav"));
    good.open(QIODevice::ReadOnly);
    QByteArray header = good.read(44);
    const quint32 size = 60u << 20;
    std::memcpy(header.data() + 40, &size, 4);  // little-endian machine
    resources::SoundBoard board;
    board.play(QStringLiteral("001.wav"));
    QTest::qWait(1500);
    const long before = rssKb();
    for (const char* name : {"huge1.wav", "huge2.wav"}) {
        QFile f(dir.filePath(QLatin1String(name)));
        f.open(QIODevice::WriteOnly);
        f.write(header);
        f.resize(44 + size);
        f.close();
        board.play(f.fileName());
        QTest::qWait(1000);
    }
    std::printf("huge files=2 file_mb=60 rss_before_kb=%ld rss_after_kb=%ld growth_kb=%ld\n", before, rssKb(),
                rssKb() - before);
}

// One start of the game as its own process: the title (with the opening sound, while
// the first window is built), then 50 click sounds 80 ms apart, as START's reveal
// and the countdown give them.
int childStart()
{
    shell::Shell shell;
    shell.start();
    QTest::qWait(1300);
    for (int i = 0; i < 50; ++i) {
        shell.sounds().play(QStringLiteral("001.wav"));
        QTest::qWait(80);
    }
    QTest::qWait(200);
    return 0;
}

// The bursts of each sound in [from, to): whole when the lengths match the reference's.
struct Tally {
    int whole = 0;
    int played = 0;
};

bool sameBursts(const std::vector<Burst>& got, const std::vector<Burst>& want)
{
    if (got.size() != want.size())
        return false;
    for (std::size_t i = 0; i < got.size(); ++i)
        if (std::abs(got[i].lengthMs - want[i].lengthMs) > 2.0 ||
            std::abs((got[i].onsetMs - got[0].onsetMs) - (want[i].onsetMs - want[0].onsetMs)) > 2.0)
            return false;
    return true;
}

// The bursts that start within `lengthMs` of the next sound's first onset (a little less
// than the file lasts, as the next sound may follow at once).
std::vector<Burst> soundAt(const std::vector<Burst>& all, std::size_t& next, double lengthMs)
{
    std::vector<Burst> one;
    if (next >= all.size())
        return one;
    const double start = all[next].onsetMs;
    while (next < all.size() && all[next].onsetMs < start + lengthMs)
        one.push_back(all[next++]);
    return one;
}

void load(SoundServer& server, const char* self, int starts)
{
    auto paplay = [](const char* file) { QProcess::execute(QStringLiteral("paplay"), {QString::fromLatin1(file)}); };
    // The reference: each file through paplay while the machine is still quiet.
    std::size_t from = server.samples().size();
    paplay("op.wav");
    paplay("001.wav");
    QTest::qWait(300);
    const std::vector<Burst> quiet = findBursts(server.samples(), from);
    std::size_t q = 0;
    const std::vector<Burst> opening = soundAt(quiet, q, 960);
    const std::vector<Burst> click = soundAt(quiet, q, 40);

    QProcess stress;
    stress.start(QStringLiteral("stress-ng"), {"--cpu", "2", "--quiet"});
    if (!stress.waitForStarted()) {
        std::printf("load skipped: stress-ng is missing (Debian package stress-ng)\n");
        return;
    }
    Tally game[2], reference[2];  // [0] opening, [1] clicks
    for (int i = 0; i < starts; ++i) {
        from = server.samples().size();
        QProcess::execute(QString::fromLocal8Bit(self), {"--child-start"});
        QTest::qWait(300);
        const std::size_t paplayFrom = server.samples().size();
        paplay("op.wav");
        for (int k = 0; k < 5; ++k)
            paplay("001.wav");
        QTest::qWait(300);
        const std::vector<std::int16_t> samples = server.samples();
        const std::vector<Burst> ours =
            findBursts(std::vector<std::int16_t>(samples.begin(), samples.begin() + long(paplayFrom)), from);
        const std::vector<Burst> theirs = findBursts(samples, paplayFrom);
        std::size_t at = 0;
        std::size_t r = 0;
        auto count = [](Tally& t, bool whole) { ++t.played; t.whole += whole; };
        count(game[0], sameBursts(soundAt(ours, at, 960), opening));
        for (int k = 0; k < 50; ++k)
            count(game[1], sameBursts(soundAt(ours, at, 40), click));
        count(reference[0], sameBursts(soundAt(theirs, r, 960), opening));
        for (int k = 0; k < 5; ++k)
            count(reference[1], sameBursts(soundAt(theirs, r, 40), click));
        std::string seen;
        for (const auto* list : {&opening, &click, &ours, &theirs}) {
            seen += " |";
            // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) on " " + std::string.
            for (std::size_t k = 0; k < std::min<std::size_t>(list->size(), 6); ++k) {
                seen.append(" ").append(std::to_string(int((*list)[k].onsetMs)));
                seen.append("+").append(std::to_string(int((*list)[k].lengthMs)));
            }
            seen.append(" (").append(std::to_string(list->size())).append(")");
        }
        std::fprintf(stderr, "start %d: game %d/%d opening, %d/%d clicks; reference, click, game, paplay:%s\n", i + 1,
                     game[0].whole, game[0].played, game[1].whole, game[1].played, seen.c_str());
    }
    stress.terminate();
    stress.waitForFinished();
    for (const auto& [name, t] : {std::pair{"game", game}, std::pair{"paplay", reference}})
        std::printf("load_%s starts=%d opening_whole=%d/%d clicks_whole=%d/%d\n", name, starts, t[0].whole,
                    t[0].played, t[1].whole, t[1].played);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    if (bench::hasFlag(argc, argv, "--child-start")) {
        bench::enterGameDir(HOPSTONE_GAME_DIR);
        QApplication app(argc, argv);
        shell::setUpApplication();
        return childStart();
    }
    const int starts = bench::argument(argc, argv, "--starts", 40);
    const int visitCount = bench::argument(argc, argv, "--visits", 200);
    const bool qt = bench::hasFlag(argc, argv, "--qsoundeffect");
    QByteArray only;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--only") == 0)
            only = argv[i + 1];
    bench::enterGameDir(HOPSTONE_GAME_DIR);

    QApplication app(argc, argv);
    shell::setUpApplication();
    SoundServer server;
    if (!server.start()) {
        std::fprintf(stderr, "bench_sound: no PulseAudio daemon (see its output above)\n");
        return 1;
    }
    if (only.isEmpty() || only == "latency") {
        Arrivals arrivals(server);
        latency(server, arrivals, "reveal", 23, 30, qt);
        latency(server, arrivals, "open", starts, 300, qt);
        latency(server, arrivals, "closed", std::max(4, starts / 4), 2500, qt);
    }
    if (only.isEmpty() || only == "visits")
        visits(visitCount);
    if (only.isEmpty() || only == "huge")
        huge();
    if (only.isEmpty() || only == "load")
        load(server, argv[0], bench::argument(argc, argv, "--load-starts", 20));
    return 0;
}
