// Peak memory of a whole Board B game, as a player would go through it.
//
// Title (clicked away), menu, Board B, START, the reveal (revealTick until Timer1
// stops, painted as it goes), then the whole game to a clear: a solver finds the
// jumps over the board's own jump table and each one goes through the screen's game
// by pickUp/drop, with the repaint of every move let through. The clear message is
// the real message box, acknowledged as soon as it shows. The peak resident set
// (getrusage's ru_maxrss) is printed after each stage.
//
// Options: --muted  play no sounds (the game plays them; default is as the game)
//          --smaps  after the game, list where the resident memory lies (per mapping)
//          --openings N  instead of the game: Board A opened from the menu and closed
//                   again N times; heap in use (mallinfo2, after malloc_trim) after the
//                   10th and the last, printed as "openings ...".
//          --decode FILE  only read FILE as the game reads a picture, and print
//                   "decode maxrss_kb=... ok=0|1" (the search for the costliest file)
//          --picture FILE  instead of the game: Board A opened once with FILE as both its
//                   pictures (any message acknowledged), printed as "picture ...".
// Prints lines "stage=<name> maxrss_kb=<n>" and a final "game maxrss_kb=... cleared=0|1".
#include "BenchSupport.h"
#include "shell/Application.h"
#include "board/BoardLayout.h"
#include "shell/PictureCell.h"
#include "shell/PlayScreen.h"
#include "shell/Shell.h"
#include "resources/PictureFile.h"
#include "board/Solver.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <cstdio>

#include <malloc.h>

using namespace hop;
using namespace hop::board;
using namespace hop::modes;
using namespace hop::bench;

namespace {

void report(const char* stage)
{
    std::printf("stage=%s maxrss_kb=%ld\n", stage, maxRssKb());
    std::fflush(stdout);
}

bool failed(const char* what)
{
    std::fprintf(stderr, "bench_game_memory: %s\n", what);
    return false;
}

bool playOneGame(shell::Shell& shell, int* messagesSeen)
{
    shell.start();
    shell::Screen* title = shell.title();
    if (!title || !QTest::qWaitForWindowExposed(title))
        return failed("the title did not show");
    QTest::qWait(100);
    report("title");

    QTest::mouseClick(title->control<shell::PictureCell>(QStringLiteral("Image1")), Qt::LeftButton);
    QTest::qWait(50);
    shell::Screen* menu = shell.menu();
    if (!menu || !QTest::qWaitForWindowExposed(menu))
        return failed("the menu did not show");
    QTest::qWait(100);
    report("menu");

    QTest::mouseClick(menu->control<QPushButton>(QStringLiteral("Command2")), Qt::LeftButton);
    QTest::qWait(50);
    shell::PlayScreen* screen = shell.play();
    if (!screen || screen->mode() != modes::Mode::BoardB || !QTest::qWaitForWindowExposed(screen))
        return failed("Board B did not open");
    QTest::qWait(100);
    report("board_b_open");

    QTest::mouseClick(screen->control<QPushButton>(QStringLiteral("Command1")), Qt::LeftButton);
    while (screen->timer(modes::TimerId::Reveal)->isActive()) {
        screen->game().revealTick();
        QCoreApplication::processEvents();
    }
    QTest::qWait(50);
    report("revealed");

    const auto moves = board::solve(screen->game().board().layout(), screen->game().board().occupiedHoles());
    if (!moves)
        return failed("the starting position has no solution");

    // The clear message is modal: acknowledge it from inside its own event loop.
    QTimer acknowledger;
    acknowledger.setInterval(20);
    QObject::connect(&acknowledger, &QTimer::timeout, [messagesSeen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        ++*messagesSeen;
        report("clear_message");
        box->button(QMessageBox::Ok)->click();
    });
    acknowledger.start();

    for (const board::JumpLine& j : *moves) {
        PlayMode& game = screen->game();
        if (!game.pickUp(j.from))
            return failed("a pick-up was refused");
        game.dragOver(j.to, DragOver::Enter);
        if (!game.drop(j.to))
            return failed("a drop was refused");
        QCoreApplication::processEvents();
    }
    acknowledger.stop();
    QTest::qWait(100);
    report("after_clear");
    return true;
}

long heapKb()
{
    malloc_trim(0);
    return long(mallinfo2().uordblks) / 1024;
}

bool openAndClose(shell::Shell& shell, int count)
{
    shell.start();
    if (!QTest::qWaitForWindowExposed(shell.title()))
        return failed("the title did not show");
    QTest::mouseClick(shell.title()->control<shell::PictureCell>(QStringLiteral("Image1")), Qt::LeftButton);
    QTest::qWait(50);
    long afterTen = 0;
    for (int i = 1; i <= count; ++i) {
        QTest::mouseClick(shell.menu()->control<QPushButton>(QStringLiteral("Command1")), Qt::LeftButton);
        if (!shell.play() || !QTest::qWaitForWindowExposed(shell.play()))
            return failed("Board A did not open");
        QTest::qWait(20);
        shell.play()->close();
        QTest::qWait(20);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (i == 10)
            afterTen = heapKb();
    }
    const long last = heapKb();
    std::printf("openings count=%d heap_after_10_kb=%ld heap_after_%d_kb=%ld growth_kb=%ld\n", count, afterTen, count,
                last, last - afterTen);
    return true;
}

} // namespace

// The last message shown, acknowledged at once.
QString said;

// A game folder of its own, where both pictures are the file.
bool openWithPicture(shell::Shell& shell, const char* file, QTemporaryDir* folder)
{
    for (const char* name : {"op.wav", "001.wav"})
        QFile::copy(QString::fromUtf8(name), folder->filePath(QString::fromUtf8(name)));
    for (const char* name : {"back.kzt", "koma.kzt"})
        QFile::copy(QString::fromLocal8Bit(file), folder->filePath(QString::fromUtf8(name)));
    QDir::setCurrent(folder->path());
    said.clear();
    const bool ok = openAndClose(shell, 1);
    std::printf("picture maxrss_kb=%ld opened=%d message=\"%s\"\n", maxRssKb(), said.isEmpty() ? 1 : 0,
                qPrintable(said.simplified()));
    return ok;
}

int main(int argc, char** argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--decode") == 0) {
        QGuiApplication app(argc, argv);
        const bool ok = resources::readPictureFile(QString::fromLocal8Bit(argv[2])).ok();
        std::printf("decode maxrss_kb=%ld ok=%d file_limit_kb=%lld\n", maxRssKb(), ok ? 1 : 0, resources::kMaxFileBytes / 1024);
        return 0;
    }
    const bool muted = hasFlag(argc, argv, "--muted");
    const bool smaps = hasFlag(argc, argv, "--smaps");

    enterGameDir(HOPSTONE_GAME_DIR);

    QApplication app(argc, argv);
    hop::shell::setUpApplication();

    if (argc == 3 && qstrcmp(argv[1], "--picture") == 0) {
        QTemporaryDir folder;
        shell::Shell shell(Pace::Normal, {.sound = {false}, .message = [](const QString& text, QWidget*) { said = text; }});
        return openWithPicture(shell, argv[2], &folder) ? 0 : 1;
    }
    if (const int openings = argument(argc, argv, "--openings", 0)) {
        shell::Shell shell(Pace::Normal, {.sound = {!muted}});
        return openAndClose(shell, openings) ? 0 : 1;
    }

    int messages = 0;
    bool ok = false;
    {
        shell::Shell shell(Pace::Normal, {.sound = {!muted}});
        ok = playOneGame(shell, &messages);
        if (smaps)
            printResidentMappings();
    }
    std::printf("game maxrss_kb=%ld cleared=%d muted=%d\n", maxRssKb(), ok && messages == 1 ? 1 : 0, muted ? 1 : 0);
    return ok && messages == 1 ? 0 : 1;
}
