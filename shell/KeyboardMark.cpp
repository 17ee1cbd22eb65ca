// The keys act only where the game gives them no other meaning.
#include "shell/KeyboardMark.h"

#include "modes/PlayMode.h"
#include "shell/BoardVoice.h"
#include "shell/PictureCell.h"

#include <QElapsedTimer>
#include <QKeyEvent>

#include <algorithm>
#include <utility>

namespace hop::shell {

using board::Arrow;
using board::DragOver;

namespace {

// A second digit typed within this pause after the first makes one number with it.
constexpr quint64 kDigitPauseMs = 1000;

// When a key was struck: the window system's time stamp, or, for a key a screen reader
// sends on without one, when it arrives.
quint64 struckAt(const QKeyEvent& event)
{
    static QElapsedTimer since;
    if (!since.isValid())
        since.start();
    return event.timestamp() ? event.timestamp() : quint64(since.elapsed()) + 1;
}

} // namespace

KeyboardMark::KeyboardMark(QWidget& screen, modes::PlayMode& game, const std::vector<PictureCell*>& holes,
                           BoardVoice& voice, std::function<bool()> boardOpen)
    : screen_(screen), game_(game), holes_(holes), voice_(voice), boardOpen_(std::move(boardOpen))
{
}

bool KeyboardMark::key(KeyAction action, const QKeyEvent& event)
{
    // Any other key ends a hole's number.
    if (action != KeyAction::MarkHole)
        firstDigit_ = 0;
    // Heard from anywhere on the screen, whether the board is open or not.
    if (action == KeyAction::TellState) {
        voice_.tellState();
        return true;
    }
    if (!boardOpen_())
        return false;
    const board::Board& board = game_.board();
    auto arrow = [&](Arrow a) {
        const int next = mark_ ? board.layout().step(mark_, a) : board.layout().centreHole();
        if (next && board.shown(next))
            setMark(next);
        // At the edge of the board the arrow still belongs to the board.
        return mark_ != 0;
    };
    switch (action) {
    case KeyAction::MarkLeft: return arrow(Arrow::Left);
    case KeyAction::MarkRight: return arrow(Arrow::Right);
    case KeyAction::MarkUp: return arrow(Arrow::Up);
    case KeyAction::MarkDown: return arrow(Arrow::Down);
    case KeyAction::Activate:
        if (!mark_)
            return false;
        activate(mark_);
        return true;
    case KeyAction::PutBack:
        if (!held_)
            return false;
        putBack();
        return true;
    case KeyAction::MarkHole: markHole(keyDigit(event), struckAt(event)); return true;
    case KeyAction::MarkNext: markInTurn(1); return true;
    case KeyAction::MarkPrevious: markInTurn(-1); return true;
    default: return false;
    }
}

void KeyboardMark::setMark(int k)
{
    if (k == mark_)
        return;
    const int old = mark_;
    mark_ = k;
    if (old)
        hole(old)->setKeyMark(false);
    hole(k)->setKeyMark(true);
    // The focus goes with the mark, so a screen reader reads each hole as it is reached.
    hole(k)->setFocus(Qt::OtherFocusReason);
    // A held piece carried across the board gets the feedback a pointer would.
    if (held_) {
        if (old)
            game_.dragOver(old, DragOver::Leave);
        game_.dragOver(k, DragOver::Enter);
    }
}

// The mark goes at once to the hole of the first digit; a second one soon after takes it
// on to the hole of both.
void KeyboardMark::markHole(int digit, quint64 at)
{
    const board::Board& board = game_.board();
    int k = digit;
    if (firstDigit_ && at - firstDigitAt_ <= kDigitPauseMs && firstDigit_ * 10 + digit <= board.holeCount())
        k = firstDigit_ * 10 + digit;
    firstDigit_ = k == digit && digit * 10 <= board.holeCount() ? digit : 0;
    firstDigitAt_ = at;
    if (k >= 1 && board.shown(k))
        reach(k);
}

// A key that brings the hole the mark is already on says it again: silence would sound
// like a key that was not taken.
void KeyboardMark::reach(int k)
{
    if (k == mark_)
        voice_.sayHole(k);
    else
        setMark(k);
}

// Without a piece up, the pieces that can jump; with one, the holes it can jump into.
void KeyboardMark::markInTurn(int direction)
{
    std::vector<int> holes = held_ ? game_.reachableHoles() : game_.piecesThatCanJump();
    if (holes.empty()) {
        voice_.nothingToReach(held_ != 0);
        return;
    }
    if (direction < 0)
        std::reverse(holes.begin(), holes.end());
    const auto next = std::find_if(holes.begin(), holes.end(), [&](int k) {
        return mark_ && (direction > 0 ? k > mark_ : k < mark_);
    });
    reach(next == holes.end() ? holes.front() : *next);
}

void KeyboardMark::activate(int k)
{
    if (!boardOpen_() || !game_.board().shown(k))
        return;
    setMark(k);
    if (held_) {
        const int source = held_;
        letGo();
        // As a release over hole k: a drop that jumps may end the game; any other changes nothing.
        if (game_.drop(k))
            return;
        if (k == source || game_.board().hole(k) != 1) {
            voice_.putBack(source);
            return;
        }
    }
    if (!game_.pickUp(k))
        return;
    held_ = k;
    hole(k)->setHint(PictureCell::Hint::Held);
    // Marked as the drop cursor marks them for the pointer.
    const std::vector<int> reachable = game_.reachableHoles();
    for (int t : reachable)
        hole(t)->setHint(PictureCell::Hint::Target);
    game_.dragOver(k, DragOver::Enter);
    voice_.refreshNames();
    voice_.pickedUp(reachable);
}

void KeyboardMark::putBack()
{
    const int source = held_;
    letGo();
    // As the pointer leaving the hole it is over before a release away from every hole.
    if (source && mark_)
        game_.dragOver(mark_, DragOver::Leave);
    if (source)
        voice_.putBack(source);
}

void KeyboardMark::letGo()
{
    if (!held_)
        return;
    held_ = 0;
    for (PictureCell* cell : holes_)
        cell->setHint(PictureCell::Hint::None);
    voice_.refreshNames();
}

void KeyboardMark::leaveBoard()
{
    if (held_)
        putBack();
    if (!mark_)
        return;
    PictureCell* cell = hole(mark_);
    mark_ = 0;
    cell->setKeyMark(false);
    // Off the board the keyboard rests on the screen itself, named for its mode, until
    // START takes it again.
    if (cell->hasFocus() || screen_.focusWidget() == cell)
        screen_.setFocus(Qt::OtherFocusReason);
}

} // namespace hop::shell
