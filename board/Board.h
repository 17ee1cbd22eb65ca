// One screen's hole states and pieces-left counter, kept in step with the pictures.
#pragma once

#include "board/BoardLayout.h"
#include "board/BoardView.h"
#include "board/Cell.h"

#include <functional>
#include <memory>
#include <vector>

namespace hop::board {

class Board {
public:
    // `occupied` is the screen's opening position; no notification runs for it.
    Board(const BoardLayout& layout, BoardView& view, const std::vector<int>& occupied);

    const BoardLayout& layout() const { return layout_; }
    int holeCount() const { return layout_.holeCount(); }

    int hole(int k) const;
    // Redraws hole k, recounts and writes the counter, whose observer runs last.
    void setHole(int k, int state);
    int count() const { return counter_.get(); }
    void setCount(int count) { counter_.set(count); }
    // Runs on every change of the counter (the mode's clear check).
    void onCountChange(std::function<void(int)> check) { countChanged_ = std::move(check); }

    bool shown(int k) const;
    void showHole(int k, bool shown);
    void showAll(bool shown);

    std::vector<int> occupiedHoles() const;

private:
    void holeChanged(int k);

    const BoardLayout& layout_;
    BoardView& view_;
    std::vector<std::unique_ptr<Cell>> holes_;
    std::vector<bool> shown_;
    Cell counter_;
    std::function<void(int)> countChanged_;
};

} // namespace hop::board
