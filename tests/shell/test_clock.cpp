// The game clock's timetable on a clock of the test's own: no waiting, no timed assertion.
#include "modes/Rules.h"
#include "shell/SteadyTimer.h"

#include <QTimer>

#include <gtest/gtest.h>

using hop::shell::SteadyTimer;

TEST(SteadyClock, TicksFallOnStartPlusWholePeriodsAndTheLoopsLatenessIsTakenOff)
{
    const int period = hop::modes::rulesFor(hop::modes::Mode::BoardB).clockPeriodMs;
    QTimer timer;
    timer.setInterval(period);
    qint64 now = 5'000'000'000;  // nanoseconds
    SteadyTimer clock(&timer, [&] { return now; });
    std::vector<qint64> ticks;
    QObject::connect(&clock, &SteadyTimer::tick, [&] { ticks.push_back(now); });

    const qint64 start = now;
    clock.start();
    EXPECT_EQ(timer.interval(), period) << "the first tick is a whole period away";
    // The event loop ends every wait 2 ms later than asked.
    for (int k = 1; k <= 30; ++k) {
        now += (timer.interval() + 2) * 1'000'000LL;
        QMetaObject::invokeMethod(&timer, "timeout");
    }
    ASSERT_EQ(ticks.size(), 30u);
    EXPECT_NEAR(double(ticks[0] - start), period * 1e6, 2.5e6);
    const double lastOffset = double(ticks.back() - start - 30LL * period * 1'000'000);
    EXPECT_LT(std::abs(lastOffset), 1e6) << "the lateness is learned and taken off the waits";

    // A stop cancels the next tick; a new start counts from the moment it is made.
    clock.stop();
    EXPECT_FALSE(timer.isActive());
    now += 10'000'000'000;
    clock.start();
    EXPECT_NEAR(timer.interval(), period, 2);
}
