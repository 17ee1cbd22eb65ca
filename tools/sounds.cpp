// Synthesises the opening jingle and the move click, and encodes them as WAV.
#include "game_files.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace hop::tools {

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

struct Note {
    double frequency;
    double start;  // seconds
    double decay;  // time constant of the exponential tail, seconds
    double volume;
};

// Scales to the wanted peak and ends on a short fade, so neither sound clips
// nor stops with a pop however the notes happen to add up.
std::vector<std::int16_t> toPcm(const std::vector<double>& signal, double peak, double fadeSeconds)
{
    double loudest = 0.0;
    for (double v : signal)
        loudest = std::max(loudest, std::abs(v));
    const double gain = loudest > 0.0 ? peak * 32767.0 / loudest : 0.0;
    const auto fadeSamples = static_cast<std::size_t>(fadeSeconds * kSampleRate);

    std::vector<std::int16_t> pcm;
    pcm.reserve(signal.size());
    for (std::size_t i = 0; i < signal.size(); ++i) {
        double v = signal[i] * gain;
        const std::size_t left = signal.size() - 1 - i;
        if (left < fadeSamples)
            v *= static_cast<double>(left) / static_cast<double>(fadeSamples);
        pcm.push_back(static_cast<std::int16_t>(std::lround(std::clamp(v, -32767.0, 32767.0))));
    }
    return pcm;
}

} // namespace

// A rising C major arpeggio, the last note left to ring out.
std::vector<std::int16_t> composeOpening()
{
    constexpr Note kNotes[] = {
        {523.25, 0.00, 0.10, 0.80},
        {659.26, 0.13, 0.10, 0.80},
        {783.99, 0.26, 0.10, 0.85},
        {1046.50, 0.39, 0.22, 1.00},
    };
    constexpr double kAttack = 0.008; // long enough not to click, short enough to sound plucked
    constexpr double kHarmonics[] = {1.0, 0.35, 0.15, 0.06};

    std::vector<double> signal(kSampleRate); // one second
    for (const Note& note : kNotes) {
        for (std::size_t i = 0; i < signal.size(); ++i) {
            const double t = static_cast<double>(i) / kSampleRate - note.start;
            if (t < 0.0)
                continue;
            const double envelope =
                std::min(1.0, t / kAttack) * std::exp(-t / note.decay) * note.volume;
            double tone = 0.0;
            for (std::size_t h = 0; h < std::size(kHarmonics); ++h) {
                // Upper partials fade faster, which keeps the tail round rather than buzzing.
                const double partial = static_cast<double>(h + 1);
                tone += kHarmonics[h] * std::exp(-t * (partial - 1.0) * 6.0)
                        * std::sin(kTwoPi * note.frequency * partial * t);
            }
            signal[i] += envelope * tone;
        }
    }
    return toPcm(signal, 0.7, 0.05);
}

// A short wooden tick: a damped tone around 2.6 kHz roughened with a little noise.
std::vector<std::int16_t> composeClick()
{
    constexpr std::size_t kSamples = kSampleRate * 30 / 1000;
    constexpr double kAttack = 0.0005;
    constexpr double kDecay = 0.005;

    std::vector<double> signal(kSamples);
    std::uint32_t noiseState = 0x2545F491u; // fixed seed: the file must not change between builds
    for (std::size_t i = 0; i < kSamples; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        noiseState = noiseState * 1664525u + 1013904223u;
        const double noise = static_cast<double>(noiseState >> 8) / static_cast<double>(1u << 23) - 1.0;
        const double envelope = std::min(1.0, t / kAttack) * std::exp(-t / kDecay);
        const double tone = std::sin(kTwoPi * 2600.0 * t) + 0.45 * std::sin(kTwoPi * 3900.0 * t)
                            + 0.35 * noise;
        signal[i] = envelope * tone;
    }
    return toPcm(signal, 0.45, 0.004);
}

Bytes encodeWav(const std::vector<std::int16_t>& samples, int sampleRate)
{
    constexpr std::uint32_t kChannels = 1;
    constexpr std::uint32_t kBytesPerSample = 2;
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * kBytesPerSample);
    const auto rate = static_cast<std::uint32_t>(sampleRate);

    Bytes out;
    out.reserve(44 + dataBytes);
    putTag(out, "RIFF");
    putU32(out, 36 + dataBytes);
    putTag(out, "WAVE");

    putTag(out, "fmt ");
    putU32(out, 16);
    putU16(out, 1); // PCM
    putU16(out, kChannels);
    putU32(out, rate);
    putU32(out, rate * kChannels * kBytesPerSample);
    putU16(out, kChannels * kBytesPerSample);
    putU16(out, 8 * kBytesPerSample);

    putTag(out, "data");
    putU32(out, dataBytes);
    for (std::int16_t s : samples)
        putU16(out, static_cast<std::uint16_t>(s));
    return out;
}

} // namespace hop::tools
