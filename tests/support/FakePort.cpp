// The simulated clock delivers ticks in due order; messages are acknowledged at once.
#include "tests/support/FakePort.h"

#include <algorithm>

namespace hop::test {

void FakePort::showReadout(Readout readout, int value)
{
    shown[readout] = value;
    writes.emplace_back(readout, value);
}

std::vector<int> FakePort::numbersWritten(Readout readout) const
{
    std::vector<int> values;
    for (const auto& [r, value] : writes)
        if (r == readout)
            values.push_back(value);
    return values;
}

void FakePort::showHole(int k, bool shown)
{
    holeShown.at(size_t(k)) = shown;
    if (shown)
        shownAt.at(size_t(k)) = now;
    log.push_back("show " + std::to_string(k) + (shown ? " 1" : " 0"));
}

void FakePort::setTimerInterval(TimerId id, int ms)
{
    Timer& t = timer(id);
    t.interval = ms;
    if (t.running)
        t.due = now + ms;
}

void FakePort::showMessage(const std::string& message)
{
    messages.push_back(message);
    log.push_back("message " + message);
    if (onMessage)
        onMessage(message);
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

void FakePort::advance(long long ms)
{
    const long long until = now + ms;
    while (step(until)) {
    }
    now = until;
}

void FakePort::clearLogs()
{
    log.clear();
    writes.clear();
    messages.clear();
    sounds.clear();
}

} // namespace hop::test
