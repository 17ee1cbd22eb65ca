// Hole notification: picture first, then a full recount into the counter.
#include "board/Board.h"

namespace hop::board {

Board::Board(const BoardLayout& layout, BoardView& view, const std::vector<int>& occupied)
    : layout_(layout), view_(view), shown_(static_cast<size_t>(layout.holeCount()), false),
      counter_(static_cast<int>(occupied.size()))
{
    holes_.reserve(static_cast<size_t>(layout.holeCount()));
    for (int k = 1; k <= layout.holeCount(); ++k) {
        auto cell = std::make_unique<Cell>(0);
        holes_.push_back(std::move(cell));
    }
    for (int k : occupied) {
        if (layout.isHole(k))
            holes_[static_cast<size_t>(k - 1)] = std::make_unique<Cell>(1);
    }
    for (int k = 1; k <= layout.holeCount(); ++k)
        holes_[static_cast<size_t>(k - 1)]->onChange([this, k](int) { holeChanged(k); });
    counter_.onChange([this](int count) {
        view_.showPiecesLeft(count);
        if (countChanged_)
            countChanged_(count);
    });
}

int Board::hole(int k) const
{
    return layout_.isHole(k) ? holes_[static_cast<size_t>(k - 1)]->get() : 0;
}

void Board::setHole(int k, int state)
{
    if (layout_.isHole(k))
        holes_[static_cast<size_t>(k - 1)]->set(state);
}

void Board::holeChanged(int k)
{
    const int state = hole(k);
    view_.showHoleState(k, state);
    if (state == 0)
        view_.setHolePicture(k, false);
    if (state == 1)
        view_.setHolePicture(k, true);
    // Always recount from scratch: a clear check nested in an earlier write may
    // have rebuilt the whole board since.
    int sum = 0;
    for (const auto& cell : holes_)
        sum += cell->get();
    counter_.set(sum);
}

bool Board::shown(int k) const
{
    return layout_.isHole(k) && shown_[static_cast<size_t>(k - 1)];
}

void Board::showHole(int k, bool shown)
{
    if (!layout_.isHole(k))
        return;
    shown_[static_cast<size_t>(k - 1)] = shown;
    view_.showHole(k, shown);
}

void Board::showAll(bool shown)
{
    for (int k = 1; k <= holeCount(); ++k)
        showHole(k, shown);
}

std::vector<int> Board::occupiedHoles() const
{
    std::vector<int> holes;
    for (int k = 1; k <= holeCount(); ++k)
        if (hole(k) == 1)
            holes.push_back(k);
    return holes;
}

} // namespace hop::board
