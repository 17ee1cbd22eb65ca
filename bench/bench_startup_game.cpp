// Start-up of the game, timed from process start to the title window's first paint.
//
// main() below is the game's own main() with a stopwatch added: same application
// setup, same Shell, same title. An application-wide event filter waits for the
// first paint of the title window ("Form5"), notes the time, lets that frame
// finish (children painted, backing store flushed), then prints and quits.
//
// The clock starts at the process start. The runner passes it as
// --t0=<seconds since the epoch> (bash's $EPOCHREALTIME, read before the fork);
// without it the start time comes from /proc/self/stat, which has only the
// kernel's clock-tick resolution (10 ms on most systems).
//
// Prints one line: t0=argv|proc first_paint_ms=... frame_ms=... maxrss_kb=...
// --smaps adds where the resident memory lies, per mapping, at that moment.
#include "BenchSupport.h"
#include "shell/Application.h"
#include "shell/Shell.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <cstdio>

using namespace hop::bench;

int main(int argc, char** argv)
{
    const StartupOptions options = startupOptions(argc, argv);

    enterGameDir(HOPSTONE_GAME_DIR);

    // From here on, what the game's main() does, but for the command line, which is the benchmark's.
    hop::shell::StartUp startUp(argc, argv);
    if (!startUp.lookForDisplay())
        return 2;
    QApplication app(argc, argv);
    startUp.setUp();

    // The title is the window named "Form5", whichever widget the shell builds for it.
    FirstPaint watcher(
        options.clock,
        [](QObject* watched) {
            return watched->isWidgetType() && static_cast<QWidget*>(watched)->isWindow() &&
                   watched->objectName() == QLatin1String("Form5");
        },
        options.smaps);
    app.installEventFilter(&watcher);
    // A title that never paints is a failure, not a hang.
    QTimer::singleShot(30000, &app, [] {
        std::fputs("the title window was never painted\n", stderr);
        QCoreApplication::exit(1);
    });

    hop::shell::Shell shell;
    QObject::connect(&shell, &hop::shell::Shell::quitRequested, &app, [] { QCoreApplication::exit(0); },
                     Qt::DirectConnection);
    shell.start();
    return app.exec();
}
