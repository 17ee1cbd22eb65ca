// Everything about a wave file is checked here, so the sound server only ever sees
// 16-bit frames at a rate it accepts, whatever the file claims.
#include "resources/WaveFile.h"

#include "resources/RegularFile.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

namespace hop::resources {

namespace {

// The format chunk, and every chunk before the data, must lie in the first 1 MB.
constexpr off_t kMaxHeaderBytes = 1 << 20;

std::uint32_t le16(const unsigned char* p) { return p[0] | p[1] << 8; }
std::uint32_t le32(const unsigned char* p) { return le16(p) | le16(p + 2) << 16; }

enum class Encoding { Integer, Float };

std::int16_t toSample(const unsigned char* p, int bytes, Encoding encoding)
{
    if (encoding == Encoding::Float) {
        double v;
        if (bytes == 4) {
            float f;
            std::uint32_t bits = le32(p);
            std::memcpy(&f, &bits, 4);
            v = f;
        } else {
            std::uint64_t bits = le32(p) | std::uint64_t(le32(p + 4)) << 32;
            std::memcpy(&v, &bits, 8);
        }
        if (!std::isfinite(v))
            return 0;
        return std::int16_t(std::lround(std::clamp(v, -1.0, 1.0) * 32767.0));
    }
    if (bytes == 1)
        return std::int16_t((int(p[0]) - 128) * 256);
    // The two most significant bytes of a little-endian signed sample.
    return std::int16_t(p[bytes - 2] | p[bytes - 1] << 8);
}

struct Format {
    int channels = 0;
    int bits = 0;
    int rate = 0;
    Encoding encoding = Encoding::Integer;
    bool playable = false;
};

// The "fmt " chunk whose body is at `at`. False when it cannot be read; otherwise
// `format` says what it names and whether the game plays that.
bool readFormat(int fd, off_t at, off_t size, Format* format)
{
    unsigned char f[40] = {};
    if (size < 16 || !readAt(fd, at, f, std::size_t(std::min<off_t>(size, 40))))
        return false;
    std::uint32_t tag = le16(f);
    if (tag == 0xFFFE && size >= 26)  // extensible: the sub-format names the real one
        tag = le16(f + 24);
    const int bits = int(le16(f + 14));
    *format = {.channels = int(le16(f + 2)),
               .bits = bits,
               .rate = int(std::min<std::uint32_t>(le32(f + 4), 0x7FFFFFFF)),
               .encoding = tag == 3 ? Encoding::Float : Encoding::Integer};
    format->playable = ((tag == 1 && (bits == 8 || bits == 16 || bits == 24 || bits == 32)) ||
                        (tag == 3 && (bits == 32 || bits == 64))) &&
                       format->channels >= 1 && format->channels <= 2 && format->rate >= kMinWaveRate &&
                       format->rate <= kMaxWaveRate;
    return true;
}

// The data chunk whose body is at `at`, read only as far as it is played: its last byte
// tells a cut file.
bool readSamples(int fd, off_t at, off_t size, const Format& format, std::size_t maxDataBytes,
                 const std::function<bool()>& abandon, Wave* wave)
{
    unsigned char last;
    if (!format.playable || size == 0 || !readAt(fd, at + size - 1, &last, 1))
        return false;
    const int sampleBytes = format.bits / 8;
    const std::size_t frameBytes = std::size_t(sampleBytes * format.channels);
    const std::size_t frames = std::min<std::size_t>(std::size_t(size), maxDataBytes) / frameBytes;
    if (frames == 0)
        return false;
    wave->rate = format.rate;
    wave->channels = format.channels;
    wave->samples.resize(frames * std::size_t(format.channels));
    // In pieces, so a long file never sits in memory twice.
    unsigned char raw[64 * 1024];
    const std::size_t perPiece = sizeof raw / frameBytes * std::size_t(format.channels);
    for (std::size_t done = 0; done < wave->samples.size(); done += perPiece) {
        const std::size_t n = std::min(perPiece, wave->samples.size() - done);
        if (abandon && abandon())
            return false;
        if (!readAt(fd, at + off_t(done) * sampleBytes, raw, n * std::size_t(sampleBytes)))
            return false;
        for (std::size_t i = 0; i < n; ++i)
            wave->samples[done + i] = toSample(&raw[i * std::size_t(sampleBytes)], sampleBytes, format.encoding);
    }
    return true;
}

} // namespace

bool decodeWave(int fd, Wave* wave, std::size_t maxDataBytes, const std::function<bool()>& abandon)
{
    struct Closer {
        int fd;
        ~Closer() { close(fd); }
    } closer{fd};
    unsigned char head[12];
    if (!readAt(fd, 0, head, 12) || std::memcmp(head, "RIFF", 4) != 0 || std::memcmp(head + 8, "WAVE", 4) != 0)
        return false;
    Format format;
    for (off_t at = 12; at + 8 <= kMaxHeaderBytes;) {
        unsigned char chunk[8];
        if (!readAt(fd, at, chunk, 8))
            return false;
        const off_t size = le32(chunk + 4);
        if (std::memcmp(chunk, "fmt ", 4) == 0 && !readFormat(fd, at + 8, size, &format))
            return false;
        if (std::memcmp(chunk, "data", 4) == 0)
            return readSamples(fd, at + 8, size, format, maxDataBytes, abandon, wave);
        at += 8 + size + (size & 1);
    }
    return false;
}

} // namespace hop::resources
