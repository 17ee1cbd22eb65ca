// The drag of a piece, inside ordinary mouse events: the press on a cell grabs the
// mouse, moves are hit-tested against the shown cells, the release is the drop.
#include "shell/PlayScreen.h"

#include "shell/PictureCell.h"

#include <QGuiApplication>
#include <QMouseEvent>

namespace hop::shell {

using board::DragIcon;
using board::DragOver;

void PlayScreen::setDragIcon(int k, DragIcon icon)
{
    if (k < 1 || k >= int(icons_.size()))
        return;
    icons_[static_cast<size_t>(k)] = icon;
    // The pointer carries the source cell's icon; a change shows at once.
    if (dragging_ && k == dragSource_ && overrideCursor_)
        QGuiApplication::changeOverrideCursor(cursorFor(icon));
}

QCursor PlayScreen::cursorFor(DragIcon icon) const
{
    return icon == DragIcon::Drop ? dropCursor_ : dragCursor_;
}

int PlayScreen::holeAt(const QPointF& globalPos) const
{
    const QPoint p = mapFromGlobal(globalPos).toPoint();
    for (size_t i = 0; i < holes_.size(); ++i)
        if (holes_[i]->isVisible() && holes_[i]->geometry().contains(p))
            return int(i) + 1;
    return 0;
}

void PlayScreen::press(int k, QMouseEvent* event)
{
    event->accept();
    // The pointer takes over from a piece the keyboard holds.
    if (!dragging_)
        keys_.letGo();
    if (dragging_ || !game_->pickUp(k))
        return;
    dragging_ = true;
    dragSource_ = k;
    over_ = 0;
    QGuiApplication::setOverrideCursor(cursorFor(icons_[static_cast<size_t>(k)]));
    overrideCursor_ = true;
    move(event);
}

void PlayScreen::move(QMouseEvent* event)
{
    if (!dragging_)
        return;
    const int t = holeAt(event->globalPosition());
    if (t == over_) {
        if (t)
            game_->dragOver(t, DragOver::Move);
        return;
    }
    const int left = over_;
    over_ = t;
    if (left)
        game_->dragOver(left, DragOver::Leave);
    if (t && dragging_)
        game_->dragOver(t, DragOver::Enter);
}

void PlayScreen::release(QMouseEvent* event)
{
    if (!dragging_)
        return;
    const int t = holeAt(event->globalPosition());
    endDrag();
    // The drop may end the game, show a message, or close this screen: nothing follows it.
    if (t)
        dropOn(t);
}

void PlayScreen::mouseMoveEvent(QMouseEvent* event)
{
    move(event);
}

void PlayScreen::mouseReleaseEvent(QMouseEvent* event)
{
    release(event);
}

void PlayScreen::endDrag()
{
    dragging_ = false;
    over_ = 0;
    if (overrideCursor_) {
        overrideCursor_ = false;
        QGuiApplication::restoreOverrideCursor();
    }
}

} // namespace hop::shell
