// The boards' data against jump tables derived here from the boards' lines, and their geometry rules.
#include "board/BoardLayout.h"
#include "tests/support/Lines.h"

#include <gtest/gtest.h>

#include <set>

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

} // namespace

TEST(BoardLayoutJumps, EachTableIsExactlyTheJumpsAlongItsBoardsLines)
{
    for (auto [layout, lines, total] : {std::tuple{&BoardLayout::boardA(), &hop::test::kBoardALines, 60u},
                                        {&BoardLayout::boardB(), &hop::test::kBoardBLines, 56u}}) {
        const auto derived = jumpsFromLines(layout->holeCount(), *lines);
        size_t count = 0;
        for (int t = 1; t <= layout->holeCount(); ++t) {
            const auto& list = layout->jumpsInto(t);
            count += list.size();
            EXPECT_EQ(asSet(list), asSet(derived[size_t(t)])) << "hole " << t;
            EXPECT_EQ(asSet(list).size(), list.size()) << "a source twice in the list of " << t;
            for (const auto& e : list)
                EXPECT_EQ(layout->jump(t, e.from)->over, e.over) << "the way back from " << t;
        }
        EXPECT_EQ(count, total);
    }
    const auto& b = BoardLayout::boardB();
    EXPECT_EQ(b.jumpsInto(13), (std::vector<JumpEntry>{{15, 14}}));
    EXPECT_EQ(b.jumpsInto(16), (std::vector<JumpEntry>{{14, 15}}));
    EXPECT_FALSE(b.jump(18, 9)) << "18, 13 and 9 lie straight on the drawing but are no line";
    EXPECT_EQ(BoardLayout::boardA().jumpsInto(1), (std::vector<JumpEntry>{{6, 3}, {4, 2}})) << "tested in this order";
}

TEST(BoardLayoutGeometry, HolesStandOnTheirRowsAndColumns)
{
    // Board A: a triangle, rows 600 twips apart, holes 720 apart, hole 1 set 30 twips left.
    const auto& a = BoardLayout::boardA();
    ASSERT_EQ(a.holeCount(), 21);
    for (int row = 0, k = 1; row < 6; ++row)
        for (int i = 0; i <= row; ++i, ++k) {
            EXPECT_EQ(a.cell(k).left, k == 1 ? 2250 : 2280 - 360 * row + 720 * i) << k;
            EXPECT_EQ(a.cell(k).top, 240 + 600 * row) << k;
        }
    // Board B: rows of 1, 2, 4, 4, 6, 6 holes on columns 600 twips apart from 480.
    const auto& b = BoardLayout::boardB();
    ASSERT_EQ(b.holeCount(), 23);
    for (int row = 0, k = 1; row < 6; ++row)
        for (int i = 0; i < std::array{1, 2, 4, 4, 6, 6}[size_t(row)]; ++i, ++k) {
            EXPECT_EQ(b.cell(k).top, 240 + 600 * row) << k;
            EXPECT_EQ(k == 1 ? 0 : (b.cell(k).left - 480) % 600, 0) << k;
            EXPECT_TRUE(i == 0 || b.cell(k).left > b.cell(k - 1).left) << k;
        }
    EXPECT_EQ(b.cell(1).left, 3450);
    for (const BoardLayout* l : {&a, &b}) {
        EXPECT_EQ(l->startingOccupancy().size(), size_t(l->holeCount() - 1));
        EXPECT_EQ(l->startingOccupancy().front(), 2) << "hole 1 starts empty";
    }
}
