// The two boards as constant data: hole cells, jump lists in test order, starting occupancy.
#pragma once

#include <array>
#include <vector>

namespace hop::board {

// A hole cell's rectangle, in twips, relative to the play screen's client area.
struct HoleRect {
    int left = 0;
    int top = 0;
    int width = 405;
    int height = 405;
};

// One entry of a hole's jump list: the piece in `from` jumps over `over` into the hole.
struct JumpEntry {
    int from = 0;
    int over = 0;
    bool operator==(const JumpEntry&) const = default;
};

// Three neighbouring holes along one of the board's lines.
struct JumpLine {
    int from = 0;
    int over = 0;
    int to = 0;
    bool operator==(const JumpLine&) const = default;
};

// The arrow keys, as the keyboard mark moves between holes.
enum class Arrow { Left, Right, Up, Down };

class BoardLayout {
public:
    BoardLayout(std::vector<HoleRect> cells, std::vector<std::vector<JumpEntry>> jumpsInto,
                std::vector<int> startingOccupancy);

    int holeCount() const { return static_cast<int>(cells_.size()); }
    bool isHole(int k) const { return k >= 1 && k <= holeCount(); }

    const HoleRect& cell(int k) const;
    // The jumps into hole t, in the order a drop tests them.
    const std::vector<JumpEntry>& jumpsInto(int t) const;
    // Every line of three holes once, lowest hole first: what the board's drawing shows.
    std::vector<JumpLine> lines() const;
    // The hole an arrow reaches from hole k, or 0 at the edge of the board.
    int step(int k, Arrow arrow) const;
    // Where the keyboard mark first lands: the hole nearest the middle of all the holes.
    int centreHole() const { return centre_; }
    // Occupied holes at the start, ascending.
    const std::vector<int>& startingOccupancy() const { return start_; }

    static const BoardLayout& boardA();
    static const BoardLayout& boardB();

private:
    std::vector<HoleRect> cells_;
    std::vector<std::vector<JumpEntry>> jumps_;
    std::vector<int> start_;
    std::vector<std::array<int, 4>> steps_;  // index k - 1, by Arrow
    int centre_ = 0;
};

} // namespace hop::board
