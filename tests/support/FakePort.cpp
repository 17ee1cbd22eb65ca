// The simulated clock delivers ticks in due order; messages are acknowledged at once.
#include "tests/support/FakePort.h"

#include <algorithm>

namespace hop::test {

void FakePort::showReadout(Readout readout, int value)
{
    shown[readout] = value;
    writes.emplace_back(readout, value);
}

void FakePort::showHoleState(int k, int state)
{
    holeState.at(static_cast<size_t>(k)) = state;
}

std::vector<int> FakePort::numbersWritten(Readout readout) const
{
    std::vector<int> values;
    for (const auto& [r, value] : writes)
        if (r == readout)
            values.push_back(value);
    return values;
}

void FakePort::setHolePicture(int k, bool piece)
{
    holePiece.at(static_cast<size_t>(k)) = piece;
    log.push_back("picture " + std::to_string(k) + (piece ? " 1" : " 0"));
}

void FakePort::showHole(int k, bool shown)
{
    holeShown.at(static_cast<size_t>(k)) = shown;
    if (shown)
        shownAt.at(static_cast<size_t>(k)) = now;
    log.push_back("show " + std::to_string(k) + (shown ? " 1" : " 0"));
}

void FakePort::setDragIcon(int k, DragIcon icon)
{
    dragIcon.at(static_cast<size_t>(k)) = icon;
}

void FakePort::showOverlay(Overlay o, bool v)
{
    overlay[o] = v;
}

void FakePort::setButtonEnabled(Button b, bool e)
{
    enabled[b] = e;
}

void FakePort::setScreenEnabled(bool e)
{
    screenEnabled = e;
}

void FakePort::setTimerInterval(TimerId id, int ms)
{
    Timer& t = timer(id);
    t.interval = ms;
    if (t.running)
        t.due = now + ms;
}

void FakePort::startTimer(TimerId id)
{
    Timer& t = timer(id);
    t.running = true;
    t.due = now + t.interval;
}

void FakePort::stopTimer(TimerId id)
{
    timer(id).running = false;
}

void FakePort::showMessage(const std::string& message)
{
    messages.push_back(message);
    log.push_back("message " + message);
    if (onMessage)
        onMessage(message);
}

void FakePort::beep()
{
    log.push_back("beep");
}

void FakePort::playSound(const std::string& file)
{
    sounds.push_back(file);
    log.push_back("sound " + file);
}

void FakePort::closeScreen()
{
    ++closeRequests;
    log.push_back("close");
}

bool FakePort::step(long long limitMs)
{
    int next = -1;
    for (int i = 0; i < 3; ++i) {
        if (timers[i].running && (next < 0 || timers[i].due < timers[next].due))
            next = i;
    }
    if (next < 0 || timers[next].due > limitMs)
        return false;
    Timer& t = timers[next];
    now = std::max(now, t.due);
    t.due = now + std::max(t.interval, 1);
    if (mode) {
        switch (next) {
        case 0: mode->revealTick(); break;
        case 1: mode->countdownTick(); break;
        default: mode->spinTick(); break;
        }
    }
    return true;
}

void FakePort::advance(long long ms)
{
    const long long until = now + ms;
    while (step(until)) {
    }
    now = until;
}

size_t FakePort::count(const std::string& entry) const
{
    return static_cast<size_t>(std::count(log.begin(), log.end(), entry));
}

void FakePort::clearLogs()
{
    log.clear();
    writes.clear();
    messages.clear();
    sounds.clear();
}

} // namespace hop::test
