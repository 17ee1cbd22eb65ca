// Idle: while the menu, or a Board B screen waiting for START, is on the display,
// nothing should wake the process. Then the roulette of stage 8 spinning, at the
// game's pace and (--roulette-1ms) at a 1 ms timer for comparison: it should cost
// under 1 % of a core and under 100 wake-ups a second.
//
// Each phase opens its screen, lets it settle (first paint, sounds started), then
// waits in the event loop for a fixed time while an application-wide event filter
// counts every event the main thread delivers, timer events above all. The wait
// is ended by a plain thread that sleeps and then posts one quit call, so the
// measurement adds no timer of its own: a fully idle process shows 0 timer events
// and about one voluntary context switch of the main thread (that quit call).
// Context switches come from /proc/self/task/*/status, before and after, per thread.
//
// Options: --seconds N (default 10)  --settle-ms N (default 1000)  --muted
// Prints, per phase: "phase=<name> seconds=.. timer_events=.. events=.. main_vcs=.. all_vcs=.. threads=.. cpu_pct=.."
// followed by lines detailing the events and the threads that woke.
#include "BenchSupport.h"
#include "shell/Application.h"
#include "shell/PictureCell.h"
#include "shell/PlayScreen.h"
#include "shell/Messages.h"
#include "shell/Shell.h"
#include "board/Solver.h"
#include "modes/StageGame.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QMap>
#include <QMetaEnum>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTimerEvent>

#include <chrono>
#include <cstdio>
#include <thread>

#include <sys/resource.h>

using namespace hop;
using namespace hop::board;
using namespace hop::modes;
using namespace hop::bench;

namespace {

struct ThreadSwitches {
    QString name;
    long voluntary = 0;
    long involuntary = 0;
};

// tid -> context switches so far, for every thread of the process.
QMap<QString, ThreadSwitches> readSwitches()
{
    QMap<QString, ThreadSwitches> result;
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString& tid : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        ThreadSwitches s;
        QFile comm(tasks.filePath(tid + QStringLiteral("/comm")));
        if (comm.open(QIODevice::ReadOnly))
            s.name = QString::fromLocal8Bit(comm.readAll()).trimmed();
        QFile status(tasks.filePath(tid + QStringLiteral("/status")));
        if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
            continue;
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("voluntary_ctxt_switches:"))
                s.voluntary = line.mid(24).trimmed().toLong();
            else if (line.startsWith("nonvoluntary_ctxt_switches:"))
                s.involuntary = line.mid(27).trimmed().toLong();
        }
        result.insert(tid, s);
    }
    return result;
}

QString describe(QObject* o)
{
    QString name = QString::fromLatin1(o->metaObject()->className());
    if (!o->objectName().isEmpty())
        name += QLatin1Char(' ') + o->objectName();
    if (o->parent() && !o->parent()->objectName().isEmpty())
        name += QStringLiteral(" in ") + o->parent()->objectName();
    return name;
}

class EventCounter : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!counting)
            return false;
        ++events;
        ++byType[int(event->type())];
        if (event->type() == QEvent::Timer) {
            ++timers;
            ++timerReceivers[describe(watched)];
        }
        return false;
    }

    void reset()
    {
        events = timers = 0;
        byType.clear();
        timerReceivers.clear();
    }

    bool counting = false;
    long events = 0;
    long timers = 0;
    QMap<int, long> byType;
    QMap<QString, long> timerReceivers;
};

double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

void measure(const char* phase, int seconds, EventCounter& counter)
{
    const QString mainTid = QString::number(QCoreApplication::applicationPid());
    const auto before = readSwitches();
    const double cpuBefore = cpuSeconds();
    QEventLoop loop;
    counter.reset();
    counter.counting = true;
    std::thread sleeper([&loop, seconds] {
        std::this_thread::sleep_for(std::chrono::seconds(seconds));
        QMetaObject::invokeMethod(&loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    loop.exec();
    counter.counting = false;
    sleeper.join();
    const auto after = readSwitches();
    const double cpuPct = (cpuSeconds() - cpuBefore) * 100.0 / seconds;

    long mainVcs = 0;
    long allVcs = 0;
    QStringList woke;
    for (auto it = after.cbegin(); it != after.cend(); ++it) {
        const ThreadSwitches was = before.value(it.key());
        const long v = it.value().voluntary - was.voluntary;
        const long n = it.value().involuntary - was.involuntary;
        allVcs += v;
        if (it.key() == mainTid)
            mainVcs = v;
        if (v || n)
            woke << QStringLiteral("%1(%2):%3+%4").arg(it.value().name, it.key()).arg(v).arg(n);
    }
    std::printf("phase=%s seconds=%d timer_events=%ld events=%ld main_vcs=%ld all_vcs=%ld threads=%lld cpu_pct=%.2f\n",
                phase, seconds, counter.timers, counter.events, mainVcs, allVcs, static_cast<long long>(after.size()),
                cpuPct);
    const QMetaEnum types = QMetaEnum::fromType<QEvent::Type>();
    for (auto it = counter.byType.cbegin(); it != counter.byType.cend(); ++it) {
        const char* name = types.valueToKey(it.key());
        std::printf("  event %s: %ld\n", name ? name : qPrintable(QString::number(it.key())), it.value());
    }
    for (auto it = counter.timerReceivers.cbegin(); it != counter.timerReceivers.cend(); ++it)
        std::printf("  timer event to %s: %ld\n", qPrintable(it.key()), it.value());
    std::printf("  threads that switched (voluntary+involuntary): %s\n",
                woke.isEmpty() ? "none" : qPrintable(woke.join(QLatin1Char(' '))));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    const int seconds = argument(argc, argv, "--seconds", 10);
    const int settleMs = argument(argc, argv, "--settle-ms", 1000);
    const bool muted = hasFlag(argc, argv, "--muted");

    enterGameDir(HOPSTONE_GAME_DIR);

    QApplication app(argc, argv);
    hop::shell::setUpApplication();

    EventCounter counter;
    app.installEventFilter(&counter);

    // Messages are acknowledged at once: the stages' roulette below is reached by clearing stages.
    shell::Shell shell(Pace::Normal, {.sound = {!muted}, .message = [](const QString&, QWidget*) {}});
    shell.start();
    if (!shell.title() || !QTest::qWaitForWindowExposed(shell.title())) {
        std::fputs("bench_idle: the title did not show\n", stderr);
        return 1;
    }
    QTest::qWait(200);
    QTest::mouseClick(shell.title()->control<shell::PictureCell>(QStringLiteral("Image1")), Qt::LeftButton);
    QTest::qWait(50);
    if (!shell.menu() || !QTest::qWaitForWindowExposed(shell.menu())) {
        std::fputs("bench_idle: the menu did not show\n", stderr);
        return 1;
    }
    QTest::qWait(settleMs);
    measure("menu", seconds, counter);

    QTest::mouseClick(shell.menu()->control<QPushButton>(QStringLiteral("Command2")), Qt::LeftButton);
    QTest::qWait(50);
    shell::PlayScreen* screen = shell.play();
    if (!screen || !QTest::qWaitForWindowExposed(screen)) {
        std::fputs("bench_idle: Board B did not open\n", stderr);
        return 1;
    }
    QTest::qWait(settleMs);
    measure("board_b_waiting", seconds, counter);

    // Stage 8's roulette: stages 1 to 7 cleared by the solver, then START.
    screen->close();
    QTest::qWait(50);
    QTest::mouseClick(shell.menu()->control<QPushButton>(QStringLiteral("Command3")), Qt::LeftButton);
    QTest::qWait(50);
    screen = shell.play();
    auto& stages = static_cast<modes::StageGame&>(screen->game());
    while (!stages.retestPending()) {
        stages.start();
        while (screen->timer(TimerId::Reveal)->isActive())
            stages.revealTick();
        const auto moves = solve(BoardLayout::boardA(), stages.board().occupiedHoles());
        for (const JumpLine& j : moves.value()) {
            stages.pickUp(j.from);
            stages.drop(j.to);
        }
    }
    stages.start();
    QTest::qWait(settleMs);
    measure("roulette_spinning", seconds, counter);
    if (hasFlag(argc, argv, "--roulette-1ms")) {
        screen->timer(TimerId::Spin)->setInterval(1);
        QTest::qWait(settleMs);
        measure("roulette_spinning_1ms", seconds, counter);
    }
    return 0;
}
