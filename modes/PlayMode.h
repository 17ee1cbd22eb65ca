// What the timed screens and the stages share: START, the reveal, the countdown, moves.
#pragma once

#include "board/Board.h"
#include "board/JumpMove.h"
#include "modes/Rules.h"
#include "modes/ScreenPort.h"

#include <vector>

namespace hop::modes {

using board::DragOver;

class PlayMode {
public:
    PlayMode(Mode mode, ScreenPort& port, Pace clock = Pace::Normal);
    virtual ~PlayMode() = default;
    PlayMode(const PlayMode&) = delete;
    PlayMode& operator=(const PlayMode&) = delete;

    // The screen opens: it shows the opening cells, and occupied holes get the
    // piece picture; no notification runs.
    virtual void load();
    void start();                      // START
    void giveup();                     // Giveup
    void revealTick();
    void countdownTick();
    virtual void spinTick() {}
    virtual void stop() {}             // STOP
    // The close step; the shell shows the menu afterwards.
    void closeStep();

    // Mouse events, already resolved to hole numbers by the screen.
    bool pickUp(int k);
    void dragOver(int t, DragOver state);
    // True when it made a jump; the screen is told of it (jumpMade) before any hole shows it.
    bool drop(int t);
    // The shown holes the piece picked up may jump into now, in hole order.
    std::vector<int> reachableHoles() const;
    // The shown holes the piece in k could jump into now, were it picked up.
    std::vector<int> targetsOf(int k) const;
    // The pieces that could jump now, in hole order.
    std::vector<int> piecesThatCanJump() const;
    // The stage being played; 0 on a board without stages.
    virtual int stageNumber() const { return 0; }
    int timeLimit() const { return timeLimit_; }

    const board::Board& board() const { return board_; }
    int timeLeft() const { return tim_.get(); }
    bool screenEnabled() const { return screenEnabled_; }
    bool timerRunning(TimerId id) const { return running_[static_cast<int>(id)]; }
    bool startEnabled() const { return buttonEnabled(Button::Start); }
    bool giveupEnabled() const { return buttonEnabled(Button::Giveup); }
    bool buttonEnabled(Button b) const { return buttons_[static_cast<int>(b)]; }

protected:
    // START after the common first steps (screen disabled, click, START disabled).
    virtual void beginAfterStart();
    virtual void clearCheck(int count) = 0;
    virtual void giveupReset() = 0;

    void setScreenEnabled(bool enabled);
    void setButton(Button button, bool enabled);
    void startTimer(TimerId id);
    void stopTimer(TimerId id);
    void hideAllHoles() { board_.showAll(false); }
    // Stops the clock before a game-ending message, so the time never goes
    // below 0 and no time-up can fire while the message is open.
    void stopClock() { stopTimer(TimerId::Countdown); }

    const Rules& rules_;
    const int timeLimit_;
    ScreenPort& port_;
    board::Board board_;
    board::JumpMove move_;
    board::Cell tim_;
    board::Cell revealCount_;

private:
    void timeUpCheck(int timeLeft);

    bool screenEnabled_ = true;
    bool buttons_[3] = {true, false, true};  // START, Giveup, STOP
    bool running_[3] = {false, false, false};
};

} // namespace hop::modes
