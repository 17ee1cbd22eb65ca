// Stage positions and the roulette's draw.
#include "modes/Stages.h"

#include <cmath>

namespace hop {

const std::vector<int>& stagePosition(int stage)
{
    static const std::vector<int> positions[] = {
        {},
        {8, 9, 13, 18},
        {4, 5, 6, 8, 10, 13, 14, 19},
        {8, 9, 12, 14, 17, 18, 19, 20},
        {9, 10, 13, 15, 18, 19, 20, 21},
        {1, 2, 3, 4, 5, 6, 8, 9},
        {2, 3, 5, 11, 12, 14, 15, 16, 17, 20, 21},
        {4, 5, 7, 9, 11, 14, 16, 17, 18, 19, 20},
        {},
        {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21},
        {3, 5, 8, 9, 12, 13, 14, 17},
    };
    if (stage < 1 || stage > kLastStage)
        return positions[0];
    return positions[stage];
}

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
    const float scaled = r * 7.0f;
    return static_cast<int>(roundHalfEven(scaled));
}

float RouletteRandom::next()
{
    // Park-Miller minimal standard generator; its top 24 bits give an exact float in [0, 1).
    state_ = static_cast<std::uint32_t>((static_cast<std::uint64_t>(state_) * 48271u) % 2147483647u);
    return static_cast<float>(state_ >> 7) / 16777216.0f;
}

} // namespace hop
