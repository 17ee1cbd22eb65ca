// A private PulseAudio daemon with a null sink, the sink's monitor recorded by parec,
// and the bursts of sound found in the recording. The daemon runs as whoever runs the
// tests, with its own runtime folder and home, no D-Bus and no autospawn, so it meets
// no desktop's sound server and leaves nothing behind.
#pragma once

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <thread>
#include <vector>

namespace hop::test {

class SoundServer {
public:
    static constexpr int kRate = 48000;

    // Starts the daemon and the recording, and waits until the recording keeps real time.
    bool start()
    {
        const QString socket = dir_.filePath(QStringLiteral("native"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir_.path());
        env.insert(QStringLiteral("HOME"), dir_.path());
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), "unix:path=" + dir_.filePath(QStringLiteral("no-bus")));
        env.remove(QStringLiteral("DISPLAY"));
        daemon_.setProcessEnvironment(env);
        daemon_.setProcessChannelMode(QProcess::ForwardedChannels);
        daemon_.start(QStringLiteral("pulseaudio"),
                      {"-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no", "-L",
                       "module-null-sink sink_name=hop rate=48000 channels=2", "-L",
                       "module-native-protocol-unix auth-anonymous=1 socket=" + socket});
        for (int i = 0; i < 500 && !QFileInfo::exists(socket); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        // This process's clients, parec among them, find the daemon by its socket alone.
        qputenv("PULSE_SERVER", "unix:" + socket.toLocal8Bit());
        parec_.setStandardOutputFile(recording());
        parec_.start(QStringLiteral("parec"), {"--device=hop.monitor", "--raw", "--format=s16le", "--rate=48000",
                                               "--channels=1", "--latency-msec=2"});
        // The first moments of a monitor recording can be lost: wait until it keeps time.
        for (int i = 0; i < 50; ++i) {
            const qint64 before = QFileInfo(recording()).size();
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            if (QFileInfo(recording()).size() - before > 2 * kRate * 180 / 1000)
                return true;
        }
        return false;
    }

    ~SoundServer()
    {
        for (QProcess* p : {&parec_, &daemon_}) {
            p->terminate();  // SIGTERM to its PID
            p->waitForFinished();
        }
    }

    // The monitor as parec writes it: 16-bit mono at kRate.
    QString recording() const { return dir_.filePath(QStringLiteral("monitor.raw")); }

    std::vector<std::int16_t> samples() const
    {
        QFile file(recording());
        file.open(QIODevice::ReadOnly);
        const QByteArray bytes = file.readAll();
        const auto* in = reinterpret_cast<const std::int16_t*>(bytes.constData());
        return {in, in + bytes.size() / 2};
    }

private:
    QTemporaryDir dir_;
    QProcess daemon_;
    QProcess parec_;
};

struct Burst {
    double onsetMs;  // from the start of the recording
    double lengthMs;
};

// Stretches of sound, split where at least 3 ms are silent.
inline std::vector<Burst> findBursts(const std::vector<std::int16_t>& samples, std::size_t from)
{
    auto ms = [](std::size_t n) { return double(n) * 1000.0 / SoundServer::kRate; };
    std::vector<Burst> bursts;
    for (std::size_t i = from; i < samples.size(); ++i) {
        if (std::abs(samples[i]) < 1500)
            continue;
        if (!bursts.empty() && ms(i) - bursts.back().onsetMs - bursts.back().lengthMs <= 3)
            bursts.back().lengthMs = ms(i + 1) - bursts.back().onsetMs;
        else
            bursts.push_back({ms(i), ms(1)});
    }
    return bursts;
}

} // namespace hop::test
