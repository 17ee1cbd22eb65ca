// The keyboard's mark on a board and the piece it holds: the arrows move the mark from
// hole to hole, a hole's number or the next piece that can jump take it there at once,
// Enter or Space picks up and drops through the same pick-up, drag feedback and drop as
// the mouse.
#pragma once

#include "shell/Keys.h"

#include <QtGlobal>

class QKeyEvent;

namespace hop::shell {

class BoardVoice;
class PlayScreen;

class KeyboardMark {
public:
    KeyboardMark(PlayScreen& screen, BoardVoice& voice);

    // A key on the board; true when the board took it.
    bool key(KeyAction action, const QKeyEvent& event);
    // Enter on hole k: pick up, drop or put back. A screen reader's press comes here too.
    void activate(int k);
    // Off the board (Tab, or the board hidden): a held piece goes back.
    void leaveBoard();
    // A message or the pointer takes over: the held piece is let go without a word.
    void letGo();

    int mark() const { return mark_; }
    int held() const { return held_; }

private:
    void setMark(int k);
    void putBack();
    void markHole(int digit, quint64 at);
    void reach(int k);
    void markInTurn(int direction);

    PlayScreen& screen_;
    BoardVoice& voice_;
    int mark_ = 0;
    int held_ = 0;
    // A first digit that may begin a two-digit hole number, and when it was typed.
    int firstDigit_ = 0;
    quint64 firstDigitAt_ = 0;
};

} // namespace hop::shell
