// Every number of the three modes, once: board, opening, clock, reveal, roulette.
#pragma once

#include "board/BoardLayout.h"

#include <vector>

namespace hop::modes {

enum class Mode { BoardA, BoardB, Stages };

// A player who needs more time chooses the slower clock when starting the game: every
// game then lasts this many times its limit, each second still a second.
enum class Pace { Normal, Slow };
inline constexpr int kSlowClockFactor = 3;

struct Rules {
    const board::BoardLayout& board;
    std::vector<int> opening;  // occupied holes when the screen opens
    int timeLimit;             // countdown ticks of one game
    int clockPeriodMs;         // one countdown tick
    int revealFirstMs = 500;   // START to the first hole
    int revealStepMs = 30;     // between the holes after that
    int spinMs = 0;            // between the roulette's digit changes (20 a second); 0: none
    int initialDigit = 0;      // what the roulette shows before it first spins
};

const Rules& rulesFor(Mode mode);
// The countdown ticks of one game on that clock.
int timeLimit(const Rules& rules, Pace clock);

// Holes of stage s, ascending; empty for the re-test stage and any other number.
const std::vector<int>& stagePosition(int stage);
inline constexpr int kLastStage = 10;
inline constexpr int kRetestStage = 8;

} // namespace hop::modes
