// Timing, memory and command-line helpers shared by the benchmark programs (Qt Core only).
#pragma once

#include <QObject>

#include <ctime>
#include <functional>

namespace hop::bench {

double clockMs(clockid_t clock);

// "1700000000.123456" or "1700000000,123456" (bash writes the locale's radix).
bool parseEpoch(const char* text, double* ms);

// Milliseconds since the process started, by the kernel's own record of it.
double procElapsedMs();

struct Stopwatch {
    bool fromArgv = false;
    double t0RealtimeMs = 0;
    double elapsedMs() const { return fromArgv ? clockMs(CLOCK_REALTIME) - t0RealtimeMs : procElapsedMs(); }
};

// --t0=<epoch seconds> starts the clock at the runner's fork; --smaps asks for the mappings.
struct StartupOptions {
    Stopwatch clock;
    bool smaps = false;
};
StartupOptions startupOptions(int argc, char** argv);

long maxRssKb();

// Resident kilobytes per mapped file, with anonymous memory as one entry: the
// peak figure alone cannot tell heap growth from library and font pages.
void printResidentMappings();

// Waits for the first paint of the window `isWindow` picks, lets that frame finish,
// then prints the start-up line (and with `smaps` the resident mappings) and quits.
class FirstPaint : public QObject {
public:
    FirstPaint(const Stopwatch& clock, std::function<bool(QObject*)> isWindow, bool smaps)
        : clock_(clock), isWindow_(std::move(isWindow)), smaps_(smaps)
    {
    }

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const Stopwatch& clock_;
    std::function<bool(QObject*)> isWindow_;
    bool smaps_;
    bool seen_ = false;
    double firstPaintMs_ = 0;
};

// The integer after `name`, or `fallback` when it is not given.
int argument(int argc, char** argv, const char* name, int fallback);
bool hasFlag(int argc, char** argv, const char* name);

// The game reads its files from the folder it starts in.
void enterGameDir(const char* gameDir);

} // namespace hop::bench
