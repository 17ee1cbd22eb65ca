// Reads a RIFF WAVE file into 16-bit samples, never blocking on a file that is not a regular one.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

namespace hop::resources {

struct Wave {
    int rate = 0;
    int channels = 0;               // 1 or 2
    std::vector<std::int16_t> samples;  // interleaved, whole frames only
};

// What tells one version of a file from the next: a file replaced or rewritten while
// the game runs differs in at least one of these.
struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = -1;
    timespec modified{};
    bool operator==(const FileStamp& o) const
    {
        return device == o.device && inode == o.inode && size == o.size && modified.tv_sec == o.modified.tv_sec &&
               modified.tv_nsec == o.modified.tv_nsec;
    }
};

// A long file plays its first this many bytes of sample data; the game's sounds are
// far shorter, and it keeps a huge file from filling memory.
inline constexpr std::size_t kMaxWaveData = 8u << 20;

// Rates outside this range are refused rather than handed to the sound server.
inline constexpr int kMinWaveRate = 1000;
inline constexpr int kMaxWaveRate = 384000;

// A regular file opened without blocking, or -1. The stamp is filled when it opens.
int openRegularFile(const std::string& path, FileStamp* stamp);

// Decodes 8/16/24/32-bit integer and 32/64-bit float PCM, mono or stereo, with any
// chunks before the data. Returns false for anything it cannot play whole: a truncated
// data chunk, a format it does not know, no whole frame. Takes ownership of fd.
// Gives up, between pieces of a long file, as soon as `abandon` says so.
bool decodeWave(int fd, Wave* wave, std::size_t maxDataBytes = kMaxWaveData,
                const std::function<bool()>& abandon = {});

} // namespace hop::resources
