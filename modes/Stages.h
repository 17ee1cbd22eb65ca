// The ten Difficult stages on Board A, and the roulette's draw.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace hop {

inline constexpr int kLastStage = 10;
inline constexpr int kRetestStage = 8;
inline constexpr int kStageSeconds = 60;

// Holes of stage s, ascending; empty for 8 (the re-test) and any other number.
const std::vector<int>& stagePosition(int stage);

// r * 7 to the nearest whole number, halves to even: 0..7, with 0 and 7 half as likely.
int rouletteDigit(float r);
float roundHalfEven(float x);

// Uniform in [0, 1), single precision, never seeded: the same sequence every run.
class RouletteRandom {
public:
    float next();

private:
    std::uint32_t state_ = 1;
};

using RandomSource = std::function<float()>;

} // namespace hop
