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
// Prints lines "stage=<name> maxrss_kb=<n>" and a final "game maxrss_kb=... cleared=0|1".
#include "board/BoardLayout.h"
#include "resources/BuiltinPictures.h"
#include "shell/PictureCell.h"
#include "shell/PlayScreen.h"
#include "shell/Shell.h"

#include <QApplication>
#include <QDir>
#include <QMap>
#include <QTextStream>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>
#include <unordered_set>
#include <vector>

using namespace hop;

namespace {

long maxRssKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void report(const char* stage)
{
    std::printf("stage=%s maxrss_kb=%ld\n", stage, maxRssKb());
    std::fflush(stdout);
}

// Depth-first search over bitboards, remembering positions that cannot be cleared.
std::optional<std::vector<JumpLine>> solve(const BoardLayout& layout, const std::vector<int>& occupied)
{
    std::vector<JumpLine> all;
    for (int t = 1; t <= layout.holeCount(); ++t)
        for (const JumpEntry& e : layout.jumpsInto(t))
            all.push_back({e.from, e.over, t});
    std::uint32_t start = 0;
    for (int k : occupied)
        start |= 1u << k;
    std::unordered_set<std::uint32_t> dead;
    std::vector<JumpLine> path;
    std::function<bool(std::uint32_t)> search = [&](std::uint32_t bits) {
        if (std::popcount(bits) == 1)
            return true;
        if (dead.count(bits))
            return false;
        for (const JumpLine& j : all) {
            const std::uint32_t f = 1u << j.from, o = 1u << j.over, t = 1u << j.to;
            if ((bits & f) && (bits & o) && !(bits & t)) {
                path.push_back(j);
                if (search((bits & ~f & ~o) | t))
                    return true;
                path.pop_back();
            }
        }
        dead.insert(bits);
        return false;
    };
    if (!search(start))
        return std::nullopt;
    return path;
}

// Resident kilobytes per mapped file, with anonymous memory as one entry: the
// peak figure alone cannot tell heap growth from library and font pages.
void printResidentMappings()
{
    QFile smaps(QStringLiteral("/proc/self/smaps"));
    if (!smaps.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    QMap<QString, long> byName;
    QString current;
    QTextStream in(&smaps);
    for (QString line = in.readLine(); !line.isNull(); line = in.readLine()) {
        const QStringList fields = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (fields.isEmpty())
            continue;
        if (fields[0].contains(QLatin1Char('-')) && fields.size() >= 5) {
            // "start-end perms offset dev inode [path]"
            current = fields.size() >= 6 ? fields.mid(5).join(QLatin1Char(' ')) : QStringLiteral("[anonymous]");
        } else if (fields[0] == QLatin1String("Rss:") && fields.size() >= 2) {
            byName[current] += fields[1].toLong();
        }
    }
    QList<QPair<long, QString>> sorted;
    long total = 0;
    for (auto it = byName.cbegin(); it != byName.cend(); ++it) {
        sorted.append({it.value(), it.key()});
        total += it.value();
    }
    std::sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    std::printf("smaps rss_kb=%ld", total);
    // File-backed pages (code, fonts) can be shared with other programs, dropped and read again;
    // anonymous ones (heap, stacks, pixel buffers) are the program's own.
    QFile rollup(QStringLiteral("/proc/self/smaps_rollup"));
    if (rollup.open(QIODevice::ReadOnly | QIODevice::Text)) {
        for (const QByteArray& line : rollup.readAll().split('\n')) {
            const QList<QByteArray> fields = line.simplified().split(' ');
            if (fields.size() >= 2 && (fields[0] == "Anonymous:" || fields[0] == "Pss:" || fields[0] == "Private_Dirty:" ||
                                      fields[0] == "Shared_Clean:" || fields[0] == "Private_Clean:"))
                std::printf(" %s_kb=%s", fields[0].chopped(1).toLower().constData(), fields[1].constData());
        }
    }
    std::printf("\n");
    for (qsizetype i = 0; i < sorted.size() && i < 25; ++i)
        std::printf("smaps %7ld kB  %s\n", sorted[i].first, qPrintable(sorted[i].second));
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
    if (!screen || screen->kind() != shell::PlayKind::BoardB || !QTest::qWaitForWindowExposed(screen))
        return failed("Board B did not open");
    QTest::qWait(100);
    report("board_b_open");

    QTest::mouseClick(screen->control<QPushButton>(QStringLiteral("Command1")), Qt::LeftButton);
    while (screen->timer(TimerId::Timer1)->isActive()) {
        screen->game().revealTick();
        QCoreApplication::processEvents();
    }
    QTest::qWait(50);
    report("revealed");

    const auto moves = solve(screen->game().board().layout(), screen->game().board().occupiedHoles());
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

    for (const JumpLine& j : *moves) {
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

} // namespace

int main(int argc, char** argv)
{
    bool muted = false;
    bool smaps = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--muted") == 0)
            muted = true;
        else if (std::strcmp(argv[i], "--smaps") == 0)
            smaps = true;
    }

    if (!QFile::exists(QStringLiteral("koma.kzt")))
        QDir::setCurrent(QStringLiteral(HOPSTONE_GAME_DIR));

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Hopstone"));
    QApplication::setApplicationVersion(QStringLiteral(HOPSTONE_VERSION));
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(builtin::programIconSet());

    int messages = 0;
    bool ok = false;
    {
        shell::Shell shell;
        shell.sounds().setMuted(muted);
        ok = playOneGame(shell, &messages);
        if (smaps)
            printResidentMappings();
    }
    std::printf("game maxrss_kb=%ld cleared=%d muted=%d\n", maxRssKb(), ok && messages == 1 ? 1 : 0, muted ? 1 : 0);
    return ok && messages == 1 ? 0 : 1;
}
