// Stage clear, re-test and completion; the play flag silences the clear check
// while the board is rebuilt.
#include "modes/StageGame.h"

#include "modes/Texts.h"

namespace hop::modes {

StageGame::StageGame(ScreenPort& port, RandomSource random, Pace clock)
    : PlayMode(Mode::Stages, port, clock), random_(std::move(random)), stage_(1), playFlag_(0),
      digit_(rules_.initialDigit)
{
    stage_.onChange([this](int value) {
        port_.showReadout(Readout::StageNumber, value);
        stageSetup();
    });
    playFlag_.onChange([this](int value) { port_.showReadout(Readout::PlayFlag, value); });
    digit_.onChange([this](int value) { port_.showReadout(Readout::RouletteDigit, value); });
}

void StageGame::load()
{
    PlayMode::load();
    port_.setTimerInterval(TimerId::Spin, rules_.spinMs);
    port_.showReadout(Readout::StageNumber, stage_.get());
    port_.showReadout(Readout::PlayFlag, playFlag_.get());
    port_.showReadout(Readout::RouletteDigit, digit_.get());
}

void StageGame::stageSetup()
{
    for (int k : stagePosition(stage_.get()))
        board_.setHole(k, 1);
}

void StageGame::emptyBoard()
{
    for (int k = 1; k <= board_.holeCount(); ++k)
        board_.setHole(k, 0);
}

void StageGame::setOverlay(Overlay overlay, bool shown)
{
    overlays_[static_cast<int>(overlay)] = shown;
    port_.showOverlay(overlay, shown);
}

void StageGame::beginAfterStart()
{
    if (retestPending()) {
        rouletteStart();
        return;
    }
    startTimer(TimerId::Reveal);
    playFlag_.set(0);
}

// Also the tail of every clear: the next stage waits, hidden, behind START.
void StageGame::giveupReset()
{
    setButton(Button::Giveup, false);
    stopTimer(TimerId::Countdown);
    playFlag_.set(1);
    tim_.set(timeLimit_);
    hideAllHoles();
    emptyBoard();
    stageSetup();
    // A failed re-test goes back to the roulette, which picks the position anew.
    if (retestPending())
        emptyBoard();
    setButton(Button::Start, true);
}

void StageGame::clearCheck(int count)
{
    if (playFlag_.get() != 0 || count != 1)
        return;
    stopClock();
    const int stage = stage_.get();
    if (stage == kLastStage) {
        port_.beep();
        port_.showMessage(texts::completion());
        port_.closeScreen();
        return;
    }
    port_.beep();
    if (retestPending()) {
        port_.showMessage(texts::retestClear());
        setOverlay(Overlay::RetestMarker, false);
        stage_.set(kRetestStage + 1);
    } else {
        port_.showMessage(texts::stageClear(stage));
        stage_.set(stage + 1);
        if (stage_.get() == kRetestStage)
            setOverlay(Overlay::RetestMarker, true);
    }
    giveupReset();
}

void StageGame::rouletteStart()
{
    stage_.set(0);
    port_.showMessage(texts::rouletteStart());
    setOverlay(Overlay::RoulettePanel, true);
    startTimer(TimerId::Spin);
    setScreenEnabled(true);
}

void StageGame::spinTick()
{
    if (!timerRunning(TimerId::Spin))
        return;
    digit_.set(rouletteDigit(random_()));
}

void StageGame::stop()
{
    if (!shown(Overlay::RoulettePanel) || !screenEnabled() || !timerRunning(TimerId::Spin))
        return;
    stopTimer(TimerId::Spin);
    const int digit = digit_.get();
    if (digit == 0) {
        port_.showMessage(texts::kRouletteZero);
        startTimer(TimerId::Spin);
        return;
    }
    setScreenEnabled(false);
    stage_.set(digit);
    port_.showMessage(texts::rouletteDrawn(digit));
    setOverlay(Overlay::RoulettePanel, false);
    startTimer(TimerId::Reveal);
    playFlag_.set(0);
}

} // namespace hop::modes
