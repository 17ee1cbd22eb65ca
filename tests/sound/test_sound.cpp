// Sounds as a player hears them: every start against a real PulseAudio daemon, its
// null sink's monitor recorded and cut into bursts.
#include "tests/shell/ShellFixture.h"
#include "tests/sound/SoundServer.h"

#include "resources/SoundBoard.h"

#include <QFile>

#include <bit>
#include <cmath>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

using namespace hop;
using namespace hop::test;
using namespace std::chrono_literals;

namespace {

// One daemon for the whole program, stopped before the application goes.
class Heard : public ShellTest {
protected:
    static void SetUpTestSuite()
    {
        server_ = new SoundServer;
        started_ = server_->start();
    }
    static void TearDownTestSuite() { delete server_; }
    void SetUp() override
    {
        ShellTest::SetUp();
        ASSERT_TRUE(started_) << "no PulseAudio daemon with a recorded null sink; see " << server_->log().toStdString();
    }
    static SoundServer& server() { return *server_; }
    static inline SoundServer* server_ = nullptr;
    static inline bool started_ = false;
};

struct Tone {
    int tag = 1;  // 1 integer PCM, 3 float
    int bits = 16;
    int channels = 1;
    int rate = SoundServer::kRate;
    int ms = 12;
    int listBytes = 0;  // a LIST chunk before the data
};

QByteArray le(qint64 v, int bytes)
{
    QByteArray b;
    for (int i = 0; i < bytes; ++i)
        b.append(char(v >> (8 * i)));
    return b;
}

// A 1 kHz tone at half scale, sharp-edged so its length can be read off the recording.
QByteArray wave(const Tone& w, qint64 dataBytes = -1)
{
    QByteArray data;
    for (int i = 0; i < w.rate * w.ms / 1000 * w.channels; ++i) {
        const double v = 0.5 * std::sin(2 * M_PI * 1000.0 * (i / w.channels) / w.rate);
        data += w.tag == 3    ? le(std::bit_cast<quint32>(float(v)), 4)
                : w.bits == 8 ? le(std::lround(128 + 127 * v), 1)
                              : le(std::lround(v * ((1 << (w.bits - 1)) - 1)), w.bits / 8);
    }
    if (dataBytes >= 0)
        data.resize(dataBytes, char(w.bits == 8 ? 128 : 0));
    const QByteArray list = w.listBytes ? "LIST" + le(w.listBytes, 4) + QByteArray(w.listBytes, 'i') : QByteArray();
    return "RIFF" + le(36 + list.size() + data.size(), 4) + "WAVEfmt " + le(16, 4) + le(w.tag, 2) + le(w.channels, 2) +
           le(w.rate, 4) + le(w.rate * w.channels * w.bits / 8, 4) + le(w.channels * w.bits / 8, 2) + le(w.bits, 2) +
           list + "data" + le(data.size(), 4) + data;
}

QString write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

struct Start {
    Clock::time_point at;
    double lengthMs;  // the file's length; 0 for a file that must stay silent
};

double msBetween(Clock::time_point a, Clock::time_point b)
{
    return std::chrono::duration<double, std::milli>(b - a).count();
}

using Plan = std::vector<std::tuple<int, QString, double>>;

// Plays (file, length) pairs at the given offsets and returns what was started when.
std::vector<Start> playAt(resources::SoundBoard& sounds, const Plan& plan)
{
    std::vector<Start> starts;
    const Clock::time_point t0 = Clock::now() + 50ms;
    for (const auto& [offset, file, length] : plan) {
        std::this_thread::sleep_until(t0 + std::chrono::milliseconds(offset));
        starts.push_back({Clock::now(), length});
        sounds.play(file);
    }
    std::this_thread::sleep_for(800ms);
    return starts;
}

// One burst per start, each as long as its file unless the next start cuts it (a
// sound cut by one that follows at once merges with it), onsets spaced as started.
void expectHeard(SoundServer& server, std::size_t from, const std::vector<Start>& starts)
{
    std::vector<Start> expected;
    for (std::size_t i = 0; i < starts.size(); ++i) {
        if (starts[i].lengthMs == 0)
            continue;
        double length = starts[i].lengthMs;
        if (i + 1 < starts.size())
            length = std::min(length, msBetween(starts[i].at, starts[i + 1].at));
        if (!expected.empty() && msBetween(expected.back().at, starts[i].at) <= expected.back().lengthMs + 3)
            expected.back().lengthMs = msBetween(expected.back().at, starts[i].at) + length;
        else
            expected.push_back({starts[i].at, length});
    }
    const std::vector<Burst> heard = findBursts(server.samples(), from);
    std::string lengths;
    for (const Burst& b : heard)
        lengths += std::to_string(int(b.onsetMs)) + "+" + std::to_string(int(b.lengthMs)) + " ";
    ASSERT_EQ(heard.size(), expected.size()) << "bursts heard (onset+length ms): " << lengths;
    for (std::size_t k = 0; k < heard.size(); ++k) {
        EXPECT_NEAR(heard[k].lengthMs, expected[k].lengthMs, 5) << "burst " << k << ": " << lengths;
        EXPECT_NEAR(heard[k].onsetMs - heard[0].onsetMs, msBetween(expected[0].at, expected[k].at), 10)
            << "burst " << k << ": " << lengths;
    }
}

} // namespace

TEST_F(Heard, EveryStartIsHeardFromItsFirstSampleUntilItEndsOrTheNextCutsIt)
{
    QTemporaryDir dir;
    const QString click = write(dir.filePath("click.wav"), wave({.ms = 12, .listBytes = 4000}));
    const QString tick = write(dir.filePath("tick.wav"), wave({.bits = 24, .channels = 2, .rate = 44100, .ms = 100}));
    // Float, and in the click's own rate and channels: the cut must not wait for a new stream.
    const QString opening = write(dir.filePath("op.wav"), wave({.tag = 3, .bits = 32, .ms = 600}));
    const QString tock = write(dir.filePath("tock.wav"), wave({.bits = 8, .rate = 22050, .ms = 60}));
    resources::SoundBoard sounds;
    playAt(sounds, {{0, click, 12}});  // the first sound also connects to the server
    const std::size_t from = server().samples().size();

    Plan plan;
    for (int i = 0; i < 23; ++i)
        plan.emplace_back(30 * i, click, 12);  // the reveal
    for (int i = 0; i < 4; ++i)
        plan.emplace_back(1200 + 980 * i, tick, 100);  // the clock
    plan.insert(plan.end(), {{5000, opening, 600}, {5250, click, 12},  // the title clicked away early
                             {5800, tock, 60}, {6100, dir.filePath("missing.wav"), 0}, {6400, tock, 60}});
    expectHeard(server(), from, playAt(sounds, plan));
}

TEST_F(Heard, HostileWaveFilesStaySilentAndTheNextSoundStillPlays)
{
    QTemporaryDir dir;
    const QString click = write(dir.filePath("001.wav"), wave({}));
    QStringList hostile;
    for (int rate : {1, 10, 20, 40})
        hostile << write(dir.filePath(QStringLiteral("rate%1.wav").arg(rate)), wave({.rate = rate, .ms = 4000}));
    // Stereo data that is not whole frames, silent where whole frames can be played.
    for (int bytes : {6, 10, 1002})
        hostile << write(dir.filePath(QStringLiteral("s16-%1.wav").arg(bytes)), wave({.channels = 2, .ms = 0}, bytes));
    for (int bytes : {3, 1001, 44101})
        hostile << write(dir.filePath(QStringLiteral("s8-%1.wav").arg(bytes)), wave({.bits = 8, .channels = 2, .ms = 0}, bytes));
    QByteArray truncated = wave({.ms = 100});
    hostile << write(dir.filePath("cut.wav"), truncated.left(truncated.size() / 2))
            << write(dir.filePath("empty.wav"), {}) << write(dir.filePath("text.wav"), QByteArray(300, 'x'));
    ASSERT_EQ(mkfifo(QFile::encodeName(dir.filePath("fifo.wav")).constData(), 0600), 0);
    ASSERT_EQ(symlink("/dev/zero", QFile::encodeName(dir.filePath("device.wav")).constData()), 0);
    hostile << dir.filePath("fifo.wav") << dir.filePath("device.wav");
    // Two 60 MB files of silence, sparse on disk.
    for (const char* name : {"huge1.wav", "huge2.wav"}) {
        const QString path = write(dir.filePath(name), wave({}, 0).chopped(4) + le(60 << 20, 4));
        ASSERT_EQ(truncate(QFile::encodeName(path).constData(), 44 + (60 << 20)), 0);
        hostile << path;
    }

    resources::SoundBoard sounds;
    playAt(sounds, {{0, click, 12}});
    const std::size_t from = server().samples().size();
    Plan plan;
    for (int i = 0; i < hostile.size(); ++i)
        plan.insert(plan.end(), {{150 * i, hostile[i], 0}, {150 * i + 60, click, 12}});
    expectHeard(server(), from, playAt(sounds, plan));
}

// The real screens: title, menu, Board B, START with its reveal, two clock ticks, close.
TEST_F(Heard, EverySoundPlaceOfAGameIsHeardOnce)
{
    useScratchFolder();
    write(QStringLiteral("op.wav"), wave({.ms = 300}));
    write(QStringLiteral("001.wav"), wave({}));
    const std::size_t from = server().samples().size();
    shell->sounds().setMuted(false);
    shell->start();
    QTest::qWait(500);
    QTest::mouseClick(shell->title()->control<shell::PictureCell>(QStringLiteral("Image1")), Qt::LeftButton);
    QTest::qWait(200);
    shell::PlayScreen* board = openFromMenu("Command2");
    ASSERT_TRUE(board);
    QTest::qWait(200);
    QTest::mouseClick(board->control<QPushButton>(QStringLiteral("Command1")), Qt::LeftButton);
    QTest::qWait(500 + 22 * 30 + 2 * 980 + 400);
    ASSERT_EQ(text(board, "TIM"), "118") << "two clock ticks";
    board->close();
    QTest::qWait(500);
    // op.wav, the title's close, the menu button, START, 23 reveal ticks, 2 clock ticks, the close.
    EXPECT_EQ(findBursts(server().samples(), from).size(), 30u);
    EXPECT_EQ(shell->sounds().log().size(), 30);
}
