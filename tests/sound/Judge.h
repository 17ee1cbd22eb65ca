// What a player hears in a recording of the null sink's monitor, against when each sound started,
// and what the server or the machine broke there. No server here: a made-up recording is judged alike.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ranges>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace hop::test {

inline constexpr int kRate = 48000;
// The control sound-server plays on the right channel alone (every sound of the game
// is the same on both): a square wave, louder for the first 5 ms of every second. No
// moment lost in whole pieces of the recording's 50 ms keeps its phase.
inline constexpr std::size_t kHalfWave = 13, kMarkFrames = 26 * 1847;
inline constexpr std::size_t kPeriod = 128;  // of PipeWire's graph, fixed by sound-server

inline double msOf(std::size_t samples) { return double(samples) * 1000 / kRate; }
inline std::size_t sampleAt(const std::vector<std::int16_t>& samples, double ms)
{
    return std::min(samples.size(), std::size_t(std::max(0.0, ms) * kRate / 1000));
}

struct Burst { double onsetMs, lengthMs; };  // the onset from the start of the recording

// Stretches of sound, split where at least 3 ms are silent.
inline std::vector<Burst> findBursts(const std::vector<std::int16_t>& samples, std::size_t from, std::size_t to = SIZE_MAX)
{
    std::vector<Burst> bursts;
    for (std::size_t i = from; i < std::min(to, samples.size()); ++i) {
        if (std::abs(samples[i]) < 1500)
            continue;
        if (!bursts.empty() && msOf(i) - bursts.back().onsetMs - bursts.back().lengthMs <= 3)
            bursts.back().lengthMs = msOf(i + 1) - bursts.back().onsetMs;
        else
            bursts.push_back({msOf(i), msOf(1)});
    }
    return bursts;
}

// Where the control broke between two moments of the recording (ms): each span where its wave was
// not whole, or where all after it moved (silence put in, a moment lost), every stream alike.
struct Break { double fromMs, toMs; bool lost = false; };  // lost: periods of the game's stream, the rest of it in place

inline std::vector<Break> controlBreaks(const std::vector<std::int16_t>& control, double fromMs, double toMs)
{
    std::vector<Break> breaks, runs;  // runs: where the wave broke since the last mark
    std::size_t edge = 0, mark = 0;  // 0: none yet
    bool broke = false;
    // The control alone is exact: a frame at neither of its levels is not the control.
    const auto level = [&](std::size_t i) { const int l = (std::abs(control[i]) + 50) / 100; return l == 80 ? 1 : l == 120 ? 2 : 0; };
    for (std::size_t i = sampleAt(control, fromMs) + kHalfWave; i < sampleAt(control, toMs); ++i) {
        const bool turn = level(i) && level(i - 1) && (control[i] < 0) != (control[i - 1] < 0);
        if (!level(i) || (turn && edge && i - edge != kHalfWave)) {
            if (!std::exchange(broke, true) || runs.empty())  // a run goes on past a mark
                runs.push_back({msOf(edge ? edge : i), 0});
            runs.back().toMs = msOf(i);
        } else {
            broke = broke && !turn;
        }
        edge = turn ? i : edge;
        if (level(i) != 2 || level(i - 1) != 1)
            continue;
        // A mark: it comes whole marks after the last unless everything moved, somewhere
        // in the runs since the last (or anywhere between the two, where the wave kept its phase).
        const double moved = mark ? msOf(i) - msOf(mark) - msOf(kMarkFrames) : 0;
        if (std::abs(moved) > 0.01)
            runs.assign(1, Break{runs.empty() ? msOf(mark) : runs.front().fromMs, runs.empty() ? msOf(i) : runs.back().toMs});
        breaks.insert(breaks.end(), runs.begin(), runs.end());
        runs.clear();
        mark = i;
    }
    breaks.insert(breaks.end(), runs.begin(), runs.end());
    return breaks;
}

// What the server broke for a moment, where the control broke too: a sound split by a gap under 12 ms, or by periods
// lost (the rest in place), is one burst, and a fleck under 2 ms (no sound of the game is that short) is none.
inline void joinBroken(std::vector<Burst>& heard, const std::vector<Break>& breaks)
{
    const auto broke = [&](double ms) { return std::ranges::any_of(breaks, [&](const Break& b) { return b.fromMs - 3 < ms && ms < b.toMs + 3; }); };
    const auto lost = [&](double from, double to) { return std::ranges::any_of(breaks, [&](const Break& b) { return b.lost && b.fromMs < from + 1 && to - 1 < b.toMs; }); };
    for (std::size_t k = 1; k < heard.size(); ++k)
        if (const double gap = heard[k].onsetMs - heard[k - 1].onsetMs - heard[k - 1].lengthMs; gap < 12 ? broke(heard[k].onsetMs) : lost(heard[k].onsetMs - gap, heard[k].onsetMs))
            heard[k - 1].lengthMs += gap + heard[k].lengthMs, heard.erase(heard.begin() + long(k--));
        else if (broke(heard[k].onsetMs) && heard[k].lengthMs < 2)
            heard.erase(heard.begin() + long(k--));
}

// Where PipeWire lost periods of the game's stream, late for its cycles on a busy machine (the control shows it only when
// it lost its own too): exact silence whole periods long in a burst of the tests' tone or before the next, the tone after
// it in its place (the game's sound was there in time). One sound is heard across it, across 12 ms or more only where
// the control lost the same periods (else a break alone).
inline void addLostPeriods(std::vector<Break>& breaks, const std::vector<std::int16_t>& s, const std::vector<std::int16_t>& control,
                           const std::vector<Burst>& heard)
{
    constexpr std::size_t tone = kRate / 1000;  // the tests' 1 kHz tone, in frames
    for (std::size_t k = 0; k < heard.size(); ++k) {
        const std::size_t near = sampleAt(s, heard[k].onsetMs + heard[k].lengthMs + 12), next = k + 1 < heard.size() ? sampleAt(s, heard[k + 1].onsetMs + 2) : 0;
        for (std::size_t i = sampleAt(s, heard[k].onsetMs), zeros = 0; i + tone < std::max(near, next); zeros = s[i++] ? 0 : zeros + 1) {
            // As whole tones before it (silence put in, not lost, would move a period's by 32 frames: 16 the same).
            const auto same = [&, back = tone * (zeros / tone + 2)](std::size_t f) { return (s[f] < 0) == (s[f - back] < 0); };
            if (zeros && zeros % kPeriod == 0 && s[i] && i > 2 * zeros + 200 && std::ranges::count_if(std::views::iota(i, i + tone), same) > 36)
                breaks.push_back({msOf(i - zeros), msOf(i), i < near || std::all_of(control.begin() + long(i - zeros), control.begin() + long(i), [](std::int16_t c) { return c == 0; })});
        }
    }
}

// For a failure's message: each burst's (or span's) onset and length, in ms.
inline std::string describe(const auto& bursts, const char* what = "bursts heard")
{
    std::string seen = std::string(what).append(" (onset+length ms):");
    for (const Burst& b : bursts)  // piece by piece: GCC 12 warns falsely (-Wrestrict) on " " + std::string
        seen.append(" ").append(std::to_string(int(b.onsetMs))).append("+").append(std::to_string(int(b.lengthMs)));
    return seen;
}

inline std::string num(double v) { char s[32]; return std::snprintf(s, sizeof s, "%.1f", v), s; }

// The pitch of a burst's middle half, from its sign changes.
inline double pitchHz(const std::vector<std::int16_t>& samples, const Burst& b)
{
    int changes = 0;
    for (std::size_t i = sampleAt(samples, b.onsetMs + b.lengthMs / 4) + 1; i < sampleAt(samples, b.onsetMs + b.lengthMs * 3 / 4); ++i)
        changes += (samples[i] < 0) != (samples[i - 1] < 0);
    return changes * 1000.0 / b.lengthMs;
}

// How late a sound may be heard unless said otherwise; a sanitized build is slower to start a long sound.
inline constexpr double kSlack = HOPSTONE_SANITIZED ? 20 : 10;

// Times are on the game's clock (ms) or the recording's (frames), never compared: the server's drifts and skips.
// A start's ms: its file's length, 0 for one that must stay silent; cut: by the next start, in one burst with it.
struct Start { double atMs, ms; bool cut = false; double slack = kSlack; };
struct Mark { double atMs; std::size_t recorded; };  // between stretches, where nothing sounds
struct Still { double fromMs, toMs; };  // the machine stood still: the server skips as long on waking
struct Play { std::vector<std::int16_t> game, control; std::vector<Start> starts; std::vector<Mark> marks; std::vector<Still> stills; };
// again: shaken by the server or the machine, to be played again; seen: the bursts heard.
struct Verdict { bool again = false; std::vector<std::string> faults; std::string seen; };

// Judges the plays of one plan in turn, each stretch until it was heard once with no break of the control (the server or
// its recording lost a moment) and no still of the machine under a sound, nor, where either happened in it, a burst
// missing or too many. Each burst is as long as wanted and at its pitch in the first play of the right count in its
// stretch where nothing broke under it; on a stretch's last play every burst wanted is heard, each onset after the one
// before as their starts were, but not timed across a break or a still, nor just after a break (the server's clock may drift).
class Judge {
public:
    // A verdict per stretch; one heard whole in an earlier play has nothing more to say.
    std::vector<Verdict> operator()(const Play& play, bool lastPlay = true)
    {
        std::vector<Verdict> verdicts(std::max<std::size_t>(play.marks.size(), 1) - 1);
        for (std::size_t p = 0; p < verdicts.size(); ++p) {
            if (whole_.contains(p))
                continue;
            const Mark from = play.marks[p], to = play.marks[p + 1];
            std::vector<Burst> heard = findBursts(play.game, from.recorded, to.recorded);
            std::vector<Break> breaks = controlBreaks(play.control, msOf(from.recorded), msOf(to.recorded));
            addLostPeriods(breaks, play.game, play.control, heard);
            joinBroken(heard, breaks);
            // One burst per audible start, as long as its file or until the next start.
            std::vector<Start> want;
            for (std::size_t i = 0; i < play.starts.size(); ++i)
                if (const Start& s = play.starts[i]; s.ms > 0 && s.atMs >= from.atMs && s.atMs < to.atMs) {
                    const double next = i + 1 < play.starts.size() ? play.starts[i + 1].atMs - s.atMs : s.ms;
                    want.push_back({s.atMs, std::min(s.ms, next), false, s.slack});
                }
            const auto broke = [&](double fromMs, double toMs) {
                return std::ranges::any_of(breaks, [&](const Break& b) { return b.toMs > fromMs && b.fromMs < toMs; }); };
            const auto still = [&](double fromMs, double ms) {
                return std::ranges::any_of(play.stills, [&](const Still& s) { return s.toMs > fromMs && s.fromMs < fromMs + ms; }); };
            const auto shaken = [&](std::size_t k) { return broke(heard[k].onsetMs - 5, heard[k].onsetMs + heard[k].lengthMs + 5) ||
                                                            still(want[k].atMs - 5, want[k].ms + 25); };
            // A start that cuts the sound before it is heard in one burst with it; so is one that follows its end closer
            // than starts keep time, where that burst is longer than its sound and the next nearer the start after.
            for (std::size_t k = 0; k + 1 < want.size() && k < heard.size(); ++k) {
                const double next = k + 1 < heard.size() ? heard[k + 1].onsetMs : 1e9;  // the next burst heard
                const auto off = [&](std::size_t j) { return std::abs((j < want.size() ? heard[k].onsetMs + want[j].atMs - want[k].atMs : 1e9) - next); };
                if (want[k + 1].atMs - want[k].atMs <= want[k].ms + 3 || (heard[k].lengthMs > want[k].ms + 5 && off(k + 2) < off(k + 1)))
                    want[k] = {want[k].atMs, want[k + 1].atMs - want[k].atMs + want[k + 1].ms, true, want[k].slack},
                    want.erase(want.begin() + long(k--) + 1);
            }
            Verdict& v = verdicts[p] = {heard.size() != want.size() && (!breaks.empty() || still(from.atMs, to.atMs - from.atMs)), {}, describe(heard)};
            for (std::size_t k = 0; k < std::min(heard.size(), want.size()); ++k)
                v.again |= shaken(k);
            const bool last = !v.again || lastPlay;
            const auto fault = [&](const std::string& what) { v.faults.push_back(what + "; " + v.seen); };
            const double first = want.empty() ? 0 : want[0].atMs;  // the wanted and the stills from the first start
            if (last && heard.size() != want.size())
                fault("heard " + std::to_string(heard.size()) + " of " + std::to_string(want.size()) + "; " +
                      describe(want | std::views::transform([&](const Start& s) { return Burst{s.atMs - first, s.ms}; }), "wanted") + "; " +
                      describe(play.stills | std::views::transform([&](const Still& s) { return Burst{s.fromMs - first, s.toMs - s.fromMs}; }), "stills"));
            for (std::size_t k = 0; heard.size() == want.size() && k < want.size(); ++k) {
                const std::string burst = "burst " + std::to_string(k);
                const double apart = k ? want[k].atMs - want[k - 1].atMs : 0, late = k ? heard[k].onsetMs - heard[k - 1].onsetMs - apart : 0;
                if (last && k && !broke(heard[k - 1].onsetMs - 100, heard[k].onsetMs + 5) && !still(want[k - 1].atMs, apart + want[k].slack) &&
                    (late < -want[k - 1].slack || late > want[k].slack))
                    fault(burst + " is " + num(late) + " ms late against the one before");
                if (shaken(k) || !judged_.insert({p, k}).second)
                    continue;
                // A whole sound lasts as long as its file; one cut off ends with the sound that cut
                // it, as late as any start. Whatever the file's rate, the tone keeps its pitch.
                const double longer = heard[k].lengthMs - want[k].ms, hz = pitchHz(play.game, heard[k]);
                if (want[k].cut ? longer < -want[k].slack || longer > kSlack : std::abs(longer) > 5)
                    fault(burst + " lasts " + num(heard[k].lengthMs) + " ms");
                if (!want[k].cut && want[k].ms >= 50 && std::abs(hz - 1000) > 40)
                    fault(burst + " is heard at " + num(hz) + " Hz");
            }
            if (!v.again)
                whole_.insert(p);
        }
        return verdicts;
    }

private:
    std::set<std::size_t> whole_;                           // stretches heard with nothing shaken
    std::set<std::pair<std::size_t, std::size_t>> judged_;  // (stretch, burst), for its length and pitch
};

} // namespace hop::test
