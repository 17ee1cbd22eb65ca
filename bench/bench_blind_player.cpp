// A blind player who knows every stage's solution, modelled on the real game: each stage is
// played by keys on a real Stages screen, and for every key on the clock the time is 0.5 s
// to decide and press plus the time the screen reader takes to say what the player waits
// for: the hole the mark reached (its name, before Orca's role word) or the first sentence
// of what the game announced. Each line is synthesised with `espeak-ng -v ja` and measured
// from its first to its last sound. The digits of one hole number are typed together: only
// the hole they reach is heard. The answer to the last drop is not on the clock, which that
// drop stops; the start's announcement is.
//
// The player reaches a piece in the fewest keys: none when the mark is on it, else its
// number or the pieces that can jump in turn (N, P), whichever takes fewer; then Enter,
// then the hole to jump into by its number or in turn (Page Down, Page Up), then Enter.
// Stage 8 is every stage the roulette can draw, the worst shown; its STOP is on no clock.
//
// Prints one row a stage: moves, keys on the clock, the modelled seconds, and the limit on
// the normal and on the slower clock.
#include "BenchSupport.h"
#include "board/Solver.h"
#include "modes/Rules.h"
#include "modes/StageGame.h"
#include "shell/Application.h"
#include "shell/PictureCell.h"
#include "shell/PlayScreen.h"
#include "shell/Shell.h"
#include "tests/support/ScreenReader.h"

#include <QAccessible>
#include <QApplication>
#include <QHash>
#include <QKeyEvent>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>

using namespace hop;
using namespace hop::modes;
using hop::test::focusedHole;
using hop::test::lastTold;

namespace {

constexpr double kPressSeconds = 0.5;

// Seconds from the first to the last sound of the words, as espeak-ng says them.
double spokenSeconds(const QString& words)
{
    static QHash<QString, double> said;
    if (words.isEmpty())
        return 0;
    if (auto known = said.constFind(words); known != said.cend())
        return *known;
    QProcess espeak;
    espeak.start(QStringLiteral("espeak-ng"), {QStringLiteral("-v"), QStringLiteral("ja"), QStringLiteral("--stdout"), words});
    espeak.waitForFinished(30000);
    const QByteArray wav = espeak.readAllStandardOutput();
    const qsizetype data = wav.indexOf("data");
    if (espeak.exitCode() != 0 || data < 0 || wav.size() < 44) {
        std::fprintf(stderr, "espeak-ng gave no speech (install the package espeak-ng)\n");
        std::exit(2);
    }
    quint32 rate = 0;
    std::memcpy(&rate, wav.constData() + 24, 4);
    const auto* samples = reinterpret_cast<const qint16*>(wav.constData() + data + 8);
    const qsizetype n = (wav.size() - data - 8) / 2;
    qsizetype first = -1, last = -1;
    for (qsizetype i = 0; i < n; ++i)
        if (std::abs(samples[i]) > 500) {
            if (first < 0)
                first = i;
            last = i;
        }
    const double seconds = first < 0 ? 0 : double(last - first) / rate;
    said.insert(words, seconds);
    return seconds;
}

struct Stage {
    int moves = 0;
    int keys = 0;
    double seconds = 0;
};

class Player {
public:
    Player(shell::PlayScreen* screen) : screen_(screen) {}

    // A key and what the player waits to hear after it; `heard` off for the first digit
    // of two.
    void press(Qt::Key key, bool heard = true)
    {
        now_ += 500;
        const QWidget* before = screen_->focusWidget();
        const QString said = lastTold(screen_);
        QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier), up(QEvent::KeyRelease, key, Qt::NoModifier);
        down.setTimestamp(now_), up.setTimestamp(now_ + 50);
        QWidget* to = QApplication::focusWidget() ? QApplication::focusWidget() : screen_;
        QApplication::sendEvent(to, &down), QApplication::sendEvent(to, &up);
        QCoreApplication::processEvents();
        ++stage.keys;
        stage.seconds += kPressSeconds;
        if (!screen_)
            return;
        QWidget* focus = screen_->focusWidget();
        QString words;
        if (focus != before && screen_->holeNumber(focus))
            words = QAccessible::queryAccessibleInterface(focus)->text(QAccessible::Name);
        else if (lastTold(screen_) != said)
            words = lastTold(screen_).section(QStringLiteral("。"), 0, 0);
        if (heard && screen_->game().timerRunning(TimerId::Countdown))
            stage.seconds += spokenSeconds(words);
        if (std::getenv("HOPSTONE_BENCH_SAY"))
            std::printf("  %-9s %s [%d %s]\n", qPrintable(QKeySequence(key).toString()), qPrintable(words), focusedHole(screen_), focus ? qPrintable(focus->objectName()) : "-");
    }

    // Whether a piece is up, as its hole shows it.
    bool pieceUp() const
    {
        for (int k = 1; shell::PictureCell* cell = screen_->hole(k); ++k)
            if (cell->hint() == shell::PictureCell::Hint::Held)
                return true;
        return false;
    }

    void reach(int k)
    {
        const int mark = focusedHole(screen_);
        if (mark == k)
            return;
        std::vector<int> turn = pieceUp() ? screen_->game().reachableHoles() : screen_->game().piecesThatCanJump();
        const auto at = std::find(turn.begin(), turn.end(), k);
        const int n = int(turn.size());
        int forward = 99, backward = 99;
        if (at != turn.end()) {
            const int i = int(at - turn.begin());
            const int from = int(std::upper_bound(turn.begin(), turn.end(), mark) - turn.begin());  // first after the mark
            forward = mark ? (i - from + n) % n + 1 : i + 1;
            const int before = int(std::lower_bound(turn.begin(), turn.end(), mark) - turn.begin()) - 1;
            backward = mark ? (before - i + n) % n + 1 : n - i;
        }
        const int digits = k >= 10 ? 2 : 1;
        const bool up = pieceUp() != 0;
        if (digits <= std::min(forward, backward)) {
            if (digits == 2)
                press(Qt::Key(Qt::Key_0 + k / 10), false);
            press(Qt::Key(Qt::Key_0 + k % 10));
        } else {
            for (int i = 0; i < std::min(forward, backward); ++i)
                press(forward <= backward ? (up ? Qt::Key_PageDown : Qt::Key_N) : (up ? Qt::Key_PageUp : Qt::Key_P));
        }
        if (focusedHole(screen_) != k) {
            std::fprintf(stderr, "the mark did not reach hole %d\n", k);
            std::exit(1);
        }
    }

    // START, or at the re-test START and then STOP, and the holes revealed.
    void begin(StageGame& game)
    {
        press(Qt::Key_Return);
        if (game.retestPending() || game.stage() == 0) {
            game.spinTick();
            press(Qt::Key_Return);
        }
        while (screen_->timer(TimerId::Reveal)->isActive())
            screen_->game().revealTick();
    }

    // From the start's announcement to the last drop.
    void play()
    {
        stage = {};
        stage.seconds = spokenSeconds(lastTold(screen_));
        if (std::getenv("HOPSTONE_BENCH_SAY"))
            std::printf("  (ready)   %s\n", qPrintable(lastTold(screen_)));
        const auto moves = board::solve(screen_->game().board().layout(), screen_->game().board().occupiedHoles());
        for (const board::JumpLine& j : moves.value()) {
            reach(j.from);
            press(Qt::Key_Return);
            reach(j.to);
            press(Qt::Key_Return);
            ++stage.moves;
        }
    }

    Stage stage;

private:
    QPointer<shell::PlayScreen> screen_;  // gone with the last stage's clear
    ulong now_ = 1;
};

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    bench::enterGameDir(HOPSTONE_GAME_DIR);
    QApplication app(argc, argv);
    shell::setUpApplication();
    const Rules& rules = rulesFor(Mode::Stages);
    Stage worst[kLastStage + 1];
    int worstDraw = 0;
    for (int draw = 1; draw < kRetestStage; ++draw) {
        shell::Shell shell(Pace::Normal, {.random = [draw] { return (draw + 0.2f) / 7.0f; }, .sound = {false}, .message = [](const QString&, QWidget*) {}});
        shell.start();
        shell.title()->close();
        QCoreApplication::processEvents();
        if (!shell.menu())
            return 1;
        QTest::mouseClick(shell.menu()->control<QPushButton>(QStringLiteral("Command3")), Qt::LeftButton);
        shell::PlayScreen* screen = shell.play();
        QCoreApplication::processEvents();
        auto& game = static_cast<StageGame&>(screen->game());
        Player player(screen);
        for (int stage = 1; stage <= kLastStage && shell.play(); ++stage) {
            if (std::getenv("HOPSTONE_BENCH_SAY"))
                std::printf("stage %d\n", stage);
            player.begin(game);
            player.play();
            if (player.stage.seconds > worst[stage].seconds) {
                worst[stage] = player.stage;
                if (stage == kRetestStage)
                    worstDraw = draw;
            }
            if (draw > 1 && stage == kRetestStage)
                break;  // the other stages are the same every time
        }
    }
    std::printf("%-6s %6s %6s %10s %7s %7s\n", "stage", "moves", "keys", "model (s)", "limit", "slower");
    for (int stage = 1; stage <= kLastStage; ++stage)
        std::printf("%-6s %6d %6d %10.1f %7d %7d\n",
                    (std::to_string(stage) + (stage == kRetestStage ? "*" : "")).c_str(), worst[stage].moves,
                    worst[stage].keys, worst[stage].seconds, rules.timeLimit, rules.timeLimit * kSlowClockFactor);
    std::printf("* the worst stage the roulette draws: %d\n", worstDraw);
    return 0;
}
