// A move on a real Board B screen: from the mouse release of a legal drop to the
// moment its three cells are repainted and the frame is out, and how much of the
// window that repaint covers.
//
// Each game: START, the reveal (revealTick until Timer1 stops), then the solver's
// jumps as real mouse drags with QTest: press on the piece, move over the target,
// release. The release goes to the pressed cell, as the window system's implicit
// grab delivers it. The countdown is held (Timer2 stopped) so no clock repaint can
// fall into a move's window; the last jump, which would open the clear message,
// is left out, and Giveup resets the board for the next game.
//
// Latency: release sent -> every one of the three cells has had its paint event
// and the event loop has returned from that update (so the backing store has been
// flushed to the display). Painted area: every paint event's region while the
// move settles, mapped to window pixels; "expected" is the union of the three
// cells and the pieces-left label, the only things a drop changes on screen.
//
// Options: --games N (default 10)  --muted
#include "BenchSupport.h"
#include "shell/Application.h"
#include "board/BoardLayout.h"
#include "shell/PictureCell.h"
#include "shell/PlayScreen.h"
#include "shell/Shell.h"
#include "board/Solver.h"

#include <QApplication>
#include <QLabel>
#include <QPaintEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <set>
#include <vector>

using namespace hop;
using namespace hop::board;
using namespace hop::modes;
using namespace hop::bench;
using Clock = std::chrono::steady_clock;

namespace {

double msSince(Clock::time_point t0)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

long area(const QRegion& region)
{
    long a = 0;
    for (const QRect& r : region)
        a += long(r.width()) * r.height();
    return a;
}

// Paint events inside one window, in that window's device pixels.
class PaintRecorder : public QObject {
public:
    explicit PaintRecorder(QWidget* window) : window_(window) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!recording_ || event->type() != QEvent::Paint || !watched->isWidgetType())
            return false;
        auto* w = static_cast<QWidget*>(watched);
        if (w != window_ && !window_->isAncestorOf(w))
            return false;
        const QRegion local = static_cast<QPaintEvent*>(event)->region();
        const QRegion inWindow = local.translated(w->mapTo(window_, QPoint(0, 0)));
        const qreal ratio = w->devicePixelRatioF();
        painted_ += inWindow;
        overdrawPx_ += long(double(area(local)) * ratio * ratio);
        widgets_.insert(w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName());
        pending_.erase(w);
        return false;
    }

    void start(std::set<QWidget*> mustPaint)
    {
        painted_ = QRegion();
        overdrawPx_ = 0;
        widgets_.clear();
        pending_ = std::move(mustPaint);
        recording_ = true;
    }
    void stop() { recording_ = false; }
    bool allPainted() const { return pending_.empty(); }

    const QRegion& painted() const { return painted_; }
    long overdrawPx() const { return overdrawPx_; }
    QStringList widgets() const
    {
        QStringList names(widgets_.begin(), widgets_.end());
        names.sort();
        return names;
    }

private:
    QWidget* window_;
    bool recording_ = false;
    QRegion painted_;
    long overdrawPx_ = 0;
    std::set<QString> widgets_;
    std::set<QWidget*> pending_;
};

struct MoveSample {
    double latencyMs = 0;   // release -> three cells painted and the frame out
    double handlerMs = 0;   // release -> the release handler (the drop) returned
    long paintedPx = 0;     // union of all paint regions, device pixels
    long overdrawPx = 0;    // sum of every widget's paint region
    long expectedPx = 0;
    long excessPx = 0;      // painted outside the three cells and the counter label
    QStringList widgets;
};

double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t i = std::min(v.size() - 1, size_t(p * double(v.size() - 1) + 0.5));
    return v[i];
}

bool failed(const char* what)
{
    std::fprintf(stderr, "bench_move: %s\n", what);
    return false;
}

bool playMoves(shell::PlayScreen* screen, PaintRecorder& recorder, std::vector<MoveSample>& samples)
{
    QTest::mouseClick(screen->control<QPushButton>(QStringLiteral("Command1")), Qt::LeftButton);
    while (screen->timer(modes::TimerId::Reveal)->isActive()) {
        screen->game().revealTick();
        QCoreApplication::processEvents();
    }
    screen->timer(modes::TimerId::Countdown)->stop();
    QTest::qWait(50);

    const auto moves = board::solve(screen->game().board().layout(), screen->game().board().occupiedHoles());
    if (!moves || moves->empty())
        return failed("the starting position has no solution");
    auto* counter = screen->control<QLabel>(QStringLiteral("Label2"));
    const qreal ratio = screen->devicePixelRatioF();

    for (size_t i = 0; i + 1 < moves->size(); ++i) {
        const board::JumpLine& j = (*moves)[i];
        shell::PictureCell* from = screen->hole(j.from);
        const QPoint target = from->mapFrom(screen, screen->hole(j.to)->geometry().center());
        const QPoint halfway = (from->rect().center() + target) / 2;
        QTest::mousePress(from, Qt::LeftButton, {}, from->rect().center());
        QTest::mouseMove(from, halfway);
        QTest::mouseMove(from, target);
        if (!screen->dragging())
            return failed("the press started no drag");
        QTest::qWait(20);  // the pick-up's own repaint goes out before the clock starts

        QRegion expected;
        for (QWidget* w : {static_cast<QWidget*>(screen->hole(j.from)), static_cast<QWidget*>(screen->hole(j.over)),
                           static_cast<QWidget*>(screen->hole(j.to)), static_cast<QWidget*>(counter)})
            expected += QRegion(w->geometry()).translated(w->parentWidget()->mapTo(screen, QPoint(0, 0)));

        const int before = screen->game().board().count();
        recorder.start({screen->hole(j.from), screen->hole(j.over), screen->hole(j.to)});
        const Clock::time_point t0 = Clock::now();
        QTest::mouseRelease(from, Qt::LeftButton, {}, target);
        MoveSample s;
        s.handlerMs = msSince(t0);
        while (!recorder.allPainted() && msSince(t0) < 2000)
            QCoreApplication::processEvents();
        s.latencyMs = msSince(t0);
        if (!recorder.allPainted())
            return failed("the three cells were not repainted within 2 s");
        if (screen->game().board().count() != before - 1)
            return failed("the drop made no move");
        // Anything else the move repaints shows up within the next few updates.
        QTest::qWait(30);
        recorder.stop();

        s.paintedPx = long(double(area(recorder.painted())) * ratio * ratio);
        s.overdrawPx = recorder.overdrawPx();
        s.expectedPx = long(double(area(expected)) * ratio * ratio);
        s.excessPx = long(double(area(recorder.painted() - expected)) * ratio * ratio);
        s.widgets = recorder.widgets();
        samples.push_back(s);
    }

    QTest::mouseClick(screen->control<QPushButton>(QStringLiteral("Command2")), Qt::LeftButton);  // Giveup
    QTest::qWait(50);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    const int games = std::max(1, argument(argc, argv, "--games", 10));
    const bool muted = hasFlag(argc, argv, "--muted");

    enterGameDir(HOPSTONE_GAME_DIR);

    QApplication app(argc, argv);
    hop::shell::setUpApplication();

    shell::Shell shell(Pace::Normal, {.sound = {!muted}});
    shell.start();
    if (!shell.title() || !QTest::qWaitForWindowExposed(shell.title())) {
        failed("the title did not show");
        return 1;
    }
    QTest::mouseClick(shell.title()->control<shell::PictureCell>(QStringLiteral("Image1")), Qt::LeftButton);
    QTest::qWait(50);
    if (!shell.menu() || !QTest::qWaitForWindowExposed(shell.menu())) {
        failed("the menu did not show");
        return 1;
    }
    QTest::mouseClick(shell.menu()->control<QPushButton>(QStringLiteral("Command2")), Qt::LeftButton);
    QTest::qWait(50);
    shell::PlayScreen* screen = shell.play();
    if (!screen || screen->mode() != modes::Mode::BoardB || !QTest::qWaitForWindowExposed(screen)) {
        failed("Board B did not open");
        return 1;
    }
    QTest::qWait(200);

    PaintRecorder recorder(screen);
    app.installEventFilter(&recorder);

    std::vector<MoveSample> all;
    std::vector<double> gameMedians;
    for (int g = 1; g <= games; ++g) {
        std::vector<MoveSample> samples;
        if (!playMoves(screen, recorder, samples))
            return 1;
        std::vector<double> latencies;
        for (const MoveSample& s : samples)
            latencies.push_back(s.latencyMs);
        gameMedians.push_back(percentile(latencies, 0.5));
        std::printf("game=%d moves=%zu median_ms=%.3f max_ms=%.3f\n", g, samples.size(), percentile(latencies, 0.5),
                    percentile(latencies, 1.0));
        all.insert(all.end(), samples.begin(), samples.end());
    }

    std::vector<double> latency, handler, painted, overdraw, expected, excess;
    for (const MoveSample& s : all) {
        latency.push_back(s.latencyMs);
        handler.push_back(s.handlerMs);
        painted.push_back(double(s.paintedPx));
        overdraw.push_back(double(s.overdrawPx));
        expected.push_back(double(s.expectedPx));
        excess.push_back(double(s.excessPx));
    }
    std::set<QString> everPainted;
    for (const MoveSample& s : all)
        for (const QString& w : s.widgets)
            everPainted.insert(w);
    const qreal ratio = screen->devicePixelRatioF();
    std::printf("move samples=%zu median_ms=%.3f median_of_game_medians_ms=%.3f p90_ms=%.3f max_ms=%.3f "
                "handler_median_ms=%.3f\n",
                all.size(), percentile(latency, 0.5), percentile(gameMedians, 0.5), percentile(latency, 0.9),
                percentile(latency, 1.0), percentile(handler, 0.5));
    std::printf("paint painted_px_median=%.0f painted_px_max=%.0f expected_px_median=%.0f excess_px_max=%.0f "
                "overdraw_px_median=%.0f window_px=%ld\n",
                percentile(painted, 0.5), percentile(painted, 1.0), percentile(expected, 0.5), percentile(excess, 1.0),
                percentile(overdraw, 0.5), long(double(screen->width() * screen->height()) * ratio * ratio));
    std::printf("paint widgets=%s\n", qPrintable(QStringList(everPainted.begin(), everPainted.end()).join(QLatin1Char(','))));
    std::printf("example first move widgets=%s painted_px=%ld expected_px=%ld\n", qPrintable(all.front().widgets.join(QLatin1Char(','))),
                all.front().paintedPx, all.front().expectedPx);
    return 0;
}
