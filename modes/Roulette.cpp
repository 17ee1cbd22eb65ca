// The roulette's draw.
#include "modes/Roulette.h"

#include "modes/Rules.h"

#include <cmath>

namespace hop::modes {

float roundHalfEven(float x)
{
    const float lower = std::floor(x);
    const float diff = x - lower;
    if (diff < 0.5f)
        return lower;
    if (diff > 0.5f)
        return lower + 1.0f;
    return std::fmod(lower, 2.0f) == 0.0f ? lower : lower + 1.0f;
}

int rouletteDigit(float r)
{
    const float scaled = r * static_cast<float>(kRetestStage - 1);
    return static_cast<int>(roundHalfEven(scaled));
}

float RouletteRandom::next()
{
    // Park-Miller minimal standard generator; its top 24 bits give an exact float in [0, 1).
    state_ = static_cast<std::uint32_t>((static_cast<std::uint64_t>(state_) * 48271u) % 2147483647u);
    return static_cast<float>(state_ >> 7) / 16777216.0f;
}

RandomSource gameRoulette()
{
    static RouletteRandom generator;
    return [] { return generator.next(); };
}

} // namespace hop::modes
