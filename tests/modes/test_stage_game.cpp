// The Difficult stages from stage 1 to the completion password, with a scripted roulette.
#include "modes/StageGame.h"
#include "modes/Texts.h"
#include "tests/support/Play.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <deque>

using namespace hop;
using namespace hop::test;

namespace {

struct Stages {
    FakePort port;
    std::deque<float> draws;
    StageGame game;

    Stages()
        : game(port, [this] {
              const float r = draws.empty() ? 0.5f : draws.front();
              if (draws.size() > 1)
                  draws.pop_front();
              return r;
          })
    {
        port.mode = &game;
        game.load();
        port.clearLogs();
    }

    void reveal()
    {
        while (!game.timerRunning(TimerId::Timer2) && port.step()) {
        }
    }

    // Clear stages until `stage` waits behind START (or the re-test is pending).
    void clearUpTo(int stage)
    {
        while (game.stage() < stage && !game.retestPending()) {
            startAndReveal(game, port);
            playToClear(game);
        }
    }

    // START the roulette and stop it on the first draw.
    void drawStage(float r)
    {
        draws = {r};
        game.start();
        port.advance(2);
        game.stop();
        reveal();
    }
};

} // namespace

TEST(StagePositions, EveryStageCanBeClearedWithBoardAJumps)
{
    for (int s = 1; s <= kLastStage; ++s) {
        if (s == kRetestStage) {
            EXPECT_TRUE(stagePosition(s).empty());
            continue;
        }
        EXPECT_TRUE(solve(BoardLayout::boardA(), stagePosition(s))) << "stage " << s;
    }
    EXPECT_EQ(stagePosition(6).size(), 11u);
    EXPECT_EQ(stagePosition(9), BoardLayout::boardA().startingOccupancy());
}

TEST(StageGameFlow, FromStageOneToTheCompletionPassword)
{
    Stages st;
    EXPECT_EQ(st.game.stage(), 1);
    EXPECT_EQ(st.game.board().count(), 4);
    EXPECT_EQ(st.game.timeLeft(), 60);

    startAndReveal(st.game, st.port);
    EXPECT_EQ(st.port.now, 500 + 30 * 20);
    st.port.clearLogs();
    playToClear(st.game);
    ASSERT_EQ(st.port.messages, (std::vector<std::string>{"ステージ1クリア！\r\n次のステージへ進みます。"}));
    EXPECT_EQ(st.port.count("beep"), 1u);
    // Stage 2 waits, hidden, behind START.
    EXPECT_EQ(st.game.stage(), 2);
    EXPECT_EQ(st.port.text["Label2"], "8");
    EXPECT_EQ(st.game.timeLeft(), 60);
    EXPECT_TRUE(st.port.enabled["Command1"]);
    EXPECT_FALSE(st.port.enabled["Command2"]);
    EXPECT_FALSE(st.port.holeShown[8]);

    st.clearUpTo(8);
    ASSERT_TRUE(st.game.retestPending());
    EXPECT_TRUE(st.port.visible["Label9"]);
    EXPECT_EQ(st.game.board().count(), 0);
    EXPECT_EQ(st.game.timeLeft(), 60);

    // The roulette draws 0 first ("again"), then stage 4.
    st.draws = {0.01f, 4.0f / 7.0f};
    st.port.clearLogs();
    st.game.start();
    EXPECT_EQ(st.port.messages.back(), texts::rouletteStart());
    EXPECT_TRUE(st.port.visible["Picture1"]);
    EXPECT_TRUE(st.port.screenEnabled);
    st.port.advance(1);
    EXPECT_EQ(st.game.digit(), 0);
    st.game.stop();
    EXPECT_EQ(st.port.messages.back(), "なに！0だと！もう一回だ。");
    EXPECT_TRUE(st.port.visible["Picture1"]);
    st.port.advance(1);
    st.game.stop();
    EXPECT_EQ(st.port.messages.back(), "よし、ステージ4だな。");
    EXPECT_FALSE(st.port.visible["Picture1"]);
    EXPECT_FALSE(st.port.screenEnabled);
    EXPECT_EQ(st.game.board().occupiedHoles(), stagePosition(4));
    EXPECT_TRUE(st.game.retestPending());
    EXPECT_EQ(st.port.count("sound 001.wav"), 1u) << "only START clicks; the roulette is silent";

    // A failed re-test goes back to the roulette with an empty board.
    st.reveal();
    EXPECT_TRUE(st.port.screenEnabled);
    st.port.advance(60000);
    EXPECT_EQ(st.port.messages.back(), texts::kTimeUp);
    EXPECT_EQ(st.game.board().count(), 0);
    EXPECT_TRUE(st.game.retestPending());

    // Clearing the re-test leads to stage 9.
    st.drawStage(2.0f / 7.0f);
    EXPECT_EQ(st.port.messages.back(), "よし、ステージ2だな。");
    st.port.clearLogs();
    playToClear(st.game);
    EXPECT_EQ(st.port.messages, (std::vector<std::string>{texts::retestClear()}));
    const auto beepAt = std::find(st.port.log.begin(), st.port.log.end(), "beep");
    EXPECT_EQ(beepAt + 1, std::find(st.port.log.begin(), st.port.log.end(), "message " + texts::retestClear()))
        << "the beep comes right before the message";
    EXPECT_FALSE(st.game.retestPending());
    EXPECT_FALSE(st.port.visible["Label9"]);
    EXPECT_EQ(st.game.stage(), 9);
    EXPECT_EQ(st.game.board().count(), 20);

    st.clearUpTo(10);
    st.port.clearLogs();
    startAndReveal(st.game, st.port);
    playToClear(st.game);
    ASSERT_EQ(st.port.messages.size(), 1u);
    EXPECT_EQ(st.port.messages[0],
              "全ステージクリア！あんたはスゴイ！\r\nパスワードは「HOPS0821」です。\r\n"
              "パスワードの利用法はヘルプの「目指せ！ゲームマスター」をご覧ください。");
    EXPECT_EQ(st.port.closeRequests, 1);
    EXPECT_EQ(st.port.count("beep"), 1u);
    EXPECT_FALSE(st.game.timerRunning(TimerId::Timer2));
}

TEST(StageGameFlow, GiveupInStageSixRestoresItsElevenPiecesSilently)
{
    Stages st;
    st.clearUpTo(6);
    startAndReveal(st.game, st.port);
    dragAndDrop(st.game, 11, 13);
    st.port.clearLogs();
    st.game.giveup();
    EXPECT_TRUE(st.port.messages.empty());
    EXPECT_TRUE(st.port.sounds.empty());
    EXPECT_EQ(st.game.board().occupiedHoles(), stagePosition(6));
    EXPECT_EQ(st.port.text["Label2"], "11");
    EXPECT_EQ(st.game.stage(), 6);
}

TEST(StageGameChecks, TheClearCheckIsSilentWhileTheBoardIsRebuilt)
{
    Stages st;
    startAndReveal(st.game, st.port);
    dragAndDrop(st.game, 8, 10);  // 8 over 9 into 10: three pieces left
    st.port.clearLogs();
    // Emptying 21 holes passes the count through 1 and 0.
    st.game.giveup();
    EXPECT_TRUE(st.port.messages.empty());
    EXPECT_EQ(st.game.board().count(), 4);
    // A write while the play flag is "1" that leaves one piece is no clear either.
    for (int k : {9, 13, 18})
        st.game.board().setHole(k, 0);
    EXPECT_EQ(st.game.board().count(), 1);
    EXPECT_TRUE(st.port.messages.empty());
}

TEST(StageGameChecks, TheLastPieceOnAHoleOfTheNextPositionGivesNoSecondClear)
{
    // Stage 1 can end with its last piece in hole 8, which stage 2 occupies too.
    Stages st;
    startAndReveal(st.game, st.port);
    st.port.clearLogs();
    dragAndDrop(st.game, 8, 10);
    dragAndDrop(st.game, 18, 9);
    dragAndDrop(st.game, 10, 8);
    EXPECT_EQ(st.port.messages.size(), 1u);
    EXPECT_EQ(st.game.stage(), 2);
    EXPECT_EQ(st.game.board().occupiedHoles(), stagePosition(2));
    EXPECT_FALSE(st.game.playing());
}

TEST(RouletteDigit, HalvesGoToTheEvenNeighbour)
{
    for (int k = 0; k < 7; ++k) {
        const float half = static_cast<float>(k) + 0.5f;
        EXPECT_EQ(roundHalfEven(half), static_cast<float>(k % 2 == 0 ? k : k + 1)) << half;
        EXPECT_EQ(roundHalfEven(std::nextafter(half, 0.0f)), static_cast<float>(k));
        EXPECT_EQ(roundHalfEven(std::nextafter(half, 8.0f)), static_cast<float>(k + 1));
        // The same through r: just below and just above r = (k + 0.5) / 7.
        const float r = half / 7.0f;
        EXPECT_EQ(rouletteDigit(r * 0.9999f), k);
        EXPECT_EQ(rouletteDigit(std::min(r * 1.0001f, std::nextafter(1.0f, 0.0f))), k + 1);
    }
    EXPECT_EQ(rouletteDigit(0.0f), 0);
    EXPECT_EQ(rouletteDigit(std::nextafter(1.0f, 0.0f)), 7);
}

TEST(RouletteDigit, TheUnseededGeneratorNeverDrawsEightOrNineAndFavoursOneToSix)
{
    RouletteRandom a, b;
    int histogram[10] = {};
    const int draws = 700000;
    for (int i = 0; i < draws; ++i) {
        const float r = a.next();
        ASSERT_EQ(r, b.next()) << "the sequence must be the same in every run";
        ASSERT_GE(r, 0.0f);
        ASSERT_LT(r, 1.0f);
        ++histogram[rouletteDigit(r)];
    }
    EXPECT_EQ(histogram[8] + histogram[9], 0);
    for (int d = 1; d <= 6; ++d)
        EXPECT_NEAR(histogram[d], draws / 7, draws / 70) << d;
    for (int d : {0, 7})
        EXPECT_NEAR(histogram[d], draws / 14, draws / 140) << d;
}
