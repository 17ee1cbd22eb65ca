// The common course of a game: START, reveal one hole per tick, count down, check.
#include "modes/PlayMode.h"

#include "modes/Texts.h"

namespace hop::modes {

PlayMode::PlayMode(Mode mode, ScreenPort& port, Pace clock)
    : rules_(rulesFor(mode)), timeLimit_(modes::timeLimit(rules_, clock)), port_(port),
      board_(rules_.board, port, rules_.opening), move_(board_, port), tim_(timeLimit_), revealCount_(0)
{
    board_.onCountChange([this](int count) { clearCheck(count); });
    tim_.onChange([this](int value) {
        port_.showReadout(Readout::TimeLeft, value);
        timeUpCheck(value);
    });
    revealCount_.onChange([this](int value) { port_.showReadout(Readout::RevealCount, value); });
}

void PlayMode::load()
{
    port_.setTimerInterval(TimerId::Reveal, rules_.revealFirstMs);
    port_.setTimerInterval(TimerId::Countdown, rules_.clockPeriodMs);
    port_.showReadout(Readout::PiecesLeft, board_.count());
    port_.showReadout(Readout::DragSource, move_.source());
    port_.showReadout(Readout::TimeLeft, tim_.get());
    port_.showReadout(Readout::RevealCount, revealCount_.get());
    for (int k = 1; k <= board_.holeCount(); ++k) {
        port_.showHoleState(k, board_.hole(k));
        if (board_.hole(k) == 1)
            port_.setHolePicture(k, true);
    }
}

void PlayMode::start()
{
    if (!screenEnabled_ || !startEnabled())
        return;
    setScreenEnabled(false);
    port_.playSound(texts::kClickSound);
    setButton(Button::Start, false);
    beginAfterStart();
}

void PlayMode::beginAfterStart()
{
    startTimer(TimerId::Reveal);
}

void PlayMode::revealTick()
{
    if (!timerRunning(TimerId::Reveal))
        return;
    revealCount_.set(revealCount_.get() + 1);
    port_.playSound(texts::kClickSound);
    const int k = revealCount_.get();
    const int n = board_.holeCount();
    if (k == 1)
        port_.setTimerInterval(TimerId::Reveal, rules_.revealStepMs);
    board_.showHole(k, true);
    if (k >= n) {
        stopTimer(TimerId::Reveal);
        revealCount_.set(0);
        startTimer(TimerId::Countdown);
        setButton(Button::Giveup, true);
        port_.setTimerInterval(TimerId::Reveal, rules_.revealFirstMs);
        setScreenEnabled(true);
        port_.boardReady(stageNumber());
    }
}

void PlayMode::countdownTick()
{
    if (!timerRunning(TimerId::Countdown))
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
    if (!screenEnabled_ || !giveupEnabled())
        return;
    giveupReset();
}

void PlayMode::closeStep()
{
    stopTimer(TimerId::Reveal);
    stopTimer(TimerId::Countdown);
    stopTimer(TimerId::Spin);
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

std::vector<int> PlayMode::reachableHoles() const
{
    return targetsOf(move_.source());
}

std::vector<int> PlayMode::targetsOf(int k) const
{
    return screenEnabled_ && board_.shown(k) ? move_.targets(k) : std::vector<int>();
}

std::vector<int> PlayMode::piecesThatCanJump() const
{
    std::vector<int> pieces;
    for (int k = 1; k <= board_.holeCount(); ++k)
        if (!targetsOf(k).empty())
            pieces.push_back(k);
    return pieces;
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

void PlayMode::setButton(Button button, bool enabled)
{
    buttons_[static_cast<int>(button)] = enabled;
    port_.setButtonEnabled(button, enabled);
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

} // namespace hop::modes
