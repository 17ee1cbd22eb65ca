// The keyboard's mark on a board and the piece it holds: the arrows move the mark from
// hole to hole, a hole's number or the next piece that can jump take it there at once,
// Enter or Space picks up and drops through the same pick-up, drag feedback and drop as
// the mouse.
#pragma once

#include "shell/Keys.h"

#include <QtGlobal>

#include <functional>
#include <vector>

class QKeyEvent;
class QWidget;

namespace hop::modes {
class PlayMode;
}

namespace hop::shell {

class BoardVoice;
class PictureCell;

class KeyboardMark {
public:
    // The keys play `game` on the cells of `holes` (hole k at k - 1), while `boardOpen`
    // says they may; off the board the keyboard rests on `screen`.
    KeyboardMark(QWidget& screen, modes::PlayMode& game, const std::vector<PictureCell*>& holes, BoardVoice& voice,
                 std::function<bool()> boardOpen);

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

    PictureCell* hole(int k) const { return holes_[size_t(k - 1)]; }

    QWidget& screen_;
    modes::PlayMode& game_;
    const std::vector<PictureCell*>& holes_;
    BoardVoice& voice_;
    const std::function<bool()> boardOpen_;
    int mark_ = 0;
    int held_ = 0;
    // A first digit that may begin a two-digit hole number, and when it was typed.
    int firstDigit_ = 0;
    quint64 firstDigitAt_ = 0;
};

} // namespace hop::shell
