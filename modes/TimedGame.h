// The timed game of the Board A and Board B screens.
#pragma once

#include "modes/PlayMode.h"

namespace hop {

class TimedGame : public PlayMode {
public:
    TimedGame(const BoardLayout& layout, int countdownMs, ScreenPort& port);

    static PlayConfig configFor(const BoardLayout& layout, int countdownMs);

protected:
    void clearCheck(int count) override;
    void giveupReset() override;

private:
    // Rebuilding the board passes the count through 1; that is no clear.
    bool resetting_ = false;
};

} // namespace hop
