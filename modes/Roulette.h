// The roulette's draw: which earlier stage the re-test replays.
#pragma once

#include <cstdint>
#include <functional>

namespace hop::modes {

// r * 7 (the stages before the re-test) to the nearest whole number, halves to even:
// 0..7, with 0 and 7 half as likely.
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

// The game's one roulette generator, shared by every Difficult stages screen of a run.
RandomSource gameRoulette();

} // namespace hop::modes
