// Stage clear, re-test and completion; the play flag silences the clear check
// while the board is rebuilt.
#include "modes/StageGame.h"

#include "modes/Texts.h"

namespace hop {

namespace {

PlayConfig stageConfig()
{
    return PlayConfig{&BoardLayout::boardA(), stagePosition(1), kStageSeconds, 1000};
}

} // namespace

StageGame::StageGame(ScreenPort& port, RandomSource random)
    : PlayMode(stageConfig(), port), random_(std::move(random)), stage_(1), playFlag_(0), digit_(7)
{
    stage_.onChange([this](int value) {
        port_.setText("Label7", std::to_string(value));
        stageSetup();
    });
    playFlag_.onChange([this](int value) { port_.setText("Label8", std::to_string(value)); });
    digit_.onChange([this](int value) { port_.setText("Label12", std::to_string(value)); });
    port_.setTimerInterval(TimerId::Timer3, 1);
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

void StageGame::setMarker(bool shown)
{
    marker_ = shown;
    port_.setVisible("Label9", shown);
}

void StageGame::setPanel(bool shown)
{
    panel_ = shown;
    port_.setVisible("Picture1", shown);
}

void StageGame::beginAfterStart()
{
    if (marker_) {
        rouletteStart();
        return;
    }
    startTimer(TimerId::Timer1);
    playFlag_.set(0);
}

void StageGame::giveupReset()
{
    setGiveupEnabled(false);
    stopTimer(TimerId::Timer2);
    playFlag_.set(1);
    tim_.set(config_.timeLimit);
    hideAllHoles();
    emptyBoard();
    stageSetup();
    if (marker_)
        emptyBoard();
    setStartEnabled(true);
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
    if (marker_) {
        port_.showMessage(texts::retestClear());
        setMarker(false);
        stage_.set(kRetestStage + 1);
    } else {
        port_.showMessage(texts::stageClear(stage));
        stage_.set(stage + 1);
        if (stage_.get() == kRetestStage)
            setMarker(true);
    }
    prepareNextStage();
}

void StageGame::prepareNextStage()
{
    setGiveupEnabled(false);
    stopTimer(TimerId::Timer2);
    playFlag_.set(1);
    tim_.set(config_.timeLimit);
    hideAllHoles();
    emptyBoard();
    stageSetup();
    setStartEnabled(true);
}

void StageGame::rouletteStart()
{
    stage_.set(0);
    port_.showMessage(texts::rouletteStart());
    setPanel(true);
    startTimer(TimerId::Timer3);
    setScreenEnabled(true);
}

void StageGame::spinTick()
{
    if (!timerRunning(TimerId::Timer3))
        return;
    digit_.set(rouletteDigit(random_()));
}

void StageGame::stop()
{
    if (!panel_ || !screenEnabled() || !timerRunning(TimerId::Timer3))
        return;
    stopTimer(TimerId::Timer3);
    const int digit = digit_.get();
    if (digit == 0) {
        port_.showMessage(texts::kRouletteZero);
        startTimer(TimerId::Timer3);
        return;
    }
    setScreenEnabled(false);
    stage_.set(digit);
    port_.showMessage(texts::rouletteDrawn(digit));
    setPanel(false);
    startTimer(TimerId::Timer1);
    playFlag_.set(0);
}

} // namespace hop
