// Everything a play mode asks of its screen, in the game's own terms; the Qt screens
// and the test fake implement it.
#pragma once

#include "board/BoardView.h"

#include <string>

namespace hop::modes {

using board::DragIcon;

// The numbers a play screen keeps in view or in its hidden state cells.
enum class Readout { PiecesLeft, DragSource, TimeLeft, RevealCount, StageNumber, PlayFlag, RouletteDigit };
enum class Button { Start, Giveup, Stop };
// Controls the stages show and hide over the board.
enum class Overlay { RetestMarker, RoulettePanel };
enum class TimerId { Reveal, Countdown, Spin };

inline constexpr TimerId kTimers[] = {TimerId::Reveal, TimerId::Countdown, TimerId::Spin};

class ScreenPort : public board::BoardView {
public:
    virtual void showReadout(Readout readout, int value) = 0;
    virtual void setButtonEnabled(Button button, bool enabled) = 0;
    virtual void showOverlay(Overlay overlay, bool shown) = 0;
    // A disabled screen ignores every mouse and keyboard event, its close box included.
    virtual void setScreenEnabled(bool enabled) = 0;

    virtual void setTimerInterval(TimerId timer, int ms) = 0;
    virtual void startTimer(TimerId timer) = 0;
    virtual void stopTimer(TimerId timer) = 0;

    // Modal: returns once the player has acknowledged the message.
    virtual void showMessage(const std::string& text) = 0;
    virtual void beep() = 0;
    // Starts the sound and returns at once; a missing file is silent.
    virtual void playSound(const std::string& file) = 0;
    // Close the screen as its close box would (click sound, then the menu).
    virtual void closeScreen() = 0;
    // Every hole is shown and the clock runs: the board is open to play. `stage` is the
    // stage being played, 0 on a board without stages.
    virtual void boardReady(int stage) = 0;

    // The board's own cells are readouts like any other.
    void showPiecesLeft(int count) final { showReadout(Readout::PiecesLeft, count); }
    void showDragSource(int k) final { showReadout(Readout::DragSource, k); }
};

} // namespace hop::modes
