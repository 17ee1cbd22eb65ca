// The jump move: pick-up, drag feedback and drop, with the drag-source register.
#pragma once

#include "board/Board.h"

namespace hop::board {

enum class DragOver { Enter, Leave, Move };

class JumpMove {
public:
    JumpMove(Board& board, BoardView& view) : board_(board), view_(view) {}

    // True when a drag starts (the hole holds a piece).
    bool pickUp(int k);
    void dragOver(int t, DragOver state);
    // True when the drop made a move.
    bool drop(int t);

    // The hole last picked up; 0 before the first pick-up, never cleared.
    int source() const { return source_; }
    // The jump from the register's hole into t applies right now.
    const JumpEntry* applicable(int t) const { return jump(source_, t); }
    // The shown holes a piece in `from` could jump into now, in hole order; none when
    // `from` holds no piece.
    std::vector<int> targets(int from) const;
    // The jump a drop on t would make now, if any.
    const JumpEntry* jumpOnDrop(int t) const { return board_.shown(t) ? applicable(t) : nullptr; }

private:
    // The jump of a piece in `from` into t, if it applies right now.
    const JumpEntry* jump(int from, int t) const;

    Board& board_;
    BoardView& view_;
    int source_ = 0;
};

} // namespace hop::board
