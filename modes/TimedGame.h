// The timed game of the Board A and Board B screens.
#pragma once

#include "modes/PlayMode.h"

namespace hop::modes {

class TimedGame : public PlayMode {
public:
    TimedGame(Mode mode, ScreenPort& port, Pace clock = Pace::Normal) : PlayMode(mode, port, clock) {}

protected:
    void clearCheck(int count) override;
    void giveupReset() override;

private:
    // Rebuilding the board passes the count through 1; that is no clear.
    bool resetting_ = false;
};

} // namespace hop::modes
