// Countdown accuracy of a real Board B game: the screen's own Timer2 (a Qt
// PreciseTimer, 980 ms) running in the real event loop, reveal included.
//
// The reference start is the moment Timer2 is started. The game starts it inside
// the last reveal tick and, a few statements later, enables the screen again; the
// first EnabledChange event after Timer2 is active is taken as the reference. The
// true start lies between the dispatch of that last reveal tick and the reference;
// that gap is printed as ref_uncertainty_us. The reference can only be late, so
// an offset can only read early, by less than that gap. The offsets from the
// first tick (t_k - t_1 - (k - 1) * 980 ms) need no reference at all and are
// printed too.
//
// Each tick is stamped when its timer event is dispatched to Timer2, before the
// game handles it; its offset is t_k - (start + k * 980 ms). The drift trend is
// the least-squares slope of offset over k.
//
// --plain measures the same way a bare QTimer (PreciseTimer, 980 ms) on an empty
// window, without the game: what Qt's timers give on this machine by themselves.
//
// Options: --ticks N (default 120, the whole countdown; 10 is a quick run)  --muted  --plain
// Prints "tick=k offset_ms=... from_first_ms=..." per tick, then a summary line "countdown ...".
#include "BenchSupport.h"
#include "shell/Application.h"
#include "shell/Messages.h"
#include "shell/PictureCell.h"
#include "shell/PlayScreen.h"
#include "shell/Shell.h"

#include <QApplication>
#include <QEventLoop>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTimerEvent>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

using namespace hop;
using namespace hop::board;
using namespace hop::modes;
using namespace hop::bench;
using Clock = std::chrono::steady_clock;

namespace {

const double kIntervalMs = hop::modes::rulesFor(hop::modes::Mode::BoardB).clockPeriodMs;

double ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

class TickWatcher : public QObject {
public:
    // `screen` and `reveal` are the game's; without them the caller sets the start itself.
    TickWatcher(QTimer* countdown, QTimer* reveal, QWidget* screen, int ticks, QEventLoop& loop)
        : screen_(screen), reveal_(reveal), countdown_(countdown), wanted_(ticks), loop_(loop)
    {
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const Clock::time_point now = Clock::now();
        if (event->type() == QEvent::Timer) {
            const int id = static_cast<QTimerEvent*>(event)->timerId();
            if (reveal_ && watched == reveal_ && id == reveal_->timerId())
                lastRevealTick = now;
            else if (watched == countdown_ && id == countdown_->timerId() && started && int(ticks.size()) < wanted_) {
                ticks.push_back(now);
                if (int(ticks.size()) == wanted_)
                    QMetaObject::invokeMethod(&loop_, [this] { loop_.quit(); }, Qt::QueuedConnection);
            }
        } else if (event->type() == QEvent::EnabledChange && screen_ && !started && countdown_->isActive() &&
                   watched->isWidgetType() &&
                   (watched == screen_ || screen_->isAncestorOf(static_cast<QWidget*>(watched)))) {
            started = true;
            start = now;
        }
        return false;
    }

    bool started = false;
    Clock::time_point start;
    Clock::time_point lastRevealTick;
    std::vector<Clock::time_point> ticks;

private:
    QWidget* screen_;
    QTimer* reveal_;
    QTimer* countdown_;
    int wanted_;
    QEventLoop& loop_;
};

int fail(const char* what)
{
    std::fprintf(stderr, "bench_countdown: %s\n", what);
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    const int wanted = std::clamp(argument(argc, argv, "--ticks", 120), 2, 120);
    const bool muted = hasFlag(argc, argv, "--muted");
    const bool plain = hasFlag(argc, argv, "--plain");

    enterGameDir(HOPSTONE_GAME_DIR);

    QApplication app(argc, argv);
    hop::shell::setUpApplication();
    // The 120th tick is the time-up; its message is acknowledged at once so the run ends by itself.
    QStringList messages;

    shell::Shell shell(Pace::Normal, {.sound = {!muted}, .message = [&messages](const QString& text, QWidget*) { messages.append(text); }});
    QWidget plainWindow;
    QTimer plainTimer;
    QEventLoop loop;
    std::unique_ptr<TickWatcher> watcher;
    if (plain) {
        plainWindow.resize(489, 300);
        plainWindow.show();
        if (!QTest::qWaitForWindowExposed(&plainWindow))
            return fail("the window did not show");
        QTest::qWait(200);
        plainTimer.setTimerType(Qt::PreciseTimer);
        plainTimer.setInterval(int(kIntervalMs));
        watcher = std::make_unique<TickWatcher>(&plainTimer, nullptr, nullptr, wanted, loop);
        app.installEventFilter(watcher.get());
        watcher->lastRevealTick = Clock::now();
        plainTimer.start();
        watcher->start = Clock::now();
        watcher->started = true;
    } else {
        shell.start();
        if (!shell.title() || !QTest::qWaitForWindowExposed(shell.title()))
            return fail("the title did not show");
        QTest::mouseClick(shell.title()->control<shell::PictureCell>(QStringLiteral("Image1")), Qt::LeftButton);
        QTest::qWait(50);
        if (!shell.menu() || !QTest::qWaitForWindowExposed(shell.menu()))
            return fail("the menu did not show");
        QTest::mouseClick(shell.menu()->control<QPushButton>(QStringLiteral("Command2")), Qt::LeftButton);
        QTest::qWait(50);
        shell::PlayScreen* screen = shell.play();
        if (!screen || screen->mode() != modes::Mode::BoardB || !QTest::qWaitForWindowExposed(screen))
            return fail("Board B did not open");
        QTest::qWait(200);
        watcher = std::make_unique<TickWatcher>(screen->timer(modes::TimerId::Countdown), screen->timer(modes::TimerId::Reveal), screen,
                                                wanted, loop);
        app.installEventFilter(watcher.get());
        QTest::mouseClick(screen->control<QPushButton>(QStringLiteral("Command1")), Qt::LeftButton);  // START
    }
    // A countdown that never starts or stalls ends the run instead of hanging it.
    QTimer::singleShot(int(kIntervalMs) * (wanted + 5), &loop, [&loop] { loop.exit(1); });
    if (loop.exec() != 0 || !watcher->started || int(watcher->ticks.size()) != wanted)
        return fail("the countdown did not run to the end");
    app.removeEventFilter(watcher.get());
    plainTimer.stop();

    std::vector<double> offsets;
    double maxAbsFromFirst = 0;
    for (size_t i = 0; i < watcher->ticks.size(); ++i) {
        const double k = double(i + 1);
        const double offset = ms(watcher->ticks[i] - watcher->start) - k * kIntervalMs;
        const double fromFirst = ms(watcher->ticks[i] - watcher->ticks[0]) - double(i) * kIntervalMs;
        offsets.push_back(offset);
        maxAbsFromFirst = std::max(maxAbsFromFirst, std::abs(fromFirst));
        std::printf("tick=%zu offset_ms=%+.3f from_first_ms=%+.3f\n", i + 1, offset, fromFirst);
    }

    const double n = double(offsets.size());
    double sumK = 0, sumO = 0, sumKK = 0, sumKO = 0, maxAbs = 0;
    int outside = 0;
    for (size_t i = 0; i < offsets.size(); ++i) {
        const double k = double(i + 1);
        sumK += k;
        sumO += offsets[i];
        sumKK += k * k;
        sumKO += k * offsets[i];
        maxAbs = std::max(maxAbs, std::abs(offsets[i]));
        if (std::abs(offsets[i]) > 2.0)
            ++outside;
    }
    const double slope = (n * sumKO - sumK * sumO) / (n * sumKK - sumK * sumK);
    std::vector<double> sorted = offsets;
    std::sort(sorted.begin(), sorted.end());
    std::printf("countdown source=%s ticks=%zu max_abs_offset_ms=%.3f mean_offset_ms=%+.3f median_offset_ms=%+.3f "
                "min_offset_ms=%+.3f max_offset_ms=%+.3f drift_ms_per_tick=%+.5f drift_over_run_ms=%+.3f "
                "outside_2ms=%d max_abs_from_first_ms=%.3f ref_uncertainty_us=%.1f messages=%lld\n",
                plain ? "plain_qtimer" : "game_timer2", offsets.size(), maxAbs, sumO / n, sorted[sorted.size() / 2], sorted.front(), sorted.back(), slope,
                slope * (n - 1), outside, maxAbsFromFirst, ms(watcher->start - watcher->lastRevealTick) * 1e3,
                static_cast<long long>(messages.size()));
    return 0;
}
