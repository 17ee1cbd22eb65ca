// Clear, time-up and Giveup all end in the same reset to the starting position.
#include "modes/TimedGame.h"

#include "modes/Texts.h"

#include <algorithm>

namespace hop::modes {

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
    setButton(Button::Giveup, false);
    stopTimer(TimerId::Countdown);
    tim_.set(timeLimit_);
    resetting_ = true;
    board_.setCount(static_cast<int>(rules_.opening.size()));
    hideAllHoles();
    const auto& opening = rules_.opening;
    for (int k = 1; k <= board_.holeCount(); ++k)
        board_.setHole(k, std::binary_search(opening.begin(), opening.end(), k) ? 1 : 0);
    resetting_ = false;
    setButton(Button::Start, true);
}

} // namespace hop::modes
