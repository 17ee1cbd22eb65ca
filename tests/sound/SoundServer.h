// A private sound server with a null sink, the sink's monitor recorded by parec, and
// the bursts of sound found in the recording. The server is tests/sound/sound-server:
// PipeWire or PulseAudio (HOPSTONE_SOUND_SERVER), in a folder of its own, meeting no
// desktop's sound server and leaving nothing behind.
#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ranges>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace hop::test {

class SoundServer {
public:
    static constexpr int kRate = 48000;
    // The control sound-server plays on the right channel alone (every sound of the game
    // is the same on both): a square wave, louder for the first 5 ms of every second. No
    // moment lost in whole pieces of the recording's 50 ms keeps its phase.
    static constexpr std::size_t kHalfWave = 13, kMarkFrames = 26 * 1847;
    static constexpr std::size_t kPeriod = 128;  // of PipeWire's graph, fixed by sound-server

    explicit SoundServer(bool control = false) : control_(control) {}

    // Starts the server and the recording, and waits until the recording keeps real time.
    bool start()
    {
        const QString ready = dir_.filePath(QStringLiteral("server"));
        server_.setProcessChannelMode(QProcess::ForwardedChannels);
        server_.start(QFileInfo(QStringLiteral(__FILE__)).dir().filePath(QStringLiteral("sound-server")),
                      {dir_.path(), recording(), QStringLiteral("2"), control_ ? QStringLiteral("control") : QString()});
        for (int i = 0; i < 1000 && !QFileInfo::exists(ready); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        QFile address(ready);
        if (!address.open(QIODevice::ReadOnly))
            return false;
        // This process's clients find the server by its socket alone, their cookie beside it, not at home.
        qputenv("PULSE_SERVER", address.readAll().trimmed()), qputenv("PULSE_COOKIE", QFile::encodeName(dir_.filePath("cookie")));
        // The first moments of a monitor recording can be lost: wait until it keeps time.
        for (int i = 0; i < 50; ++i) {
            const qint64 before = QFileInfo(recording()).size();
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            if (QFileInfo(recording()).size() - before > 4 * kRate * 180 / 1000)
                return true;
        }
        return false;
    }

    ~SoundServer() { server_.terminate(), server_.waitForFinished(); }  // SIGTERM to its PID: it stops what it started

    void keep() { dir_.setAutoRemove(false), std::printf("the recording is kept: %s\n", qPrintable(recording())); }  // to read a failure
    // The monitor as parec writes it: 16-bit stereo at kRate.
    QString recording() const { return dir_.filePath(QStringLiteral("monitor.raw")); }
    std::size_t recorded() const { return std::size_t(QFileInfo(recording()).size() / 4); }  // frames, cheaper than samples().size()

    // The left channel, which the control leaves silent; or the control alone.
    std::vector<std::int16_t> samples(bool control = false) const
    {
        QFile file(recording());
        const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        const auto* in = reinterpret_cast<const std::int16_t*>(bytes.constData());
        std::vector<std::int16_t> out(std::size_t(bytes.size() / 4));
        for (std::size_t i = 0; i < out.size(); ++i)
            out[i] = std::int16_t(control ? in[2 * i + 1] - in[2 * i] : in[2 * i]);
        return out;
    }

private:
    bool control_;
    QTemporaryDir dir_;
    QProcess server_;
};

inline double msOf(std::size_t samples) { return double(samples) * 1000 / SoundServer::kRate; }
inline std::size_t sampleAt(const std::vector<std::int16_t>& samples, double ms)
{
    return std::min(samples.size(), std::size_t(std::max(0.0, ms) * SoundServer::kRate / 1000));
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
    for (std::size_t i = sampleAt(control, fromMs) + SoundServer::kHalfWave; i < sampleAt(control, toMs); ++i) {
        const bool turn = level(i) && level(i - 1) && (control[i] < 0) != (control[i - 1] < 0);
        if (!level(i) || (turn && edge && i - edge != SoundServer::kHalfWave)) {
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
        const double moved = mark ? msOf(i) - msOf(mark) - msOf(SoundServer::kMarkFrames) : 0;
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
    constexpr std::size_t tone = SoundServer::kRate / 1000;  // the tests' 1 kHz tone, in frames
    for (std::size_t k = 0; k < heard.size(); ++k) {
        const std::size_t near = sampleAt(s, heard[k].onsetMs + heard[k].lengthMs + 12), next = k + 1 < heard.size() ? sampleAt(s, heard[k + 1].onsetMs + 2) : 0;
        for (std::size_t i = sampleAt(s, heard[k].onsetMs), zeros = 0; i + tone < std::max(near, next); zeros = s[i++] ? 0 : zeros + 1) {
            // As whole tones before it (silence put in, not lost, would move a period's by 32 frames: 16 the same).
            const auto same = [&, back = tone * (zeros / tone + 2)](std::size_t f) { return (s[f] < 0) == (s[f - back] < 0); };
            if (zeros && zeros % SoundServer::kPeriod == 0 && s[i] && i > 2 * zeros + 200 && std::ranges::count_if(std::views::iota(i, i + tone), same) > 36)
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

// The pitch of a burst's middle half, from its sign changes.
inline double pitchHz(const std::vector<std::int16_t>& samples, const Burst& b)
{
    int changes = 0;
    for (std::size_t i = sampleAt(samples, b.onsetMs + b.lengthMs / 4) + 1; i < sampleAt(samples, b.onsetMs + b.lengthMs * 3 / 4); ++i)
        changes += (samples[i] < 0) != (samples[i - 1] < 0);
    return changes * 1000.0 / b.lengthMs;
}

} // namespace hop::test
