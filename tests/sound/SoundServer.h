// A private PulseAudio daemon with a null sink, the sink's monitor recorded by parec,
// and the bursts of sound found in the recording.
#pragma once

#include <QProcess>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace hop::test {

using Clock = std::chrono::steady_clock;

class SoundServer {
public:
    static constexpr int kRate = 48000;

    // Starts the daemon and the recording, and waits until the recording keeps real
    // time. Points this process's PulseAudio clients at the daemon.
    bool start();
    ~SoundServer();

    // The recording so far, and when a sample of it had arrived here: at the latest,
    // the sample was in the sink this long after it was started.
    std::vector<std::int16_t> samples();
    Clock::time_point timeOf(std::size_t sample);

    QString log() const { return dir_.filePath(QStringLiteral("daemon.log")); }

private:
    void record();

    QTemporaryDir dir_;
    QProcess daemon_;
    std::thread recorder_;
    std::atomic<bool> stop_ = false;
    std::mutex mutex_;
    std::vector<std::int16_t> samples_;
    // (samples recorded so far, when they had arrived), one per read
    std::vector<std::pair<std::size_t, Clock::time_point>> arrivals_;
};

struct Burst {
    double onsetMs;   // from the start of the recording
    double lengthMs;
};

// Stretches of sound, split where at least 3 ms are silent.
std::vector<Burst> findBursts(const std::vector<std::int16_t>& samples, std::size_t from);

} // namespace hop::test
