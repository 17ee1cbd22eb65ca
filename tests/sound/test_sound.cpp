// Sounds as a player hears them: every start against a real sound server, its
// null sink's monitor recorded and cut into bursts.
#include "tests/shell/ShellFixture.h"
#include "tests/sound/SoundServer.h"

#include "resources/SoundBoard.h"

#include <QScopeGuard>
#include <QtEndian>

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <stop_token>
#include <thread>
#include <tuple>

#include <cstdarg>
#include <dlfcn.h>
#include <fcntl.h>
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace hop;
using namespace hop::test;
using Clock = std::chrono::steady_clock;

namespace {

// A disk that stops answering: while `stalled` names a folder, a read of a file in it never
// returns, nor, with `lookUpsStall`, the opening of one; `stuck` counts the threads it holds.
std::atomic<const char*> stalled = nullptr;
std::atomic<bool> lookUpsStall = false;
std::atomic<int> stuck = 0;
// How often a thread took a lock at idle priority, where any other work keeps it from letting go.
thread_local bool atIdle = false;
std::atomic<int> lockedAtIdle = 0;

void stallIn(const char* path, bool stalls)
{
    if (const char* folder = stalled.load(); folder && stalls && std::string_view(path).starts_with(folder))
        for (++stuck;;)
            pause();
}

template <class Call>
Call real(const char* name)
{
    static std::atomic<void*> found = nullptr;  // no guarded static: a lock could come back here
    if (!found)
        found = dlsym(RTLD_NEXT, name);
    return reinterpret_cast<Call>(found.load());
}

template <class Read, class... Args>
ssize_t readUnlessStalled(const char* name, int fd, Args... args)
{
    char path[4096];
    if (const ssize_t n = stalled ? readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), path, sizeof path - 1) : -1; n > 0)
        path[n] = 0, stallIn(path, true);
    return real<Read>(name)(fd, args...);
}

} // namespace

// In place of the C library's, for every read, look-up and lock this process makes.
extern "C" ssize_t read(int fd, void* into, std::size_t bytes) { return readUnlessStalled<decltype(&read)>("read", fd, into, bytes); }
extern "C" ssize_t pread(int fd, void* into, std::size_t bytes, off_t at) { return readUnlessStalled<decltype(&pread)>("pread", fd, into, bytes, at); }
extern "C" int openat(int dir, const char* path, int flags, ...)
{
    va_list more;
    va_start(more, flags);
    const mode_t mode = flags & (O_CREAT | O_TMPFILE) ? va_arg(more, mode_t) : 0;
    va_end(more);
    stallIn(path, lookUpsStall);
    return real<int (*)(int, const char*, int, ...)>("openat")(dir, path, flags, mode);
}
extern "C" int sched_setscheduler(pid_t pid, int policy, const sched_param* param)
{
    const int done = real<decltype(&sched_setscheduler)>("sched_setscheduler")(pid, policy, param);
    atIdle = pid == 0 && done == 0 ? policy == SCHED_IDLE : atIdle;
    return done;
}
extern "C" int pthread_mutex_lock(pthread_mutex_t* mutex)
{
    lockedAtIdle += atIdle;
    return real<decltype(&pthread_mutex_lock)>("pthread_mutex_lock")(mutex);
}

namespace {

// One server for the whole program, stopped before the application goes.
class Heard : public ShellTest {
protected:
    static void SetUpTestSuite()
    {
        // What is heard is checked here, not how a starved machine copes: the game's threads,
        // made from here on, run above other work where that is allowed, as the server does.
        setpriority(PRIO_PROCESS, 0, -10);
        // On one core with the server (made from here too): a busy virtual machine's host stops each core on its own,
        // and the probe below must be stopped with every sound a still stops.
        cpu_set_t core;
        CPU_ZERO(&core);
        CPU_SET(std::max(sched_getcpu(), 0), &core);  // no core known: the first, or none where it is not ours
        sched_setaffinity(0, sizeof core, &core);
        if (!(server = new SoundServer(true))->start())
            delete std::exchange(server, nullptr);
    }
    static void TearDownTestSuite() { server && ::testing::UnitTest::GetInstance()->Failed() ? server->keep() : void(), delete server; }
    void SetUp() override { ShellTest::SetUp(); ASSERT_TRUE(server) << "no sound server with a recorded null sink (see its output above)"; }
    static inline SoundServer* server = nullptr;  // with its recording running
};

QByteArray le(qint64 v, int bytes)
{
    v = qToLittleEndian(v);
    return QByteArray(reinterpret_cast<const char*>(&v), bytes);
}

// A 1 kHz square wave at half scale after a chunk the game must skip: never near zero, so its
// length can be read off the recording, and heard even at a rate of 1 Hz. 32 bits are float.
QByteArray wave(int ms, int rate = kRate, int channels = 1, int bits = 16, qint64 dataBytes = -1)
{
    QByteArray data;
    for (int i = 0; i < rate * ms / 1000 * channels; ++i) {
        const double v = std::sin(2 * M_PI * 1000.0 * (i / channels) / rate) < 0 ? -0.5 : 0.5;
        data += bits == 32  ? le(std::bit_cast<quint32>(float(v)), 4)
                : bits == 8 ? le(std::lround(128 + 127 * v), 1)
                              : le(std::lround(v * ((1 << (bits - 1)) - 1)), bits / 8);
    }
    if (dataBytes >= 0)
        data.resize(dataBytes, char(bits == 8 ? 128 : 0));
    return "RIFF" + le(4044 + data.size(), 4) + "WAVEfmt " + le(16, 4) + le(bits == 32 ? 3 : 1, 2) + le(channels, 2) +
           le(rate, 4) + le(rate * channels * bits / 8, 4) + le(channels * bits / 8, 2) + le(bits, 2) +
           "LIST" + le(4000, 4) + QByteArray(4000, 'i') + "data" + le(data.size(), 4) + data;
}

QString write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() ? path : QString();
}

QByteArray pactl(const QStringList& args)
{
    QProcess pactl;
    return pactl.start(QStringLiteral("pactl"), args), pactl.waitForFinished(), pactl.readAllStandardOutput();
}

double msBetween(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }
const Clock::time_point epoch = Clock::now();
double clockMs(Clock::time_point t = Clock::now()) { return msBetween(epoch, t); }  // the game's clock, for the judge

// Wakes every 2 ms and keeps each span in which it woke over 10 ms late. Where the core stood still (a busy
// virtual machine's host stops one for 100 ms at a time), the server skips as long on waking, which no stream shows.
struct FreezeProbe {
    std::vector<Still> stills;  // read once stopped
    std::jthread thread{[this](const std::stop_token& stop) {
        for (Clock::time_point due = Clock::now(); !stop.stop_requested(); due = Clock::now()) {
            std::this_thread::sleep_until(due + std::chrono::milliseconds(2));
            if (msBetween(due, Clock::now()) > 12)
                stills.push_back({clockMs(due), clockMs()});
        }
    }};
    auto stop() { return thread.request_stop(), thread.join(), stills; }
};

using Played = std::pair<std::vector<Start>, std::vector<Mark>>;  // the starts, and marks around each stretch

// Plays a plan (at most `plays` times) until each of its stretches was heard once with nothing shaken (see Judge).
template <class PlayOnce>
void expectHeard(const SoundServer& server, PlayOnce play, int plays)
{
    Judge judge;
    for (int attempt = 1; attempt <= plays; ++attempt) {
        FreezeProbe probe;
        const auto [starts, marks] = play();
        const std::vector<Still> stills = probe.stop();
        const std::vector<Verdict> verdicts = judge({server.samples(), server.samples(true), starts, marks, stills}, attempt == plays);
        bool again = false;
        for (std::size_t p = 0; p < verdicts.size(); ++p) {
            for (const std::string& fault : verdicts[p].faults)
                ADD_FAILURE() << "stretch " << p << " on play " << attempt << ": " << fault;
            if (verdicts[p].again && attempt < plays)
                again = true, std::printf("play %d: stretch %zu was stopped by the server or the machine (%s); playing again\n",
                                          attempt, p, verdicts[p].seen.c_str());
        }
        if (!again)
            return;
    }
}

} // namespace

TEST_F(Heard, EveryStartIsHeardUntilItEndsOrIsCut)
{
    QTemporaryDir dir;
    const QString click = write(dir.filePath("click.wav"), wave(12));
    const QString tick = write(dir.filePath("tick.wav"), wave(100, 44100, 2, 24));
    // Every file in a format of its own, float among them: no cut may wait for a new stream.
    const QString opening = write(dir.filePath("op.wav"), wave(600, kRate, 1, 32));
    const QString tock = dir.filePath("tock.wav");  // written as each play begins, replaced on disk in the plan
    std::vector<std::tuple<int, QString, double>> plan;  // (ms after the first, file, its length or 0 for silence)
    for (int i = 0; i < 23; ++i)
        plan.emplace_back(30 * i, click, 12);  // the reveal
    // Stretches apart, each judged on its own, open with a click, so that their first sound is timed against it.
    for (int i = 0; i < 4; ++i)
        plan.insert(plan.end(), {{1050 + 980 * i, click, 12}, {1200 + 980 * i, tick, 100}});  // the clock
    plan.insert(plan.end(), {{4850, click, 12}, {5000, opening, 600}, {5250, click, 12},  // the title clicked away early
                             {5650, click, 12}, {5800, tock, 60}, {6100, dir.filePath("missing.wav"), 0}, {6400, tock, 30}});

    expectHeard(*server, [&] {
        resources::SoundBoard sounds;
        write(tock, wave(60, 22050, 1, 8));
        sounds.play(click);  // the first sound also connects to the server
        std::this_thread::sleep_for(std::chrono::milliseconds(800));
        std::vector<Start> starts;
        std::vector<Mark> marks{{clockMs(), server->recorded()}};
        const Clock::time_point t0 = Clock::now();
        int before = 0;
        for (const auto& [offset, file, length] : plan) {
            if (offset - std::exchange(before, offset) >= 350)  // a stretch of its own, marked where all is silent
                std::this_thread::sleep_until(t0 + std::chrono::milliseconds(offset - 100)), marks.push_back({clockMs(), server->recorded()});
            std::this_thread::sleep_until(t0 + std::chrono::milliseconds(offset));
            starts.push_back({clockMs(), length});
            sounds.play(offset == 6100 ? write(tock, wave(30, 22050, 1, 8)), file : file);
        }
        // Desktop mixers show the stream as the game's, with its icon and role.
        const QByteArray inputs = pactl({"list", "sink-inputs"});
        EXPECT_TRUE(inputs.contains("media.role = \"game\"") &&
                    inputs.contains("application.icon_name = \"" HOPSTONE_APP_ID "\""))
            << inputs.constData();
        std::this_thread::sleep_for(std::chrono::milliseconds(800));
        return marks.push_back({clockMs(), server->recorded()}), Played{starts, marks};
    }, 10);
}

// A disk that stops answering in the middle of a read silences only the file it holds:
// every start still cuts what plays at once, a sound in memory still plays, and the
// game lets go of the sound server and ends without waiting for the disk.
TEST_F(Heard, AReadThatNeverReturnsSilencesNothingAndIsLeftBehindAtQuit)
{
    QTemporaryDir dir;
    const QString click = write(dir.filePath("click.wav"), wave(12));
    const QString tone = write(dir.filePath("tone.wav"), wave(400));
    const QString longFile = write(dir.filePath("long.wav"), wave(12000));  // over a megabyte
    const QString shortFile = write(dir.filePath("short.wav"), wave(12));
    auto sounds = std::make_unique<resources::SoundBoard>();
    auto play = [&](const QString& file, int ms) { sounds->play(file), std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
    auto playUntilStuck = [&](const QString& file, int readers) {
        sounds->play(file);
        for (const auto until = Clock::now() + std::chrono::seconds(2); stuck < readers && Clock::now() < until;)
            std::this_thread::yield();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    };
    auto streams = [] { return pactl({"list", "short", "sink-inputs"}); };
    const QByteArray others = streams();  // the control's
    play(longFile, 300);  // read to its end, cut by the next
    play(click, 100);
    play(tone, 600);
    const std::size_t from = server->samples().size();
    const QByteArray folder = QFile::encodeName(dir.path()) + "/";
    stalled = folder.constData();
    const auto answering = qScopeGuard([] { stalled = nullptr, lookUpsStall = false; });  // the disk answers the next test
    play(tone, 50);
    playUntilStuck(longFile, 1);
    play(click, 100);
    playUntilStuck(shortFile, 2);
    play(click, 100);
    playUntilStuck(longFile, 3);
    playUntilStuck(shortFile, 4);
    play(tone, 50);
    play(shortFile, 500);  // no reader is left for it
    stalled = nullptr;
    // The tone twice cut after 50 ms, a click after each of the first two stuck reads.
    std::vector<Burst> heard = findBursts(server->samples(), from);
    joinBroken(heard, controlBreaks(server->samples(true), msOf(from), 1e9));
    const std::string seen = describe(heard);
    ASSERT_EQ(heard.size(), 4u) << seen;
    EXPECT_LT(heard[0].lengthMs + heard[3].lengthMs, 200) << seen;
    ASSERT_NE(streams(), others);
    const Clock::time_point quit = Clock::now();
    sounds.reset();
    EXPECT_LT(msBetween(quit, Clock::now()), 1000);
    EXPECT_EQ(streams(), others) << "the stream outlived the game's sound board";
    EXPECT_EQ(lockedAtIdle, 0) << "a long file's reader held a lock at idle priority";
    // Where a look-up never returns, the board that asked is left behind at quit too.
    sounds = std::make_unique<resources::SoundBoard>();
    stalled = folder.constData(), lookUpsStall = true;
    playUntilStuck(click, 5);
    const Clock::time_point quitStuck = Clock::now();
    sounds.reset();
    EXPECT_LT(msBetween(quitStuck, Clock::now()), 1000);
}

// The real screens: title, menu, Board B, START with its reveal, two clock ticks, close,
// in a folder named in Shift-JIS.
TEST_F(Heard, EverySoundPlaceOfAGameIsHeardOnce)
{
    QTemporaryDir scratch;  // the game's folder, with sounds of the test's own
    const QByteArray folder = QFile::encodeName(scratch.path()) + "/sjis-\x83\x51";
    ASSERT_TRUE(mkdir(folder, 0700) == 0 && chdir(folder) == 0);
    const auto gone = qScopeGuard([&] { std::filesystem::remove_all(folder.constData()); });  // a name QDir cannot remove
    QFile::copy(QStringLiteral(HOPSTONE_GAME_DIR "/koma.kzt"), QStringLiteral("koma.kzt"));
    write(QStringLiteral("op.wav"), wave(300));
    write(QStringLiteral("001.wav"), wave(12));
    // Judged against the starts the game made: on a busy machine a late tick may cut a click.
    std::vector<Start> starts;
    expectHeard(*server, [&] {
        onSound = [&](const QString& file) {
            starts.push_back({clockMs(), file == QLatin1String("op.wav") ? 300.0 : 12.0, false, starts.empty() ? 50.0 : kSlack});
        };
        starts.clear();
        newShell(modes::Pace::Normal, true);  // each attempt as a new run of the game
        std::vector<Mark> marks{{clockMs(), server->recorded()}};
        const auto mark = [&](int ms) { QTest::qWait(ms), marks.push_back({clockMs(), server->recorded()}); };
        shell->start();
        QTest::qWait(500);
        QTest::mouseClick(shell->title()->control<shell::PictureCell>(QStringLiteral("Image1")), Qt::LeftButton);
        QTest::qWait(200);
        shell::PlayScreen* board = openFromMenu("Command2");
        if (!board)  // judged as far as it came; the count of starts below fails
            return mark(500), Played{starts, marks};
        QTest::qWait(200);
        QTest::mouseClick(board->control<QPushButton>(QStringLiteral("Command1")), Qt::LeftButton);
        mark(400);  // the screens' clicks; then the reveal, a clock tick, and the next with the close
        mark(100 + 22 * 30 + 540);
        mark(950);
        EXPECT_TRUE(QTest::qWaitFor([&] { return text(board, "TIM") == "118"; }, 5000)) << "two clock ticks, however late";
        QTest::qWait(300);  // the close's click well clear of the tick's
        board->close();
        return mark(500), Played{starts, marks};
    }, 10);
    // op.wav, the title's close, the menu button, START, 23 reveal ticks, 2 clock ticks, the close.
    EXPECT_EQ(starts.size(), 30u);
}
