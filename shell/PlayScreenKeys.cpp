// Moves from the keyboard: a mark goes from hole to hole with the arrows, Enter or Space
// picks up and drops through the same pick-up, drag feedback and drop as the mouse.
// The keys act only where the game gives them no other meaning.
#include "shell/PlayScreen.h"

#include "shell/PictureCell.h"

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>

#include <optional>

namespace hop::shell {

using board::Arrow;
using board::DragOver;
using modes::Overlay;

namespace {

std::optional<Arrow> arrowFor(int key)
{
    switch (key) {
    case Qt::Key_Left: return Arrow::Left;
    case Qt::Key_Right: return Arrow::Right;
    case Qt::Key_Up: return Arrow::Up;
    case Qt::Key_Down: return Arrow::Down;
    default: return std::nullopt;
    }
}

} // namespace

bool PlayScreen::eventFilter(QObject* watched, QEvent* event)
{
    if (inputBlocked())
        return Screen::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress && qobject_cast<QPushButton*>(watched))
        return boardKey(static_cast<QKeyEvent*>(event));
    if (event->type() == QEvent::FocusOut && mark_ && watched == hole(mark_)) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        // Another window (a message, the help) borrows the keyboard and gives it back;
        // a move of the mark goes from hole to hole. Anything else leaves the board.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
            !holeNumber(QApplication::focusWidget()))
            clearMark();
    }
    return false;
}

void PlayScreen::keyPressEvent(QKeyEvent* event)
{
    if (!boardKey(event))
        Screen::keyPressEvent(event);
}

bool PlayScreen::boardOpen() const
{
    if (inputBlocked() || !game_->screenEnabled() || dragging_)
        return false;
    // The roulette panel stands over the board.
    const QWidget* panel = controls_.overlay(Overlay::RoulettePanel);
    return !(panel && panel->isVisible());
}

bool PlayScreen::boardKey(QKeyEvent* event)
{
    if (!boardOpen() || (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        return false;
    const board::Board& board = game_->board();
    if (const std::optional<Arrow> arrow = arrowFor(event->key())) {
        const int next = mark_ ? board.layout().step(mark_, *arrow) : board.layout().centreHole();
        if (next && board.shown(next))
            setMark(next);
        // At the edge of the board the arrow still belongs to the board.
        return mark_ != 0;
    }
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (!mark_)
            return false;
        if (!event->isAutoRepeat())
            activateHole(mark_);
        return true;
    case Qt::Key_Escape:
        if (!held_)
            return false;
        putBack();
        return true;
    default:
        return false;
    }
}

void PlayScreen::setMark(int k)
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
            game_->dragOver(old, DragOver::Leave);
        game_->dragOver(k, DragOver::Enter);
    }
}

void PlayScreen::clearMark()
{
    if (held_)
        putBack();
    if (!mark_)
        return;
    PictureCell* cell = hole(mark_);
    mark_ = 0;
    cell->setKeyMark(false);
    // Off the board the keyboard goes back to the window, where START takes it again.
    if (cell->hasFocus() || focusWidget() == cell)
        cell->clearFocus();
}

void PlayScreen::activateHole(int k)
{
    if (!boardOpen() || !game_->board().shown(k))
        return;
    setMark(k);
    if (held_) {
        const int source = held_;
        endHold();
        // As a release over hole k: the drop makes all its tests itself, and may end the game.
        const bool moved = game_->move().applicable(k) != nullptr;
        dropOn(k);
        if (moved || k == source)
            return;
    }
    if (!game_->pickUp(k))
        return;
    held_ = k;
    hole(k)->setHint(PictureCell::Hint::Held);
    // Marked as the drop cursor marks them for the pointer.
    for (int t = 1; t <= game_->board().holeCount(); ++t)
        if (game_->board().shown(t) && game_->move().applicable(t))
            hole(t)->setHint(PictureCell::Hint::Target);
    game_->dragOver(k, DragOver::Enter);
}

void PlayScreen::putBack()
{
    const int source = held_;
    endHold();
    // As the pointer leaving the hole it is over before a release away from every hole.
    if (source && mark_)
        game_->dragOver(mark_, DragOver::Leave);
}

void PlayScreen::endHold()
{
    if (!held_)
        return;
    held_ = 0;
    for (PictureCell* cell : holes_)
        cell->setHint(PictureCell::Hint::None);
}

void PlayScreen::dropOn(int t)
{
    if (const board::JumpEntry* jump = game_->jumpOnDrop(t)) {
        // Told before the drop runs: the drop may end with a message and a fresh board.
        lastMove_ = QStringLiteral("%1 から %2 へ、%3 を跳び越えました。残り駒数：%4")
                        .arg(jump->from)
                        .arg(t)
                        .arg(jump->over)
                        .arg(game_->board().count() - 1);
        lastMoveTarget_ = t;
        QAccessibleEvent event(hole(t), QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&event);
    }
    game_->drop(t);
}

} // namespace hop::shell
