// A plain precise QTimer ends every wait a millisecond or two late (it rounds its
// waits up to whole milliseconds and the poll adds its own); the game's clock should
// tick on time, so each wait is shortened by the lateness seen so far.
#include "shell/SteadyTimer.h"

#include <QTimer>

#include <algorithm>

namespace hop::shell {

SteadyTimer::SteadyTimer(QTimer* timer, Clock clock)
    : QObject(timer), timer_(timer), clock_(std::move(clock)), period_(timer->interval())
{
    timer_->setSingleShot(true);
    timer_->setTimerType(Qt::PreciseTimer);
    if (!clock_) {
        elapsed_.start();
        clock_ = [this] { return elapsed_.nsecsElapsed(); };
    }
    connect(timer_, &QTimer::timeout, this, &SteadyTimer::expired);
}

void SteadyTimer::setInterval(int ms)
{
    period_ = ms;
    if (isActive())
        start();
}

bool SteadyTimer::isActive() const
{
    return timer_->isActive();
}

void SteadyTimer::start()
{
    start_ = clock_();
    ticks_ = 0;
    scheduleNext();
}

void SteadyTimer::stop()
{
    timer_->stop();
}

void SteadyTimer::scheduleNext()
{
    due_ = start_ + (ticks_ + 1) * qint64(period_) * 1000000;
    const qint64 now = clock_();
    const qint64 wait = std::max<qint64>(0, due_ - lateness_ - now);
    const int waitMs = int((wait + 500000) / 1000000);
    // What was really asked of the event loop, so only its own lateness is learned.
    aimed_ = now + qint64(waitMs) * 1000000;
    timer_->start(waitMs);
}

void SteadyTimer::expired()
{
    const qint64 now = clock_();
    // Learn slowly, and never from a wait that a busy machine or a modal loop stretched.
    const qint64 late = now - aimed_;
    if (late >= 0 && late < 5000000)
        lateness_ = (lateness_ * 3 + late) / 4;
    ++ticks_;
    // The next wait is set before the tick runs: a tick that stops the timer cancels it.
    if (now - due_ > qint64(period_) * 1000000)
        start_ = now - qint64(period_) * 1000000 * ticks_;  // far behind: start counting afresh
    scheduleNext();
    Q_EMIT tick();
}

} // namespace hop::shell
