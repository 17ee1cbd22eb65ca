// Board A (21 holes) and Board B (23 holes): positions and jump tables as data.
#include "board/BoardLayout.h"

#include <cmath>
#include <cstdlib>
#include <stdexcept>

namespace hop::board {

namespace {

// Twice the centre, so that halves stay whole.
int centreX(const HoleRect& r) { return 2 * r.left + r.width; }
int centreY(const HoleRect& r) { return 2 * r.top + r.height; }

// Sideways an arrow keeps to the row; up and down it reaches the next row's hole nearest
// in line. Where two stand equally near, down goes left and up goes right, so that down
// then up comes back along the same diagonal.
std::vector<std::array<int, 4>> arrowSteps(const std::vector<HoleRect>& cells)
{
    const int n = static_cast<int>(cells.size());
    auto at = [&](int k) -> const HoleRect& { return cells[static_cast<size_t>(k - 1)]; };
    std::vector<std::array<int, 4>> steps(cells.size(), {0, 0, 0, 0});
    for (int k = 1; k <= n; ++k) {
        auto& s = steps[static_cast<size_t>(k - 1)];
        const int x = centreX(at(k));
        int upRow = -1, downRow = -1;  // nearest row tops above and below
        for (int j = 1; j <= n; ++j) {
            const int dx = centreX(at(j)) - x;
            const int top = at(j).top;
            if (top == at(k).top) {
                if (dx < 0 && (!s[int(Arrow::Left)] || dx > centreX(at(s[int(Arrow::Left)])) - x))
                    s[int(Arrow::Left)] = j;
                if (dx > 0 && (!s[int(Arrow::Right)] || dx < centreX(at(s[int(Arrow::Right)])) - x))
                    s[int(Arrow::Right)] = j;
            } else if (top < at(k).top && top > upRow) {
                upRow = top;
            } else if (top > at(k).top && (downRow < 0 || top < downRow)) {
                downRow = top;
            }
        }
        auto nearestIn = [&](int row, bool preferRight) {
            int best = 0;
            for (int j = 1; j <= n; ++j) {
                if (at(j).top != row)
                    continue;
                const int d = std::abs(centreX(at(j)) - x);
                const int bestD = best ? std::abs(centreX(at(best)) - x) : 0;
                if (!best || d < bestD || (d == bestD && (centreX(at(j)) > x) == preferRight))
                    best = j;
            }
            return best;
        };
        s[int(Arrow::Up)] = upRow >= 0 ? nearestIn(upRow, true) : 0;
        s[int(Arrow::Down)] = downRow >= 0 ? nearestIn(downRow, false) : 0;
    }
    return steps;
}

int nearestToMiddle(const std::vector<HoleRect>& cells)
{
    if (cells.empty())
        return 0;
    double mx = 0, my = 0;
    for (const HoleRect& r : cells) {
        mx += centreX(r);
        my += centreY(r);
    }
    mx /= double(cells.size());
    my /= double(cells.size());
    int best = 1;
    double bestD = -1;
    for (size_t i = 0; i < cells.size(); ++i) {
        const double d = std::hypot(centreX(cells[i]) - mx, centreY(cells[i]) - my);
        if (bestD < 0 || d < bestD) {
            bestD = d;
            best = int(i) + 1;
        }
    }
    return best;
}

} // namespace

BoardLayout::BoardLayout(std::vector<HoleRect> cells, std::vector<std::vector<JumpEntry>> jumpsInto,
                         std::vector<int> startingOccupancy)
    : cells_(std::move(cells)), jumps_(std::move(jumpsInto)),
      start_(std::move(startingOccupancy)), steps_(arrowSteps(cells_)), centre_(nearestToMiddle(cells_))
{
    if (jumps_.size() != cells_.size())
        throw std::logic_error("jump table does not match the holes");
}

int BoardLayout::step(int k, Arrow arrow) const
{
    return isHole(k) ? steps_[static_cast<size_t>(k - 1)][static_cast<size_t>(arrow)] : 0;
}

const HoleRect& BoardLayout::cell(int k) const
{
    if (!isHole(k))
        throw std::out_of_range("no such hole");
    return cells_[static_cast<size_t>(k - 1)];
}

const std::vector<JumpEntry>& BoardLayout::jumpsInto(int t) const
{
    static const std::vector<JumpEntry> none;
    if (!isHole(t))
        return none;
    return jumps_[static_cast<size_t>(t - 1)];
}

std::vector<JumpLine> BoardLayout::lines() const
{
    std::vector<JumpLine> lines;
    for (int t = 1; t <= holeCount(); ++t)
        for (const JumpEntry& e : jumpsInto(t))
            if (e.from < t)
                lines.push_back({e.from, e.over, t});
    return lines;
}

namespace {

std::vector<int> allButHoleOne(int n)
{
    std::vector<int> holes;
    for (int k = 2; k <= n; ++k)
        holes.push_back(k);
    return holes;
}

} // namespace

const BoardLayout& BoardLayout::boardA()
{
    // Rows are 600 twips apart; within a row holes stand 720 apart. Hole 1 sits
    // 30 twips left of the midpoint of holes 2 and 3, as the board was drawn.
    static const BoardLayout layout(
        {{2250, 240},  {1920, 840},  {2640, 840},  {1560, 1440}, {2280, 1440}, {3000, 1440},
         {1200, 2040}, {1920, 2040}, {2640, 2040}, {3360, 2040}, {840, 2640},  {1560, 2640},
         {2280, 2640}, {3000, 2640}, {3720, 2640}, {480, 3240},  {1200, 3240}, {1920, 3240},
         {2640, 3240}, {3360, 3240}, {4080, 3240}},
        {
            {{6, 3}, {4, 2}},                              // 1
            {{7, 4}, {9, 5}},                              // 2
            {{8, 5}, {10, 6}},                             // 3
            {{1, 2}, {6, 5}, {11, 7}, {13, 8}},            // 4
            {{12, 8}, {14, 9}},                            // 5
            {{1, 3}, {4, 5}, {13, 9}, {15, 10}},           // 6
            {{2, 4}, {9, 8}, {16, 11}, {18, 12}},          // 7
            {{3, 5}, {10, 9}, {17, 12}, {19, 13}},         // 8
            {{2, 5}, {7, 8}, {18, 13}, {20, 14}},          // 9
            {{3, 6}, {8, 9}, {19, 14}, {21, 15}},          // 10
            {{4, 7}, {13, 12}},                            // 11
            {{5, 8}, {14, 13}},                            // 12
            {{4, 8}, {6, 9}, {11, 12}, {15, 14}},          // 13
            {{5, 9}, {12, 13}},                            // 14
            {{6, 10}, {13, 14}},                           // 15
            {{7, 11}, {18, 17}},                           // 16
            {{8, 12}, {19, 18}},                           // 17
            {{7, 12}, {9, 13}, {16, 17}, {20, 19}},        // 18
            {{8, 13}, {10, 14}, {17, 18}, {21, 20}},       // 19
            {{9, 14}, {18, 19}},                           // 20
            {{10, 15}, {19, 20}},                          // 21
        },
        allButHoleOne(21));
    return layout;
}

const BoardLayout& BoardLayout::boardB()
{
    // Columns are 600 twips apart but rows skip some of them; hole 1 sits at
    // 3450, 30 twips left of the midpoint of holes 2 and 3.
    static const BoardLayout layout(
        {{3450, 240},  {2880, 840},  {4080, 840},  {2280, 1440}, {2880, 1440}, {4080, 1440},
         {4680, 1440}, {1680, 2040}, {2880, 2040}, {4080, 2040}, {5280, 2040}, {1080, 2640},
         {1680, 2640}, {2880, 2640}, {4080, 2640}, {5280, 2640}, {5880, 2640}, {480, 3240},
         {1680, 3240}, {2880, 3240}, {4080, 3240}, {5280, 3240}, {6480, 3240}},
        {
            {{4, 2}, {7, 3}},                              // 1
            {{8, 4}, {9, 5}},                              // 2
            {{10, 6}, {11, 7}},                            // 3
            {{1, 2}, {6, 5}, {12, 8}},                     // 4
            {{7, 6}, {14, 9}},                             // 5
            {{4, 5}, {15, 10}},                            // 6
            {{1, 3}, {5, 6}, {17, 11}},                    // 7
            {{2, 4}, {10, 9}, {18, 12}, {19, 13}},         // 8
            {{2, 5}, {11, 10}, {20, 14}},                  // 9
            {{3, 6}, {8, 9}, {21, 15}},                    // 10
            {{3, 7}, {9, 10}, {22, 16}, {23, 17}},         // 11
            {{4, 8}, {14, 13}},                            // 12
            {{15, 14}},                                    // 13
            {{5, 9}, {12, 13}, {16, 15}},                  // 14
            {{6, 10}, {13, 14}, {17, 16}},                 // 15
            {{14, 15}},                                    // 16
            {{7, 11}, {15, 16}},                           // 17
            {{8, 12}, {20, 19}},                           // 18
            {{8, 13}, {21, 20}},                           // 19
            {{9, 14}, {18, 19}, {22, 21}},                 // 20
            {{10, 15}, {19, 20}, {23, 22}},                // 21
            {{11, 16}, {20, 21}},                          // 22
            {{11, 17}, {21, 22}},                          // 23
        },
        allButHoleOne(23));
    return layout;
}

} // namespace hop::board
