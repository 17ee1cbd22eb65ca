// The sound tests' judgement, on made-up recordings with the faults a player would hear.
#include "tests/sound/Judge.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace hop::test;

namespace {

struct Tone { double atMs, ms, hz = 1000; };

// A second from a server that broke nothing: the control's wave throughout, and each tone on the
// game's channel as the tests' files sound, a square wave at half scale. By default a click, then a tick.
Play recorded(const std::vector<Tone>& tones, std::vector<Start> starts = {{100, 12}, {250, 100}})
{
    Play play{std::vector<std::int16_t>(kRate), {}, std::move(starts), {{0, 0}, {1000, std::size_t(kRate)}}, {}};
    for (std::size_t i = 0; i < play.game.size(); ++i)
        play.control.push_back(std::int16_t((i / kHalfWave % 2 ? -1 : 1) * (i % kMarkFrames < 240 ? 12000 : 8000)));
    for (const Tone& t : tones)
        for (std::size_t i = sampleAt(play.game, t.atMs); i < sampleAt(play.game, t.atMs + t.ms); ++i)
            play.game[i] = std::sin(2 * M_PI * t.hz * double(i) / kRate) < 0 ? -16383 : 16383;
    return play;
}

std::string faults(const Play& play)
{
    std::string all;
    for (const Verdict& v : Judge{}(play))
        for (const std::string& fault : v.faults)
            all += fault + "\n";
    return all;
}

bool told(const Play& play, const char* what) { return faults(play).find(what) != std::string::npos; }

} // namespace

TEST(Judge, AWholePlayIsHeardWithoutFaultAndEveryFaultHeardIsTold)
{
    EXPECT_EQ(faults(recorded({{100, 12}, {250, 100}})), "");
    EXPECT_TRUE(told(recorded({{100, 12}}), "heard 1 of 2"));  // the tick missing
    EXPECT_TRUE(told(recorded({{100, 12}, {250, 80}}), "burst 1 lasts 80.0 ms"));
    EXPECT_TRUE(told(recorded({{100, 12}, {250, 100, 1100}}), "burst 1 is heard at 1100.0 Hz"));
    EXPECT_TRUE(told(recorded({{100, 12}, {290, 100}}), "burst 1 is 40.0 ms late"));
    // A sound cut by the next at its start, not queued behind it.
    EXPECT_EQ(faults(recorded({{100, 50}, {150, 60}}, {{100, 100}, {150, 60}})), "");
    EXPECT_TRUE(told(recorded({{100, 100}, {200, 60}}, {{100, 100}, {150, 60}}), "burst 0 lasts 160.0 ms"));
}
