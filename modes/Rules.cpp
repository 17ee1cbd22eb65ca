// The numbers of the three modes and the stage table, each written once.
#include "modes/Rules.h"

namespace hop::modes {

const Rules& rulesFor(Mode mode)
{
    using board::BoardLayout;
    static const Rules a{.board = BoardLayout::boardA(), .opening = BoardLayout::boardA().startingOccupancy(),
                         .timeLimit = 120, .clockPeriodMs = 1000};
    static const Rules b{.board = BoardLayout::boardB(), .opening = BoardLayout::boardB().startingOccupancy(),
                         .timeLimit = 120, .clockPeriodMs = 980};
    // The roulette shows the last stage it can draw before it first spins.
    static const Rules stages{.board = BoardLayout::boardA(), .opening = stagePosition(1), .timeLimit = 60,
                              .clockPeriodMs = 1000, .spinMs = 50, .initialDigit = kRetestStage - 1};
    switch (mode) {
    case Mode::BoardA: return a;
    case Mode::BoardB: return b;
    case Mode::Stages: break;
    }
    return stages;
}

int timeLimit(const Rules& rules, Pace clock)
{
    return clock == Pace::Slow ? rules.timeLimit * kSlowClockFactor : rules.timeLimit;
}

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

} // namespace hop::modes
