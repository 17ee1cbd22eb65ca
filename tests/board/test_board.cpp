// The board: cells and their notification, the two boards' data against jump tables derived
// here from the lines a person reads off the drawings, and the move against every source and target.
#include "board/Board.h"
#include "board/Cell.h"
#include "board/JumpMove.h"
#include "tests/support/FakePort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace hop::board;
using namespace hop::modes;
using hop::test::FakePort;

namespace {

using Lines = std::vector<std::vector<int>>;

const Lines kBoardALines = {
    {4, 5, 6}, {7, 8, 9, 10}, {11, 12, 13, 14, 15}, {16, 17, 18, 19, 20, 21},
    {1, 2, 4, 7, 11, 16}, {3, 5, 8, 12, 17}, {6, 9, 13, 18}, {10, 14, 19},
    {1, 3, 6, 10, 15, 21}, {2, 5, 9, 14, 20}, {4, 8, 13, 19}, {7, 12, 18},
};
const Lines kBoardBLines = {
    {1, 2, 4, 8, 12, 18}, {1, 3, 7, 11, 17, 23},
    {2, 5, 9, 14, 20}, {3, 6, 10, 15, 21}, {8, 13, 19}, {11, 16, 22},
    {4, 5, 6, 7}, {8, 9, 10, 11}, {12, 13, 14, 15, 16, 17}, {18, 19, 20, 21, 22, 23},
};

// Every run a-b-c of a line gives a over b into c, and c over b into a.
std::vector<std::vector<JumpEntry>> jumpsFromLines(int holeCount, const Lines& lines)
{
    std::vector<std::vector<JumpEntry>> into(size_t(holeCount + 1));
    for (const auto& line : lines)
        for (size_t i = 0; i + 2 < line.size(); ++i) {
            into[size_t(line[i + 2])].push_back({line[i], line[i + 1]});
            into[size_t(line[i])].push_back({line[i + 2], line[i + 1]});
        }
    return into;
}

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
    const auto table = jumpsFromLines(layout.holeCount(), lines);
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
                EXPECT_EQ(rig.port.dragIcon[static_cast<size_t>(s)] == DragIcon::Drop, legal) << s << "->" << t;
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
                // The jump is told first: what a hole shows may end the game.
                const std::string told = "jump " + std::to_string(s) + " " + std::to_string(j->over) + " " + std::to_string(t);
                EXPECT_EQ(rig.port.log, (std::vector<std::string>{told + " " + std::to_string(c - 1),
                                                                  "picture " + std::to_string(t) + " 1",
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

TEST(CellNotification, OnlyAChangeNotifiesNestedNotificationsRunDepthFirstAndAnObserverMayWriteAgain)
{
    Cell a(0), b(0), c(0);
    std::vector<std::string> order;
    a.onChange([&](int v) {
        order.push_back(std::string("a").append(std::to_string(v)));
        b.set(v * 10);
        order.push_back("a end");
    });
    b.onChange([&](int v) {
        order.push_back(std::string("b").append(std::to_string(v)));
        c.set(v + 1);
        order.push_back("b end");
    });
    c.onChange([&](int v) {
        order.push_back(std::string("c").append(std::to_string(v)));
        if (v == 11)
            c.set(0);  // as a reset inside a clear check does
    });
    for (int v : {0, 1, 1})
        a.set(v);
    order.push_back("returned");
    EXPECT_EQ(order, (std::vector<std::string>{"a1", "b10", "c11", "c0", "b end", "a end", "returned"}));
    EXPECT_EQ(c.get(), 0);
}

TEST(JumpMoveProperty, OnBothBoardsTheDropCursorAndTheDropAgreeWithTheLines)
{
    checkEverySourceAndTarget(BoardLayout::boardA(), kBoardALines);
    checkEverySourceAndTarget(BoardLayout::boardB(), kBoardBLines);
}

// The keyboard's mark comes back to the hole it left: Right then Left on both boards, and on
// Board A's triangle Down then Up, along the same diagonal.
TEST(ArrowSteps, EachStepIsUndoneByTheOppositeArrow)
{
    for (const BoardLayout* layout : {&BoardLayout::boardA(), &BoardLayout::boardB()})
        for (int k = 1; k <= layout->holeCount(); ++k)
            for (const auto& [there, back] : {std::pair{Arrow::Right, Arrow::Left}, {Arrow::Down, Arrow::Up}})
                EXPECT_TRUE(!layout->step(k, there) || (there == Arrow::Down && layout != &BoardLayout::boardA()) ||
                            layout->step(layout->step(k, there), back) == k) << k << " to " << layout->step(k, there);
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
