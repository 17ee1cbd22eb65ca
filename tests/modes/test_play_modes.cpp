// The three modes driven through the fake screen and its simulated clock.
#include "modes/StageGame.h"
#include "modes/Texts.h"
#include "modes/TimedGame.h"
#include "board/Solver.h"
#include "tests/support/FakePort.h"

#include <gtest/gtest.h>

#include <cmath>
#include <deque>

using namespace hop::test;

namespace {

const std::string kClick = "sound 001.wav";

// "o" is a piece, "." an empty hole; anything else only helps the eye.
std::vector<int> parsePosition(const std::string& picture)
{
    std::vector<int> holes;
    int k = 0;
    for (char c : picture) {
        k += c == 'o' || c == '.';
        if (c == 'o')
            holes.push_back(k);
    }
    return holes;
}

// The same calls the screen makes for a mouse drag.
void dragAndDrop(PlayMode& mode, int from, int to)
{
    ASSERT_TRUE(mode.pickUp(from)) << from;
    mode.dragOver(to, DragOver::Enter);
    ASSERT_TRUE(mode.drop(to)) << from << "->" << to;
}

void playToClear(PlayMode& mode)
{
    const auto moves = solve(mode.board().layout(), mode.board().occupiedHoles());
    for (const JumpLine& j : moves.value())
        dragAndDrop(mode, j.from, j.to);
}

void startAndReveal(PlayMode& mode, FakePort& port)
{
    mode.start();
    while (!mode.timerRunning(TimerId::Countdown) && port.step()) {}
}

// A game loaded on its screen, what loading showed and played taken off the logs.
void loadOn(FakePort& port, PlayMode& game) { port.mode = &game, game.load(), port.clearLogs(); }

// A timed game whose board a test may also write outside the rules.
struct RiggedGame : TimedGame {
    using TimedGame::TimedGame;
    void setHole(int k, int piece) { board_.setHole(k, piece); }
};

struct Timed {
    FakePort port;
    RiggedGame game;
    explicit Timed(Mode mode) : game(mode, port) { loadOn(port, game); }
};

struct Stages {
    FakePort port;
    std::deque<float> draws;  // the roulette's, one a spin; the last one stays
    StageGame game{port, [this] {
                       const float r = draws.empty() ? 0.5f : draws.front();
                       if (draws.size() > 1)
                           draws.pop_front();
                       return r;
                   }};
    Stages() { loadOn(port, game); }
    // Clear stages until `stage` waits behind START (or the re-test is pending).
    void clearUpTo(int stage)
    {
        while (game.stage() < stage && !game.retestPending()) {
            startAndReveal(game, port);
            playToClear(game);
        }
    }
};

// Board A's 120 ticks last 120 s; Board B's 117.6 s.
const struct { Mode mode; int holes; long long gameMs; int startCount; } kTimedModes[] = {{Mode::BoardA, 21, 120000, 20}, {Mode::BoardB, 23, 117600, 22}};

} // namespace

TEST(TimedGames, RevealThenCountdownThenTimeUpAndAFullReset)
{
    for (const auto& c : kTimedModes) {
        SCOPED_TRACE(c.holes);
        Timed t(c.mode);
        t.game.start();
        t.game.start();  // START is disabled from the first press on
        EXPECT_EQ(t.port.sounds.size(), 1u);
        while (t.game.timerRunning(TimerId::Reveal)) {
            ASSERT_TRUE(t.port.step());
            const auto shown = std::count(t.port.holeShown.begin(), t.port.holeShown.end(), true);
            // Nothing can be touched until the last hole is shown.
            EXPECT_EQ(t.port.screenEnabled, shown == c.holes);
            EXPECT_EQ(t.game.timerRunning(TimerId::Countdown), shown == c.holes);
        }
        for (int k = 1; k <= c.holes; ++k)
            EXPECT_EQ(t.port.shownAt[size_t(k)], 500 + 30 * (k - 1)) << "hole " << k;
        EXPECT_EQ(t.port.count(kClick), size_t(c.holes + 1));
        EXPECT_EQ(std::tuple(t.port.shown[Readout::RevealCount], t.port.timer(TimerId::Reveal).interval), std::tuple(0, 500));
        EXPECT_TRUE(t.port.enabled[Button::Giveup]);

        const long long revealEnd = t.port.now;
        dragAndDrop(t.game, 4, 1);
        long long timeUpAt = -1;
        t.port.onMessage = [&](const std::string& m) {
            EXPECT_EQ(m, texts::kTimeUp);
            timeUpAt = t.port.now;
            EXPECT_FALSE(t.port.timer(TimerId::Countdown).running) << "the clock stops before the message";
            EXPECT_EQ(t.port.shown[Readout::TimeLeft], 0);
        };
        t.port.clearLogs();
        t.port.advance(c.gameMs / 120);
        EXPECT_EQ(t.port.shown[Readout::TimeLeft], 119);
        t.port.advance(200000);
        EXPECT_EQ(timeUpAt - revealEnd, c.gameMs);
        EXPECT_EQ(t.port.shown[Readout::TimeLeft], 120);
        EXPECT_EQ(t.port.count(kClick), 120u) << "one click a tick";
        EXPECT_EQ(t.port.messages.size(), 1u);
        // The reset: the opening position, hidden, START back.
        EXPECT_EQ(t.game.board().occupiedHoles(), rulesFor(c.mode).opening);
        EXPECT_EQ(t.port.shown[Readout::PiecesLeft], c.startCount);
        EXPECT_EQ(std::count(t.port.holeShown.begin(), t.port.holeShown.end(), true), 0);
        EXPECT_TRUE(t.port.enabled[Button::Start] && !t.port.enabled[Button::Giveup]);
    }
}

TEST(TimedGames, AClearShowsOneMessageOverTheFinalBoardAndComesBackReadyAndAResetIsNoClear)
{
    for (const auto& c : kTimedModes) {
        SCOPED_TRACE(c.holes);
        Timed t(c.mode);
        for (int game = 0; game < 2; ++game) {
            startAndReveal(t.game, t.port);
            t.port.clearLogs();
            t.port.onMessage = [&](const std::string&) {
                EXPECT_EQ(t.port.shown[Readout::PiecesLeft], 1);
                EXPECT_FALSE(t.port.timer(TimerId::Countdown).running);
            };
            playToClear(t.game);
            EXPECT_EQ(t.port.messages, (std::vector<std::string>{texts::kClear}));
            EXPECT_TRUE(t.port.sounds.empty()) << "moves and the reset are silent";
            EXPECT_EQ(t.port.shown[Readout::PiecesLeft], c.startCount);
            EXPECT_TRUE(t.game.startEnabled());
            t.port.onMessage = nullptr;
        }
        // Giveup right after a reveal: silent, no hole redrawn, the clock really stopped.
        startAndReveal(t.game, t.port);
        t.port.advance(3000);
        t.port.clearLogs();
        t.game.giveup();
        for (const auto& entry : t.port.log)
            EXPECT_EQ(entry.rfind("picture", 0), std::string::npos) << entry;
        EXPECT_TRUE(t.port.sounds.empty() && t.port.messages.empty());
        t.port.advance(10000);
        EXPECT_EQ(t.game.timeLeft(), 120);
        t.game.closeStep();
        EXPECT_EQ(t.port.sounds, (std::vector<std::string>{"001.wav"}));
    }
    // A board with the last piece in hole 1 clears once; a reset over two pieces,
    // one of them in hole 1, passes the count through 1 and reports no clear.
    Timed t(Mode::BoardA);
    startAndReveal(t.game, t.port);
    for (int k = 3; k <= 21; ++k)
        if (k != 4)
            t.game.setHole(k, 0);
    t.port.clearLogs();
    dragAndDrop(t.game, 4, 1);
    EXPECT_EQ(t.port.messages, (std::vector<std::string>{texts::kClear}));

    startAndReveal(t.game, t.port);
    t.game.setHole(1, 1);
    for (int k = 2; k <= 21; ++k)
        if (k != 9)
            t.game.setHole(k, 0);
    t.port.clearLogs();
    t.game.giveup();
    EXPECT_TRUE(t.port.messages.empty());
    EXPECT_EQ(t.game.board().count(), 20);
}

TEST(StageTable, EveryPositionIsAsDrawnAndCanBeCleared)
{
    // Board A row by row, from the apex; "o" a piece.
    const char* drawn[] = {
        "",
        ". / . . / . . . / . o o . / . . o . . / . . o . . .",
        ". / . . / o o o / . o . o / . . o o . / . . . o . .",
        ". / . . / . . . / . o o . / . o . o . / . o o o o .",
        ". / . . / . . . / . . o o / . . o . o / . . o o o o",
        "o / o o / o o o / . o o . / . . . . . / . . . . . .",
        ". / o o / . o . / . . . . / o o . o o / o o . . o o",
        ". / . . / o o . / o . o . / o . . o . / o o o o o .",
        "",
        ". / o o / o o o / o o o o / o o o o o / o o o o o o",
        ". / . o / . o . / . o o . / . o o o . / . o . . . .",
    };
    for (int s = 1; s <= kLastStage; ++s) {
        EXPECT_EQ(stagePosition(s), parsePosition(drawn[s])) << "stage " << s;
        if (s != kRetestStage) {
            EXPECT_TRUE(solve(BoardLayout::boardA(), stagePosition(s))) << "stage " << s;
        }
    }
}

TEST(StageGame, FromStageOneToTheRoulettesDraw)
{
    Stages st;
    startAndReveal(st.game, st.port);
    st.port.clearLogs();
    playToClear(st.game);
    const auto beep = std::find(st.port.log.begin(), st.port.log.end(), "beep");
    ASSERT_NE(beep, st.port.log.end());
    EXPECT_EQ(beep[1].rfind("message", 0), 0u) << "the beep comes right before the message";
    EXPECT_EQ(st.port.messages, (std::vector<std::string>{texts::stageClear(1)}));
    // Stage 2 waits, hidden, behind START.
    EXPECT_EQ(st.port.shown[Readout::StageNumber], 2);
    EXPECT_EQ(st.port.shown[Readout::PiecesLeft], 8);
    EXPECT_TRUE(st.port.enabled[Button::Start] && !st.port.enabled[Button::Giveup] && !st.port.holeShown[8]);

    st.clearUpTo(8);
    ASSERT_TRUE(st.game.retestPending());
    EXPECT_TRUE(st.port.overlay[Overlay::RetestMarker]);
    EXPECT_EQ(st.game.board().count(), 0);

    // The roulette draws 0 first ("again"), then stage 4; only START clicks.
    st.port.clearLogs();
    st.game.start();
    EXPECT_EQ(st.port.messages.back(), texts::rouletteStart());
    EXPECT_TRUE(st.port.overlay[Overlay::RoulettePanel] && st.port.screenEnabled);
    // The digit changes faster than a player can pick it, and no faster than a screen shows.
    for (int i = 0; i < 100; ++i)
        st.draws.push_back(i % 2 ? 0.2f : 0.7f);
    st.port.writes.clear();
    st.port.advance(1000);
    EXPECT_GE(st.port.writes[Readout::RouletteDigit], 20);
    EXPECT_LE(st.port.writes[Readout::RouletteDigit], 60);
    st.draws = {0.01f};
    st.port.advance(200);
    st.game.stop();
    EXPECT_EQ(st.port.messages.back(), texts::kRouletteZero);
    EXPECT_TRUE(st.port.overlay[Overlay::RoulettePanel]);
    st.draws = {4.0f / 7.0f};
    st.port.advance(200);
    st.game.stop();
    EXPECT_EQ(st.port.messages.back(), texts::rouletteDrawn(4));
    EXPECT_FALSE(st.port.overlay[Overlay::RoulettePanel] || st.port.screenEnabled) << "the reveal comes first";
    EXPECT_EQ(st.game.board().occupiedHoles(), stagePosition(4));
    EXPECT_EQ(st.port.sounds.size(), 1u);
}

TEST(StageGame, AFailedRetestGoesBackToTheRouletteAndTheLastStageGivesThePassword)
{
    Stages st;
    st.clearUpTo(8);
    st.draws = {4.0f / 7.0f};
    st.game.start();
    st.port.advance(2);
    st.game.stop();
    // A failed re-test: its minute runs out on the clock, the readout is full again, and
    // the roulette comes back with an empty board.
    startAndReveal(st.game, st.port);
    const long long revealEnd = st.port.now;
    long long timeUpAt = -1;
    st.port.onMessage = [&](const std::string&) { timeUpAt = st.port.now; };
    st.port.advance(90000);
    st.port.onMessage = nullptr;
    EXPECT_EQ(timeUpAt - revealEnd, 60000);
    EXPECT_EQ(st.port.messages.back(), texts::kTimeUp);
    EXPECT_EQ(st.port.shown[Readout::TimeLeft], 60);
    EXPECT_EQ(st.game.board().count(), 0);
    EXPECT_TRUE(st.game.retestPending());

    // Clearing the re-test leads to stage 9.
    st.draws = {2.0f / 7.0f};
    st.game.start();
    st.port.advance(2);
    st.game.stop();
    startAndReveal(st.game, st.port);
    st.port.clearLogs();
    playToClear(st.game);
    EXPECT_EQ(st.port.messages, (std::vector<std::string>{texts::retestClear()}));
    EXPECT_FALSE(st.port.overlay[Overlay::RetestMarker]);
    EXPECT_EQ(st.game.board().occupiedHoles(), stagePosition(9));

    st.clearUpTo(10);
    st.port.clearLogs();
    startAndReveal(st.game, st.port);
    playToClear(st.game);
    EXPECT_EQ(st.port.messages, (std::vector<std::string>{texts::completion()}));
    EXPECT_EQ(st.port.closeRequests, 1);
    EXPECT_EQ(st.port.count("beep"), 1u);
}

TEST(StageGame, ResetsAndRebuildsNeverReportAClear)
{
    Stages st;
    // Emptying the board for a Giveup passes the count through 1.
    startAndReveal(st.game, st.port);
    dragAndDrop(st.game, 8, 10);
    st.port.clearLogs();
    st.game.giveup();
    EXPECT_TRUE(st.port.messages.empty());
    EXPECT_EQ(st.game.board().count(), 4);
    // Stage 1 can end with its last piece in hole 8, which stage 2 occupies too.
    startAndReveal(st.game, st.port);
    dragAndDrop(st.game, 8, 10);
    dragAndDrop(st.game, 18, 9);
    dragAndDrop(st.game, 10, 8);
    EXPECT_EQ(st.port.messages.size(), 1u);
    EXPECT_EQ(st.game.board().occupiedHoles(), stagePosition(2));
    // Giveup in the middle of stage 6 restores its eleven pieces silently.
    st.clearUpTo(6);
    startAndReveal(st.game, st.port);
    dragAndDrop(st.game, 11, 13);
    st.port.clearLogs();
    st.game.giveup();
    EXPECT_TRUE(st.port.messages.empty());
    EXPECT_TRUE(st.port.sounds.empty());
    EXPECT_EQ(st.game.board().occupiedHoles(), stagePosition(6));
    EXPECT_EQ(st.game.stage(), 6);
}

TEST(RouletteDigit, HalvesGoToTheEvenNeighbourAndEightNeverComes)
{
    for (int k = 0; k < 7; ++k) {
        const float half = float(k) + 0.5f;
        EXPECT_EQ(roundHalfEven(half), float(k % 2 == 0 ? k : k + 1)) << half;
        EXPECT_EQ(roundHalfEven(std::nextafter(half, 0.0f)), float(k));
        EXPECT_EQ(roundHalfEven(std::nextafter(half, 8.0f)), float(k + 1));
    }
    EXPECT_EQ(rouletteDigit(std::nextafter(1.0f, 0.0f)), 7);
    RouletteRandom a, b;
    int histogram[10] = {};
    const int draws = 700000;
    for (int i = 0; i < draws; ++i) {
        const float r = a.next();
        ASSERT_EQ(r, b.next()) << "the same sequence in every run";
        ASSERT_TRUE(r >= 0.0f && r < 1.0f);
        ++histogram[rouletteDigit(r)];
    }
    EXPECT_EQ(histogram[8] + histogram[9], 0);
    for (int d = 0; d <= 7; ++d)
        EXPECT_NEAR(histogram[d], (d == 0 || d == 7 ? draws / 14 : draws / 7), draws / 140) << d;
}
