#include "modes/Games.h"

#include "modes/StageGame.h"
#include "modes/TimedGame.h"

namespace hop::modes {

std::unique_ptr<PlayMode> makeGame(Mode mode, ScreenPort& port, RandomSource random, Pace clock)
{
    switch (mode) {
    case Mode::BoardA:
    case Mode::BoardB: break;
    case Mode::Stages: return std::make_unique<StageGame>(port, random ? std::move(random) : gameRoulette(), clock);
    }
    return std::make_unique<TimedGame>(mode, port, clock);
}

} // namespace hop::modes
