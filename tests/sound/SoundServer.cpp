// The daemon runs as whoever runs the tests, with its own runtime folder and home, no
// D-Bus and no autospawn, so it meets no desktop's sound server and leaves nothing behind.
#include "tests/sound/SoundServer.h"

#include <QFileInfo>

#include <cstdlib>

namespace hop::test {

namespace {

QProcessEnvironment privateEnvironment(const QString& dir)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir);
    env.insert(QStringLiteral("HOME"), dir);
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=") + dir + QStringLiteral("/no-bus"));
    env.remove(QStringLiteral("DISPLAY"));
    return env;
}

} // namespace

bool SoundServer::start()
{
    const QString socket = dir_.filePath(QStringLiteral("native"));
    daemon_.setProcessEnvironment(privateEnvironment(dir_.path()));
    daemon_.setProcessChannelMode(QProcess::MergedChannels);
    daemon_.setStandardOutputFile(log());
    daemon_.start(QStringLiteral("pulseaudio"),
                  {"-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no", "-L",
                   "module-null-sink sink_name=hop rate=48000 channels=2", "-L",
                   "module-native-protocol-unix auth-anonymous=1 socket=" + socket});
    for (int i = 0; i < 500 && !QFileInfo::exists(socket); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (!QFileInfo::exists(socket))
        return false;
    qputenv("PULSE_SERVER", "unix:" + socket.toLocal8Bit());
    recorder_ = std::thread([this] { record(); });
    // The first moments of a monitor recording can be lost: wait until it keeps time.
    auto recorded = [this] {
        std::lock_guard lock(mutex_);
        return samples_.size();
    };
    for (int i = 0; i < 50; ++i) {
        const std::size_t before = recorded();
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        if (recorded() - before > kRate * 180 / 1000)
            return true;
    }
    return false;
}

SoundServer::~SoundServer()
{
    stop_ = true;
    if (recorder_.joinable())
        recorder_.join();
    daemon_.terminate();  // SIGTERM to its PID
    daemon_.waitForFinished();
}

void SoundServer::record()
{
    QProcess parec;
    parec.setProcessEnvironment(privateEnvironment(dir_.path()));
    parec.start(QStringLiteral("parec"), {"--device=hop.monitor", "--raw", "--format=s16le", "--rate=48000",
                                          "--channels=1", "--latency-msec=2"});
    QByteArray pending;
    while (!stop_ && parec.state() != QProcess::NotRunning) {
        if (!parec.waitForReadyRead(50))
            continue;
        pending += parec.readAllStandardOutput();
        const Clock::time_point now = Clock::now();
        const qsizetype whole = pending.size() / 2 * 2;
        std::lock_guard lock(mutex_);
        const auto* in = reinterpret_cast<const std::int16_t*>(pending.constData());
        samples_.insert(samples_.end(), in, in + whole / 2);
        arrivals_.emplace_back(samples_.size(), now);
        pending.remove(0, whole);
    }
    parec.terminate();
    parec.waitForFinished();
}

std::vector<std::int16_t> SoundServer::samples()
{
    std::lock_guard lock(mutex_);
    return samples_;
}

Clock::time_point SoundServer::timeOf(std::size_t sample)
{
    std::lock_guard lock(mutex_);
    for (const auto& [count, when] : arrivals_) {
        if (count > sample)
            return when;
    }
    return Clock::time_point::max();
}

std::vector<Burst> findBursts(const std::vector<std::int16_t>& samples, std::size_t from)
{
    constexpr int kThreshold = 1500;
    constexpr std::size_t kGap = SoundServer::kRate * 3 / 1000;
    auto ms = [](std::size_t n) { return double(n) * 1000.0 / SoundServer::kRate; };
    std::vector<Burst> bursts;
    for (std::size_t i = from; i < samples.size(); ++i) {
        if (std::abs(samples[i]) < kThreshold)
            continue;
        if (!bursts.empty() && ms(i) - bursts.back().onsetMs - bursts.back().lengthMs <= ms(kGap))
            bursts.back().lengthMs = ms(i + 1) - bursts.back().onsetMs;
        else
            bursts.push_back({ms(i), ms(1)});
    }
    return bursts;
}

} // namespace hop::test
