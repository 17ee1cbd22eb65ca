// Everything a play mode asks of its screen; the Qt screens and the test fake implement it.
#pragma once

#include "board/BoardView.h"

#include <string>

namespace hop {

enum class TimerId { Timer1, Timer2, Timer3 };

class ScreenPort : public BoardView {
public:
    virtual void setVisible(const std::string& control, bool visible) = 0;
    virtual void setEnabled(const std::string& control, bool enabled) = 0;
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
};

} // namespace hop
