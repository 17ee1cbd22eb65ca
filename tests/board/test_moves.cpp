// Pick-up, drag feedback and drop against every source and target over random positions.
#include "board/Board.h"
#include "board/JumpMove.h"
#include "tests/support/FakePort.h"
#include "tests/support/Lines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace hop;
using namespace hop::board;
using namespace hop::modes;
using hop::test::FakePort;

namespace {

struct Rig {
    FakePort port;
    Board board;
    JumpMove move{board, port};
    std::vector<int> counts;

    Rig(const BoardLayout& layout, const std::vector<int>& occupied) : board(layout, port, occupied)
    {
        board.showAll(true);
        port.log.clear();
        board.onCountChange([this](int c) { counts.push_back(c); });
    }
};

void checkEverySourceAndTarget(const BoardLayout& layout, const std::vector<std::vector<int>>& lines)
{
    const auto table = test::jumpsFromLines(layout.holeCount(), lines);
    std::mt19937 rng(20261206);
    const int n = layout.holeCount();
    for (int round = 0; round < 40; ++round) {
        std::vector<int> occupied;
        for (int k = 1; k <= n; ++k)
            if (rng() % 3 != 0)
                occupied.push_back(k);
        for (int s = 1; s <= n; ++s) {
            for (int t = 1; t <= n; ++t) {
                Rig rig(layout, occupied);
                const bool sOccupied = rig.board.hole(s) == 1;
                ASSERT_EQ(rig.move.pickUp(s), sOccupied);
                if (!sOccupied) {
                    EXPECT_EQ(rig.move.source(), 0);
                    continue;
                }
                EXPECT_EQ(rig.port.dragIcon[static_cast<size_t>(s)], DragIcon::Drag);
                // The jump from s into t by the board's lines, found without the layout's table.
                const auto& into = table[size_t(t)];
                const auto found = std::find_if(into.begin(), into.end(), [&](const JumpEntry& e) { return e.from == s; });
                const JumpEntry* j = found == into.end() ? nullptr : &*found;
                const bool legal = j && rig.board.hole(t) == 0 && rig.board.hole(j->over) == 1;

                rig.move.dragOver(t, DragOver::Enter);
                EXPECT_EQ(rig.port.dragIcon[static_cast<size_t>(s)] == DragIcon::Drop, legal)
                    << s << "->" << t;
                rig.move.dragOver(t, DragOver::Move);
                EXPECT_EQ(rig.port.dragIcon[static_cast<size_t>(s)] == DragIcon::Drop, legal);
                rig.move.dragOver(t, DragOver::Leave);
                EXPECT_EQ(rig.port.dragIcon[static_cast<size_t>(s)], DragIcon::Drag);

                const int c = rig.board.count();
                rig.port.log.clear();
                EXPECT_EQ(rig.move.drop(t), legal);
                if (!legal) {
                    EXPECT_TRUE(rig.port.log.empty()) << s << "->" << t;
                    EXPECT_TRUE(rig.counts.empty());
                    continue;
                }
                const int lo = std::min(s, j->over), hi = std::max(s, j->over);
                EXPECT_EQ(rig.port.log, (std::vector<std::string>{"picture " + std::to_string(t) + " 1",
                                                                  "picture " + std::to_string(lo) + " 0",
                                                                  "picture " + std::to_string(hi) + " 0"}));
                EXPECT_EQ(rig.counts, (std::vector<int>{c + 1, c, c - 1}));
                EXPECT_EQ(rig.port.shown[Readout::PiecesLeft], c - 1);
                EXPECT_EQ(rig.move.source(), s);
                // The source is empty now: a second drop from the same register does nothing.
                EXPECT_FALSE(rig.move.drop(t));
            }
        }
    }
}

} // namespace

TEST(JumpMoveProperty, OnBothBoardsTheDropCursorAndTheDropAgreeWithTheLines)
{
    checkEverySourceAndTarget(BoardLayout::boardA(), test::kBoardALines);
    checkEverySourceAndTarget(BoardLayout::boardB(), test::kBoardBLines);
}

TEST(JumpMove, HiddenHolesTakeNoPartTheRegisterSurvivesFailedPickUpsAndRewritesChangeNothing)
{
    Rig rig(BoardLayout::boardB(), BoardLayout::boardB().startingOccupancy());
    ASSERT_TRUE(rig.move.pickUp(4));
    EXPECT_FALSE(rig.move.pickUp(1));  // empty hole: the register keeps 4
    rig.board.showHole(1, false);
    EXPECT_FALSE(rig.move.drop(1));
    rig.board.showHole(1, true);
    EXPECT_TRUE(rig.move.drop(1));
    EXPECT_EQ(rig.port.shown[Readout::PiecesLeft], 21);
    rig.board.showHole(7, false);
    EXPECT_FALSE(rig.move.pickUp(7));
    // Rewriting a state notifies nothing; a hidden cell still receives its picture.
    rig.port.log.clear();
    rig.counts.clear();
    rig.board.setHole(5, 1);
    rig.board.setHole(7, 0);
    EXPECT_EQ(rig.port.log, (std::vector<std::string>{"picture 7 0"}));
    std::mt19937 rng(7);
    for (int i = 0; i < 500; ++i)
        rig.board.setHole(1 + int(rng() % 23), int(rng() % 2));
    EXPECT_EQ(rig.port.shown[Readout::PiecesLeft], int(rig.board.occupiedHoles().size()));
}
