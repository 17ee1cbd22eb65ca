// Every test is made afresh against the states at the moment of the event,
// since a time-up may rebuild the board in the middle of a drag.
#include "board/JumpMove.h"

#include <algorithm>

namespace hop::board {

bool JumpMove::pickUp(int k)
{
    if (!board_.shown(k) || board_.hole(k) != 1)
        return false;
    view_.setDragIcon(k, DragIcon::Drag);
    source_ = k;
    view_.showDragSource(k);
    return true;
}

const JumpEntry* JumpMove::jump(int from, int t) const
{
    for (const JumpEntry& e : board_.layout().jumpsInto(t)) {
        if (from == e.from && board_.hole(t) == 0 && board_.hole(e.over) == 1)
            return &e;
    }
    return nullptr;
}

std::vector<int> JumpMove::targets(int from) const
{
    std::vector<int> holes;
    if (board_.hole(from) != 1)
        return holes;
    for (int t = 1; t <= board_.holeCount(); ++t)
        if (board_.shown(t) && jump(from, t))
            holes.push_back(t);
    return holes;
}

void JumpMove::dragOver(int t, DragOver state)
{
    if (!board_.shown(t) || state == DragOver::Move)
        return;
    if (const JumpEntry* e = applicable(t))
        view_.setDragIcon(e->from, state == DragOver::Enter ? DragIcon::Drop : DragIcon::Drag);
}

bool JumpMove::drop(int t)
{
    const JumpEntry* e = jumpOnDrop(t);
    if (!e)
        return false;
    const int from = e->from;
    const int over = e->over;
    view_.jumpMade(from, over, t, board_.count() - 1);
    // Each write runs its whole chain (picture, recount, clear check) before the next.
    board_.setHole(t, 1);
    board_.setHole(std::min(from, over), 0);
    board_.setHole(std::max(from, over), 0);
    return true;
}

} // namespace hop::board
