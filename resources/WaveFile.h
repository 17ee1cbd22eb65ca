// Reads a RIFF WAVE file into 16-bit samples.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace hop::resources {

struct Wave {
    int rate = 0;
    int channels = 0;               // 1 or 2
    std::vector<std::int16_t> samples;  // interleaved, whole frames only
};

// A long file plays its first this many bytes of sample data; the game's sounds are
// far shorter, and it keeps a huge file from filling memory.
inline constexpr std::size_t kMaxWaveData = 8u << 20;

// Rates outside this range are refused rather than handed to the sound server.
inline constexpr int kMinWaveRate = 1000;
inline constexpr int kMaxWaveRate = 384000;

// Decodes 8/16/24/32-bit integer and 32/64-bit float PCM, mono or stereo, with any
// chunks before the data. Returns false for anything it cannot play whole: a truncated
// data chunk, a format it does not know, no whole frame. Takes ownership of fd. What
// the file holds decides, never the size it reports.
// Gives up, between pieces of 64 KiB, as soon as `abandon` says so.
bool decodeWave(int fd, Wave* wave, std::size_t maxDataBytes = kMaxWaveData,
                const std::function<bool()>& abandon = {});

} // namespace hop::resources
