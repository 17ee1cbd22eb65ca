// What the board needs of the screen that shows it, in the board's own terms.
#pragma once

namespace hop::board {

enum class DragIcon { Drag, Drop };

class BoardView {
public:
    virtual ~BoardView() = default;
    // Hole k's state cell: 1 occupied, 0 empty.
    virtual void showHoleState(int k, int state) = 0;
    virtual void showPiecesLeft(int count) = 0;
    // The hole last picked up.
    virtual void showDragSource(int k) = 0;
    // Give hole cell k the piece picture, or no picture.
    virtual void setHolePicture(int k, bool piece) = 0;
    virtual void showHole(int k, bool shown) = 0;
    virtual void setDragIcon(int k, DragIcon icon) = 0;
    // A drop makes the jump of the piece in `from` over `over` into `to`, leaving
    // `piecesLeft`: told before any hole shows it, since what a hole shows may end the game.
    virtual void jumpMade(int from, int over, int to, int piecesLeft) = 0;
};

} // namespace hop::board
