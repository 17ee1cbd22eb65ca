// The boards' data against tables derived here from the boards' lines and geometry.
#include "board/BoardLayout.h"
#include "tests/support/Positions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

using namespace hop;
using namespace hop::board;
using hop::test::jumpsFromLines;

namespace {

std::set<std::pair<int, int>> asSet(const std::vector<JumpEntry>& entries)
{
    std::set<std::pair<int, int>> s;
    for (const auto& e : entries)
        s.insert({e.from, e.over});
    return s;
}

void expectTableMatchesLines(const BoardLayout& layout, const std::vector<std::vector<int>>& lines,
                             size_t expectedTotal)
{
    const auto derived = jumpsFromLines(layout.holeCount(), lines);
    size_t total = 0;
    for (int t = 1; t <= layout.holeCount(); ++t) {
        const auto& list = layout.jumpsInto(t);
        total += list.size();
        EXPECT_EQ(asSet(list), asSet(derived[static_cast<size_t>(t)])) << "hole " << t;
        EXPECT_EQ(asSet(list).size(), list.size()) << "a source twice in the list of " << t;
        for (const auto& e : list) {
            EXPECT_NE(e.from, t);
            // The reverse jump comes back over the same hole.
            auto back = layout.jump(t, e.from);
            ASSERT_TRUE(back) << e.from << "->" << t;
            EXPECT_EQ(back->over, e.over);
        }
        EXPECT_FALSE(layout.jump(t, t));
    }
    EXPECT_EQ(total, expectedTotal);
}

} // namespace

TEST(BoardLayoutJumps, BoardATableIsExactlyTheJumpsAlongItsTwelveLines)
{
    expectTableMatchesLines(BoardLayout::boardA(), test::boardALines(), 60);
    const auto& a = BoardLayout::boardA();
    EXPECT_EQ(a.jumpsInto(1), (std::vector<JumpEntry>{{6, 3}, {4, 2}}));
    for (int inner : {4, 6, 7, 8, 9, 10, 13, 18, 19})
        EXPECT_EQ(a.jumpsInto(inner).size(), 4u) << inner;
    // Row 2 carries no jump.
    EXPECT_FALSE(a.jump(2, 3));
}

TEST(BoardLayoutJumps, BoardBTableIsExactlyTheJumpsAlongItsTenLines)
{
    expectTableMatchesLines(BoardLayout::boardB(), test::boardBLines(), 56);
    const auto& b = BoardLayout::boardB();
    EXPECT_EQ(b.jumpsInto(13), (std::vector<JumpEntry>{{15, 14}}));
    EXPECT_EQ(b.jumpsInto(16), (std::vector<JumpEntry>{{14, 15}}));
    // 18, 13 and 9 lie on a straight line of the drawing but are no line.
    EXPECT_FALSE(b.jump(18, 9));
    EXPECT_EQ(b.jump(8, 10)->over, 9);
    EXPECT_EQ(b.jump(10, 8)->over, 9);
    // Unequal spacing along row 3 still makes one line.
    EXPECT_EQ(b.jump(4, 6)->over, 5);
    EXPECT_FALSE(b.jump(2, 3));
}

TEST(BoardLayoutGeometry, BoardAHolesFollowTheTriangleRule)
{
    const auto& a = BoardLayout::boardA();
    ASSERT_EQ(a.holeCount(), 21);
    int k = 1;
    for (int row = 1; row <= 6; ++row) {
        for (int i = 0; i < row; ++i, ++k) {
            const HoleRect& c = a.cell(k);
            const int expectedLeft = (k == 1) ? 2250 : 2280 - 360 * (row - 1) + 720 * i;
            EXPECT_EQ(c.left, expectedLeft) << "hole " << k;
            EXPECT_EQ(c.top, 240 + 600 * (row - 1)) << "hole " << k;
            EXPECT_EQ(c.width, 405);
            EXPECT_EQ(c.height, 405);
        }
    }
    EXPECT_EQ(a.startingOccupancy().size(), 20u);
    EXPECT_EQ(a.startingOccupancy().front(), 2);
}

TEST(BoardLayoutGeometry, BoardBHolesStandOnTheirColumns)
{
    const auto& b = BoardLayout::boardB();
    ASSERT_EQ(b.holeCount(), 23);
    // Column index of every hole, row by row; hole 1 is set 30 twips left of column 5.5.
    const int columns[] = {0, 4, 6, 3, 4, 6, 7, 2, 4, 6, 8, 1, 2, 4, 6, 8, 9, 0, 2, 4, 6, 8, 10};
    const int rowOf[] = {1, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 5, 5, 6, 6, 6, 6, 6, 6};
    for (int k = 1; k <= 23; ++k) {
        const HoleRect& c = b.cell(k);
        if (k == 1)
            EXPECT_EQ(c.left, 3450);
        else
            EXPECT_EQ(c.left, 480 + 600 * columns[k - 1]) << "hole " << k;
        EXPECT_EQ(c.top, 240 + 600 * (rowOf[k - 1] - 1)) << "hole " << k;
    }
    EXPECT_EQ(b.startingOccupancy().size(), 22u);
}
