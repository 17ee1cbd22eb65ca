// The common course of a game: START, reveal one hole per tick, count down, check.
#include "modes/PlayMode.h"

#include "modes/Texts.h"

namespace hop {

PlayMode::PlayMode(const PlayConfig& config, ScreenPort& port)
    : config_(config), port_(port), board_(*config.layout, port, config.opening), move_(board_, port),
      tim_(config.timeLimit), revealCount_(0)
{
    board_.onCountChange([this](int count) { clearCheck(count); });
    tim_.onChange([this](int value) {
        port_.setText("TIM", std::to_string(value));
        timeUpCheck(value);
    });
    revealCount_.onChange([this](int value) { port_.setText("Label3", std::to_string(value)); });
}

void PlayMode::load()
{
    port_.setTimerInterval(TimerId::Timer1, kRevealFirstMs);
    port_.setTimerInterval(TimerId::Timer2, config_.countdownMs);
    for (int k : board_.occupiedHoles())
        port_.setHolePicture(k, true);
}

void PlayMode::start()
{
    if (!screenEnabled_ || !startEnabled_)
        return;
    setScreenEnabled(false);
    port_.playSound(texts::kClickSound);
    setStartEnabled(false);
    beginAfterStart();
}

void PlayMode::beginAfterStart()
{
    startTimer(TimerId::Timer1);
}

void PlayMode::revealTick()
{
    if (!timerRunning(TimerId::Timer1))
        return;
    revealCount_.set(revealCount_.get() + 1);
    port_.playSound(texts::kClickSound);
    const int k = revealCount_.get();
    const int n = board_.holeCount();
    if (k == 1)
        port_.setTimerInterval(TimerId::Timer1, kRevealStepMs);
    board_.showHole(k, true);
    if (k >= n) {
        stopTimer(TimerId::Timer1);
        revealCount_.set(0);
        startTimer(TimerId::Timer2);
        setGiveupEnabled(true);
        port_.setTimerInterval(TimerId::Timer1, kRevealFirstMs);
        setScreenEnabled(true);
    }
}

void PlayMode::countdownTick()
{
    if (!timerRunning(TimerId::Timer2))
        return;
    port_.playSound(texts::kClickSound);
    tim_.set(tim_.get() - 1);
}

void PlayMode::timeUpCheck(int timeLeft)
{
    if (timeLeft != 0)
        return;
    stopClock();
    port_.showMessage(texts::kTimeUp);
    giveupReset();
}

void PlayMode::giveup()
{
    if (!screenEnabled_ || !giveupEnabled_)
        return;
    giveupReset();
}

void PlayMode::closeStep()
{
    stopTimer(TimerId::Timer1);
    stopTimer(TimerId::Timer2);
    stopTimer(TimerId::Timer3);
    port_.playSound(texts::kClickSound);
}

bool PlayMode::pickUp(int k)
{
    return screenEnabled_ && move_.pickUp(k);
}

void PlayMode::dragOver(int t, DragOver state)
{
    if (screenEnabled_)
        move_.dragOver(t, state);
}

bool PlayMode::drop(int t)
{
    return screenEnabled_ && move_.drop(t);
}

void PlayMode::setScreenEnabled(bool enabled)
{
    screenEnabled_ = enabled;
    port_.setScreenEnabled(enabled);
}

void PlayMode::setStartEnabled(bool enabled)
{
    startEnabled_ = enabled;
    port_.setEnabled("Command1", enabled);
}

void PlayMode::setGiveupEnabled(bool enabled)
{
    giveupEnabled_ = enabled;
    port_.setEnabled("Command2", enabled);
}

void PlayMode::startTimer(TimerId id)
{
    running_[static_cast<int>(id)] = true;
    port_.startTimer(id);
}

void PlayMode::stopTimer(TimerId id)
{
    running_[static_cast<int>(id)] = false;
    port_.stopTimer(id);
}

} // namespace hop
