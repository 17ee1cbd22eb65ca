// The game each mode plays, made for a screen: the one place that knows which modes play
// the stages and which the timed board.
#pragma once

#include "modes/PlayMode.h"
#include "modes/Roulette.h"

#include <memory>

namespace hop::modes {

// `random` draws the re-test's stage where the mode has one; none: the game's own roulette.
std::unique_ptr<PlayMode> makeGame(Mode mode, ScreenPort& port, RandomSource random = {}, Pace clock = Pace::Normal);

} // namespace hop::modes
