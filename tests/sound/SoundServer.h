// A private PulseAudio daemon with a null sink, the sink's monitor recorded by parec,
// and the bursts of sound found in the recording.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <sys/types.h>

namespace hop::test {

using Clock = std::chrono::steady_clock;

class SoundServer {
public:
    static constexpr int kRate = 48000;

    // Starts the daemon and the recording, and waits until the recording keeps real
    // time. Points this process's PulseAudio clients at the daemon.
    bool start();
    void stop();
    ~SoundServer() { stop(); }

    // The recording so far, and when a sample of it was heard (at the latest).
    std::vector<std::int16_t> samples();
    Clock::time_point timeOf(std::size_t sample);

    std::string log() const { return dir_ + "/daemon.log"; }

private:
    void readRecording(int fd);
    std::size_t recorded();

    std::string dir_;
    pid_t daemon_ = -1;
    pid_t recorder_ = -1;
    std::thread reader_;
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
