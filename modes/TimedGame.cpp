// Clear, time-up and Giveup all end in the same reset to the starting position.
#include "modes/TimedGame.h"

#include "modes/Texts.h"

namespace hop {

PlayConfig TimedGame::configFor(const BoardLayout& layout, int countdownMs)
{
    return PlayConfig{&layout, layout.startingOccupancy(), 120, countdownMs};
}

TimedGame::TimedGame(const BoardLayout& layout, int countdownMs, ScreenPort& port)
    : PlayMode(configFor(layout, countdownMs), port)
{
}

void TimedGame::clearCheck(int count)
{
    if (resetting_ || count != 1)
        return;
    stopClock();
    port_.showMessage(texts::kClear);
    giveupReset();
}

void TimedGame::giveupReset()
{
    setGiveupEnabled(false);
    stopTimer(TimerId::Timer2);
    tim_.set(config_.timeLimit);
    resetting_ = true;
    board_.setCount(static_cast<int>(config_.opening.size()));
    hideAllHoles();
    board_.setHole(1, 0);
    for (int k = 2; k <= board_.holeCount(); ++k)
        board_.setHole(k, 1);
    resetting_ = false;
    setStartEnabled(true);
}

} // namespace hop
