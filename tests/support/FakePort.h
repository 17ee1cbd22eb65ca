// A screen for the core tests: records what the modes ask for and runs a simulated clock,
// which delivers ticks in due order; messages are acknowledged at once.
#pragma once

#include "modes/PlayMode.h"

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace hop::test {

using namespace hop::board;
using namespace hop::modes;

class FakePort : public ScreenPort {
public:
    struct Timer { bool running = false; int interval = 0; long long due = 0; };

    // What each readout shows now.
    std::map<Readout, int> shown;
    std::map<Overlay, bool> overlay;
    std::map<Button, bool> enabled;
    std::vector<bool> holeShown = std::vector<bool>(24, false);
    std::vector<DragIcon> dragIcon = std::vector<DragIcon>(24, DragIcon::Drag);
    // When each hole cell was last shown, on the simulated clock.
    std::vector<long long> shownAt = std::vector<long long>(24, -1);
    bool screenEnabled = true;
    Timer timers[3];

    // Everything in order: "sound 001.wav", "message ...", "beep", "picture 5 1", "show 3 1", "jump 4 2 1 19", "close".
    std::vector<std::string> log;
    std::map<Readout, int> writes;  // how often each readout changed
    std::vector<std::string> messages;
    std::vector<std::string> sounds;
    // Called when a message is shown, before it is acknowledged.
    std::function<void(const std::string&)> onMessage;
    int closeRequests = 0;

    long long now = 0;
    PlayMode* mode = nullptr;

    // Advance the simulated clock, delivering every tick that falls due, in order.
    void advance(long long ms)
    {
        const long long until = now + ms;
        while (step(until)) {}
        now = until;
    }

    // Advance to the next tick of any running timer; false if none runs.
    bool step(long long limitMs = 1000000)
    {
        Timer* next = nullptr;
        for (Timer& t : timers)
            if (t.running && (!next || t.due < next->due))
                next = &t;
        if (!next || next->due > limitMs)
            return false;
        now = std::max(now, next->due);
        next->due = now + std::max(next->interval, 1);
        if (mode) {
            switch (next - timers) {
            case 0: mode->revealTick(); break;
            case 1: mode->countdownTick(); break;
            default: mode->spinTick(); break;
            }
        }
        return true;
    }

    void showReadout(Readout readout, int value) override { shown[readout] = value, ++writes[readout]; }
    void showHoleState(int, int) override {}
    void setHolePicture(int k, bool piece) override { log.push_back("picture " + std::to_string(k) + (piece ? " 1" : " 0")); }
    void showHole(int k, bool shown) override
    {
        holeShown.at(size_t(k)) = shown;
        if (shown)
            shownAt.at(size_t(k)) = now;
        log.push_back("show " + std::to_string(k) + (shown ? " 1" : " 0"));
    }
    void setDragIcon(int k, DragIcon icon) override { dragIcon.at(size_t(k)) = icon; }
    void jumpMade(int f, int o, int t, int left) override { log.push_back("jump " + std::to_string(f) + " " + std::to_string(o) + " " + std::to_string(t) + " " + std::to_string(left)); }
    void showOverlay(Overlay o, bool v) override { overlay[o] = v; }
    void setButtonEnabled(Button b, bool e) override { enabled[b] = e; }
    void setScreenEnabled(bool e) override { screenEnabled = e; }
    void setTimerInterval(TimerId id, int ms) override { timer(id) = {timer(id).running, ms, timer(id).running ? now + ms : timer(id).due}; }
    void startTimer(TimerId id) override { timer(id) = {true, timer(id).interval, now + timer(id).interval}; }
    void stopTimer(TimerId id) override { timer(id).running = false; }
    void showMessage(const std::string& message) override { messages.push_back(message), log.push_back("message " + message), onMessage ? onMessage(message) : void(); }
    void beep() override { log.push_back("beep"); }
    void playSound(const std::string& file) override { sounds.push_back(file), log.push_back("sound " + file); }
    void closeScreen() override { ++closeRequests, log.push_back("close"); }
    void boardReady(int stage) override { log.push_back("ready " + std::to_string(stage)); }

    Timer& timer(TimerId id) { return timers[static_cast<int>(id)]; }
    size_t count(const std::string& entry) const { return size_t(std::count(log.begin(), log.end(), entry)); }
    void clearLogs() { log.clear(), messages.clear(), sounds.clear(); }
};

} // namespace hop::test
