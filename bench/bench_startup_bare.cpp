// The yardstick for the game's start-up: the least a Qt Widgets program with sound
// must do before its first paint. One frameless window the size of the title, one
// QSoundEffect (which brings up Qt Multimedia and its audio backend), nothing else.
//
// Timed exactly like bench_startup_game: from process start (--t0=<epoch seconds>
// from the runner, else /proc/self/stat) to the window's first paint event, then
// to the end of that frame. Prints the same line, so the runner can compare them;
// --smaps likewise adds the resident memory per mapping.
#include "BenchSupport.h"

#include <QApplication>
#include <QSoundEffect>
#include <QTimer>
#include <QWidget>

#include <cstdio>

using namespace hop::bench;

int main(int argc, char** argv)
{
    const StartupOptions options = startupOptions(argc, argv);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Hopstone"));

    QWidget window(nullptr, Qt::Window | Qt::FramelessWindowHint);
    window.setObjectName(QStringLiteral("Form5"));
    window.resize(255, 224);
    QSoundEffect sound;

    FirstPaint watcher(options.clock, [&window](QObject* watched) { return watched == &window; }, options.smaps);
    app.installEventFilter(&watcher);
    QTimer::singleShot(30000, &app, [] {
        std::fputs("the window was never painted\n", stderr);
        QCoreApplication::exit(1);
    });

    window.show();
    return app.exec();
}
