// A private sound server with a null sink, the sink's monitor recorded by parec, and
// the bursts of sound found in the recording. The server is tests/sound/sound-server:
// PipeWire or PulseAudio (HOPSTONE_SOUND_SERVER), in a folder of its own, meeting no
// desktop's sound server and leaving nothing behind.
#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace hop::test {

class SoundServer {
public:
    static constexpr int kRate = 48000;

    // Starts the server and the recording, and waits until the recording keeps real time.
    bool start()
    {
        const QString ready = dir_.filePath(QStringLiteral("server"));
        server_.setProcessChannelMode(QProcess::ForwardedChannels);
        server_.start(QFileInfo(QStringLiteral(__FILE__)).dir().filePath(QStringLiteral("sound-server")),
                      {dir_.path(), recording()});
        for (int i = 0; i < 1000 && !QFileInfo::exists(ready); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        QFile address(ready);
        if (!address.open(QIODevice::ReadOnly))
            return false;
        // This process's clients find the server by its socket alone.
        qputenv("PULSE_SERVER", address.readAll().trimmed());
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
        server_.terminate();  // SIGTERM to its PID: it stops what it started
        server_.waitForFinished();
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
    QProcess server_;
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

// For a failure's message: each burst's onset and length, in ms.
inline std::string describe(const std::vector<Burst>& bursts)
{
    std::string seen = "bursts heard (onset+length ms):";
    for (const Burst& b : bursts)  // piece by piece: GCC 12 warns falsely (-Wrestrict) on " " + std::string
        seen.append(" ").append(std::to_string(int(b.onsetMs))).append("+").append(std::to_string(int(b.lengthMs)));
    return seen;
}

// The pitch of a burst's middle half, from its sign changes.
inline double pitchHz(const std::vector<std::int16_t>& samples, const Burst& b)
{
    const auto at = [&](double ms) { return std::min(samples.size(), std::size_t(ms * SoundServer::kRate / 1000)); };
    int changes = 0;
    for (std::size_t i = at(b.onsetMs + b.lengthMs / 4) + 1; i < at(b.onsetMs + b.lengthMs * 3 / 4); ++i)
        changes += (samples[i] < 0) != (samples[i - 1] < 0);
    return changes * 1000.0 / b.lengthMs;
}

} // namespace hop::test
