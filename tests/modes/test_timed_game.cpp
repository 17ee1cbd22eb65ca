// The timed game on both boards, driven with the simulated clock.
#include "modes/Texts.h"
#include "modes/TimedGame.h"
#include "tests/support/Play.h"

#include <gtest/gtest.h>

using namespace hop;
using namespace hop::test;

namespace {

struct Timed {
    FakePort port;
    TimedGame game;
    Timed(const BoardLayout& layout, int ms) : game(layout, ms, port)
    {
        port.mode = &game;
        game.load();
        port.clearLogs();
    }
};

struct BoardCase {
    const BoardLayout* layout;
    int tickMs;
    int startCount;
};

class TimedGameOnBothBoards : public ::testing::TestWithParam<BoardCase> {};

const std::string kClick = std::string("sound ") + texts::kClickSound;

} // namespace

TEST_P(TimedGameOnBothBoards, RevealShowsOneHoleEvery30msAfterHalfASecond)
{
    const BoardCase bc = GetParam();
    Timed t(*bc.layout, bc.tickMs);
    const int n = bc.layout->holeCount();
    t.game.start();
    EXPECT_FALSE(t.port.screenEnabled);
    EXPECT_EQ(t.port.sounds.size(), 1u);
    t.game.start();  // START is disabled from the first press on
    EXPECT_EQ(t.port.sounds.size(), 1u);
    EXPECT_TRUE(t.port.timer(TimerId::Timer1).running);

    while (t.game.timerRunning(TimerId::Timer1)) {
        ASSERT_TRUE(t.port.step());
        const int shown = static_cast<int>(std::count(t.port.holeShown.begin(), t.port.holeShown.end(), true));
        // The player cannot act until the last hole is shown.
        EXPECT_EQ(t.port.screenEnabled, shown == n);
        EXPECT_FALSE(t.game.pickUp(4) && shown < n);
    }
    for (int k = 1; k <= n; ++k)
        EXPECT_EQ(t.port.shownAt[static_cast<size_t>(k)], 500 + 30 * (k - 1)) << "hole " << k;
    EXPECT_EQ(t.port.sounds.size(), static_cast<size_t>(n + 1));
    EXPECT_EQ(t.port.text["Label3"], "0");
    EXPECT_TRUE(t.port.enabled["Command2"]);
    EXPECT_TRUE(t.port.timer(TimerId::Timer2).running);
    EXPECT_EQ(t.port.timer(TimerId::Timer1).interval, 500);
}

TEST_P(TimedGameOnBothBoards, TimeRunsOutAfter120TicksAndTheBoardIsReset)
{
    const BoardCase bc = GetParam();
    Timed t(*bc.layout, bc.tickMs);
    startAndReveal(t.game, t.port);
    const long long revealEnd = t.port.now;
    ASSERT_TRUE(t.game.pickUp(4));
    ASSERT_TRUE(t.game.drop(1));
    long long timeUpAt = -1;
    t.port.onMessage = [&](const std::string& m) {
        EXPECT_EQ(m, "タイムアップ！\r\nゲームオーバー");
        timeUpAt = t.port.now;
        EXPECT_FALSE(t.port.timer(TimerId::Timer2).running) << "the clock must stop before the message";
    };
    t.port.clearLogs();
    for (int i = 0; i < 200 && t.port.step(); ++i) {
    }
    EXPECT_EQ(timeUpAt - revealEnd, 120LL * bc.tickMs);
    const auto times = t.port.numbersWritten("TIM");
    ASSERT_EQ(times.size(), 121u);
    EXPECT_EQ(times[0], 119);
    EXPECT_EQ(times[119], 0);
    EXPECT_EQ(times[120], 120);
    EXPECT_EQ(t.port.messages.size(), 1u);
    EXPECT_EQ(t.port.count(kClick), 120u);
    // Full reset: hidden, starting position, full clock, START back.
    EXPECT_EQ(t.port.text["TIM"], "120");
    EXPECT_EQ(t.game.board().count(), bc.startCount);
    EXPECT_EQ(t.game.board().occupiedHoles(), bc.layout->startingOccupancy());
    for (int k = 1; k <= bc.layout->holeCount(); ++k)
        EXPECT_FALSE(t.port.holeShown[static_cast<size_t>(k)]);
    EXPECT_TRUE(t.port.enabled["Command1"]);
    EXPECT_FALSE(t.port.enabled["Command2"]);
    EXPECT_FALSE(t.game.timerRunning(TimerId::Timer2));
}

TEST_P(TimedGameOnBothBoards, AClearedBoardShowsOneMessageAndComesBackReady)
{
    const BoardCase bc = GetParam();
    Timed t(*bc.layout, bc.tickMs);
    for (int game = 0; game < 2; ++game) {
        startAndReveal(t.game, t.port);
        t.port.clearLogs();
        t.port.onMessage = [&](const std::string&) {
            // The board still shows the final position while the message is open.
            EXPECT_EQ(t.game.board().count(), 1);
            EXPECT_EQ(t.port.text["Label2"], "1");
            EXPECT_FALSE(t.port.timer(TimerId::Timer2).running);
        };
        playToClear(t.game);
        EXPECT_EQ(t.port.messages, (std::vector<std::string>{"クリア！おめでとう。"}));
        EXPECT_EQ(t.port.sounds.size(), 0u) << "moves and the reset are silent";
        EXPECT_EQ(t.game.board().occupiedHoles(), bc.layout->startingOccupancy());
        EXPECT_EQ(t.port.text["Label2"], std::to_string(bc.startCount));
        EXPECT_TRUE(t.game.startEnabled());
        t.port.onMessage = nullptr;
    }
}

TEST_P(TimedGameOnBothBoards, GiveupRightAfterTheRevealRedrawsNoHole)
{
    const BoardCase bc = GetParam();
    Timed t(*bc.layout, bc.tickMs);
    startAndReveal(t.game, t.port);
    t.port.advance(bc.tickMs * 3);
    t.port.clearLogs();
    t.game.giveup();
    for (const auto& entry : t.port.log)
        EXPECT_EQ(entry.rfind("picture", 0), std::string::npos) << entry;
    EXPECT_TRUE(t.port.sounds.empty());
    EXPECT_TRUE(t.port.messages.empty());
    EXPECT_EQ(t.port.text["TIM"], "120");
    EXPECT_TRUE(t.port.enabled["Command1"]);
    // The clock really stopped.
    t.port.advance(10000);
    EXPECT_EQ(t.game.timeLeft(), 120);
}

INSTANTIATE_TEST_SUITE_P(Boards, TimedGameOnBothBoards,
                         ::testing::Values(BoardCase{&BoardLayout::boardA(), 1000, 20},
                                           BoardCase{&BoardLayout::boardB(), 980, 22}));

TEST(TimedGameReset, AClearWithTheLastPieceInHoleOneIsReportedOnce)
{
    // Board A: 4 over 2 into 1 leaves the single piece in hole 1.
    Timed t(BoardLayout::boardA(), 1000);
    startAndReveal(t.game, t.port);
    for (int k = 3; k <= 21; ++k)
        if (k != 4)
            t.game.board().setHole(k, 0);
    ASSERT_EQ(t.game.board().count(), 2);
    t.port.clearLogs();
    dragAndDrop(t.game, 4, 1);
    EXPECT_EQ(t.port.messages, (std::vector<std::string>{"クリア！おめでとう。"}));
    EXPECT_EQ(t.game.board().count(), 20);
}

TEST(TimedGameReset, GiveupOrTimeUpWithTwoPiecesOneInHoleOneShowsNoClear)
{
    Timed t(BoardLayout::boardB(), 980);
    startAndReveal(t.game, t.port);
    t.game.board().setHole(1, 1);
    for (int k = 2; k <= 23; ++k)
        if (k != 9)
            t.game.board().setHole(k, 0);
    ASSERT_EQ(t.game.board().count(), 2);
    t.port.clearLogs();
    t.game.giveup();
    EXPECT_TRUE(t.port.messages.empty());

    startAndReveal(t.game, t.port);
    t.game.board().setHole(1, 1);
    for (int k = 2; k <= 23; ++k)
        if (k != 9)
            t.game.board().setHole(k, 0);
    t.port.clearLogs();
    t.port.advance(121 * 980);
    EXPECT_EQ(t.port.messages, (std::vector<std::string>{"タイムアップ！\r\nゲームオーバー"}));
    EXPECT_EQ(t.game.board().count(), 22);
}

TEST(TimedGameSounds, ClicksOnStartEachRevealTickEachSecondAndClose)
{
    Timed t(BoardLayout::boardA(), 1000);
    startAndReveal(t.game, t.port);
    EXPECT_EQ(t.port.count(kClick), 22u);  // START + 21 holes
    t.port.advance(5000);
    EXPECT_EQ(t.port.count(kClick), 27u);
    dragAndDrop(t.game, 6, 1);
    t.game.giveup();
    EXPECT_EQ(t.port.count(kClick), 27u);
    t.game.closeStep();
    EXPECT_EQ(t.port.count(kClick), 28u);
    EXPECT_EQ(t.port.sounds.size(), 28u);
}
