// What the timed screens and the stages share: START, the reveal, the countdown, moves.
#pragma once

#include "board/Board.h"
#include "board/JumpMove.h"
#include "modes/ScreenPort.h"

namespace hop {

struct PlayConfig {
    const BoardLayout* layout = nullptr;
    std::vector<int> opening;      // occupied holes when the screen opens
    int timeLimit = 120;           // TIM's starting value
    int countdownMs = 1000;        // Timer2's interval
};

class PlayMode {
public:
    static constexpr int kRevealFirstMs = 500;
    static constexpr int kRevealStepMs = 30;

    PlayMode(const PlayConfig& config, ScreenPort& port);
    virtual ~PlayMode() = default;
    PlayMode(const PlayMode&) = delete;
    PlayMode& operator=(const PlayMode&) = delete;

    // The screen opens: occupied holes get the piece picture; no notification runs.
    void load();
    void start();                      // Command1
    void giveup();                     // Command2
    void revealTick();                 // Timer1
    void countdownTick();              // Timer2
    virtual void spinTick() {}         // Timer3
    virtual void stop() {}             // Command3
    // The close step; the shell shows the menu afterwards.
    void closeStep();

    // Mouse events, already resolved to hole numbers by the screen.
    bool pickUp(int k);
    void dragOver(int t, DragOver state);
    bool drop(int t);

    const Board& board() const { return board_; }
    Board& board() { return board_; }
    const JumpMove& move() const { return move_; }
    int timeLeft() const { return tim_.get(); }
    int timeLimit() const { return config_.timeLimit; }
    int revealCount() const { return revealCount_.get(); }
    bool screenEnabled() const { return screenEnabled_; }
    bool timerRunning(TimerId id) const { return running_[static_cast<int>(id)]; }
    bool startEnabled() const { return startEnabled_; }
    bool giveupEnabled() const { return giveupEnabled_; }

protected:
    // START after the common first steps (screen disabled, click, START disabled).
    virtual void beginAfterStart();
    virtual void clearCheck(int count) = 0;
    virtual void giveupReset() = 0;

    void setScreenEnabled(bool enabled);
    void setStartEnabled(bool enabled);
    void setGiveupEnabled(bool enabled);
    void startTimer(TimerId id);
    void stopTimer(TimerId id);
    void hideAllHoles() { board_.showAll(false); }
    // Stops the clock before a game-ending message, so the time never goes
    // below 0 and no time-up can fire while the message is open.
    void stopClock() { stopTimer(TimerId::Timer2); }

    PlayConfig config_;
    ScreenPort& port_;
    Board board_;
    JumpMove move_;
    Cell tim_;
    Cell revealCount_;

private:
    void timeUpCheck(int timeLeft);

    bool screenEnabled_ = true;
    bool startEnabled_ = true;
    bool giveupEnabled_ = false;
    bool running_[3] = {false, false, false};
};

} // namespace hop
