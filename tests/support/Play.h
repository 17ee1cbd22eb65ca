// Drives a mode through the same calls the screen makes for a mouse drag.
#pragma once

#include "modes/PlayMode.h"
#include "tests/support/FakePort.h"
#include "tests/support/Positions.h"

#include <gtest/gtest.h>

namespace hop::test {

inline void dragAndDrop(PlayMode& mode, int from, int to)
{
    ASSERT_TRUE(mode.pickUp(from)) << from;
    mode.dragOver(to, DragOver::Enter);
    ASSERT_TRUE(mode.drop(to)) << from << "->" << to;
}

// Solve the board as it stands and play every jump through the real drop path.
inline void playToClear(PlayMode& mode)
{
    const auto moves = solve(mode.board().layout(), mode.board().occupiedHoles());
    ASSERT_TRUE(moves) << "position cannot be cleared";
    for (const JumpLine& j : *moves)
        dragAndDrop(mode, j.from, j.to);
}

// START and the whole reveal.
inline void startAndReveal(PlayMode& mode, FakePort& port)
{
    mode.start();
    while (!mode.timerRunning(TimerId::Countdown) && port.step()) {
    }
}

} // namespace hop::test
