// The play screen only translates: presses, moves and releases become pick-up,
// drag feedback and drop; timer expiries become ticks. The rules decide.
#include "shell/PlayScreen.h"

#include "modes/Games.h"
#include "resources/BuiltinPictures.h"
#include "resources/PictureFile.h"
#include "resources/SoundBoard.h"
#include "shell/Messages.h"
#include "shell/ModeFaces.h"
#include "shell/Keys.h"
#include "shell/PictureCell.h"
#include "shell/ScreenBuilder.h"
#include "shell/SteadyTimer.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>

namespace hop::shell {

using namespace hop::modes;
using board::DragIcon;
using board::DragOver;

PlayScreen::PlayScreen(Mode mode, resources::SoundBoard& sounds, MessageShow message, RandomSource random, Pace clock)
    : Screen(faceOf(mode).layout()), mode_(mode), sounds_(sounds), message_(std::move(message)), controls_(*this, layout()),
      game_(makeGame(mode, *this, std::move(random), clock))
{
    setSpokenName(spokenNameOf(mode) + clockNote(clock));
    setWindowTitle(windowTitle() + clockNote(clock));
    buildHoles();
    connectControls();
    const int scale = pictureScale(this);
    dragCursor_ = resources::makeCursor(resources::dragCursor(scale));
    dropCursor_ = resources::makeCursor(resources::dropCursor(scale));
}

void PlayScreen::buildHoles()
{
    const board::BoardLayout& board = rulesFor(mode_).board;
    for (int k = 1; k <= board.holeCount(); ++k) {
        const board::HoleRect& r = board.cell(k);
        auto* cell = new PictureCell(this);
        cell->setObjectName(QStringLiteral("Image%1").arg(k));
        cell->setGeometry(twipsRect(r.left, r.top, r.width, r.height));
        cell->setStretch(true);
        cell->setVisible(false);
        cell->setVoice(&voice_, k);
        connect(cell, &PictureCell::pressed, this, [this, k](QMouseEvent* e) { press(k, e); });
        connect(cell, &PictureCell::moved, this, [this](QMouseEvent* e) { move(e); });
        connect(cell, &PictureCell::released, this, [this](QMouseEvent* e) { release(e); });
        connect(cell, &PictureCell::hidden, this, [this, k] {
            // The board was hidden under a held piece (time-up): the drag is over.
            if (dragging_ && k == dragSource_)
                endDrag();
            // The keyboard mark never stays on a hidden hole.
            if (k == keys_.held())
                keys_.letGo();
            if (k == keys_.mark())
                keys_.leaveBoard();
            // A hidden board is a board played out: what was said of it is over.
            voice_.forget();
        });
        // Tab away from the mark takes it off the board.
        cell->installEventFilter(this);
        holes_.push_back(cell);

        auto* state = new QLabel(this);
        state->setObjectName(QStringLiteral("N%1").arg(k, 2, 10, QLatin1Char('0')));
        state->setVisible(false);
        holeStates_.push_back(state);
    }
    icons_.assign(static_cast<size_t>(board.holeCount() + 1), DragIcon::Drag);
    // A panel stays above the hole cells made after it.
    if (QWidget* panel = controls_.overlay(Overlay::RoulettePanel))
        panel->raise();
}

void PlayScreen::connectControls()
{
    connect(timer(TimerId::Reveal), &QTimer::timeout, this, [this] { game_->revealTick(); });
    // The clock ticks against a steady clock, not as late as the event loop happens to wake.
    countdown_ = new SteadyTimer(timer(TimerId::Countdown));
    connect(countdown_, &SteadyTimer::tick, this, [this] { game_->countdownTick(); });
    if (QTimer* spin = timer(TimerId::Spin))
        connect(spin, &QTimer::timeout, this, [this] { game_->spinTick(); });
    // The arrows reach the board from a button too; Enter and Space stay the button's.
    controls_.button(Button::Start)->installEventFilter(this);
    controls_.button(Button::Giveup)->installEventFilter(this);
    connect(controls_.button(Button::Start), &QPushButton::clicked, this, [this] { game_->start(); });
    connect(controls_.button(Button::Giveup), &QPushButton::clicked, this, [this] { game_->giveup(); });
    if (QPushButton* stop = controls_.button(Button::Stop))
        connect(stop, &QPushButton::clicked, this, [this] { game_->stop(); });
}

PlayScreen::~PlayScreen()
{
    endDrag();
    // The cells go first, while the game their accessible names are read from still
    // stands; their signals and events must not reach a screen being taken down.
    for (PictureCell* cell : holes_) {
        cell->disconnect(this);
        cell->removeEventFilter(this);
        delete cell;
    }
    holes_.clear();
    for (Button b : {Button::Start, Button::Giveup})
        controls_.button(b)->removeEventFilter(this);
    for (TimerId id : kTimers)
        if (QTimer* t = timer(id))
            t->disconnect(this);
    countdown_->disconnect(this);
}

bool PlayScreen::load(QString* error)
{
    centre();
    if (const auto drawn = faceOf(mode_).drawnBackground) {
        setBackgroundPicture(drawn(pictureScale(this)));
    } else {
        resources::LoadedPicture back = resources::readPictureFile(QStringLiteral("back.kzt"));
        if (!back.ok()) {
            *error = back.error;
            return false;
        }
        setBackgroundPicture(std::move(back.image));
    }
    const resources::LoadedPicture koma = resources::readPictureFile(QStringLiteral("koma.kzt"));
    if (!koma.ok()) {
        *error = koma.error;
        return false;
    }
    piece_ = koma.image;
    if (auto* holder = control<PictureCell>(QStringLiteral("KOMA")))
        holder->setPicture(piece_);
    game_->load();
    return true;
}

PictureCell* PlayScreen::hole(int k) const
{
    return (k >= 1 && k <= int(holes_.size())) ? holes_[static_cast<size_t>(k - 1)] : nullptr;
}

int PlayScreen::holeNumber(const QWidget* cell) const
{
    for (size_t i = 0; i < holes_.size(); ++i)
        if (holes_[i] == cell)
            return int(i) + 1;
    return 0;
}

void PlayScreen::showReadout(Readout readout, int value)
{
    QLabel* label = controls_.readout(readout);
    Q_ASSERT(label);
    if (label) {
        label->setText(QString::number(value));
        voice_.readoutShown(readout);
    }
}

void PlayScreen::showHoleState(int k, int state)
{
    if (k >= 1 && k <= int(holeStates_.size()))
        holeStates_[static_cast<size_t>(k - 1)]->setText(QString::number(state));
    // A hole's accessible name is read from this same state.
    voice_.holeStateShown(k);
}

void PlayScreen::setHolePicture(int k, bool piece)
{
    if (PictureCell* cell = hole(k))
        cell->setPicture(piece ? piece_ : QImage());
}

void PlayScreen::showHole(int k, bool shown)
{
    if (PictureCell* cell = hole(k))
        cell->setVisible(shown);
}

void PlayScreen::showOverlay(Overlay overlay, bool shown)
{
    QWidget* w = controls_.overlay(overlay);
    Q_ASSERT(w);
    if (!w)
        return;
    // The keyboard never stays on a button that goes with its panel: it rests on the
    // screen, as after START, until the board or a button takes it.
    if (!shown && focusWidget() && w->isAncestorOf(focusWidget()))
        setFocus(Qt::OtherFocusReason);
    w->setVisible(shown);
    // The roulette panel comes up with STOP under the keyboard: Enter or Space stops it.
    if (shown && overlay == Overlay::RoulettePanel)
        if (QPushButton* stop = controls_.button(Button::Stop))
            stop->setFocus(Qt::OtherFocusReason);
}

void PlayScreen::setButtonEnabled(Button button, bool enabled)
{
    QPushButton* w = controls_.button(button);
    Q_ASSERT(w);
    if (!w)
        return;
    w->setEnabled(enabled);
    // START takes the focus back whenever a game ends, so Enter starts the next one, also
    // from the roulette's STOP, gone with its panel; Giveup never gets it by itself, where a
    // stray Enter would throw a game away.
    const QWidget* focus = focusWidget();
    if (enabled && button == Button::Start && (!focus || focus == this || !focus->isVisible()))
        w->setFocus(Qt::OtherFocusReason);
    // A pressed START leaves the keyboard on nothing: it rests on the screen itself,
    // named for its mode, until the board or a button takes it.
    if (!enabled && !focusWidget())
        setFocus(Qt::OtherFocusReason);
}

void PlayScreen::setScreenEnabled(bool enabled)
{
    setInputBlocked(!enabled);
}

// The countdown keeps time through its steady clock; the other timers run as they are.
template <class Action>
void PlayScreen::withTimer(TimerId id, Action action)
{
    if (id == TimerId::Countdown)
        action(*countdown_);
    else if (QTimer* t = timer(id))
        action(*t);
}

void PlayScreen::setTimerInterval(TimerId id, int ms)
{
    withTimer(id, [ms](auto& t) { t.setInterval(ms); });
}

void PlayScreen::startTimer(TimerId id)
{
    withTimer(id, [](auto& t) { t.start(); });
}

void PlayScreen::stopTimer(TimerId id)
{
    withTimer(id, [](auto& t) { t.stop(); });
}

void PlayScreen::showMessage(const std::string& text)
{
    endDrag();
    keys_.letGo();
    message_(QString::fromStdString(text), this);
}

void PlayScreen::beep()
{
    QApplication::beep();
}

void PlayScreen::playSound(const std::string& file)
{
    sounds_.play(QString::fromStdString(file));
}

void PlayScreen::closeScreen()
{
    closeFromProgram();
}

void PlayScreen::boardReady(int stage)
{
    voice_.ready(stage);
}

bool PlayScreen::boardOpen() const
{
    if (inputBlocked() || !game_->screenEnabled() || dragging_)
        return false;
    // The roulette panel stands over the board.
    const QWidget* panel = controls_.overlay(Overlay::RoulettePanel);
    return !(panel && panel->isVisible());
}

void PlayScreen::jumpMade(int from, int over, int to, int piecesLeft)
{
    voice_.jumped(from, over, to, piecesLeft);
}

void PlayScreen::keyPressEvent(QKeyEvent* event)
{
    if (!keys_.key(keyAction(KeyPlace::Board, *event), *event))
        Screen::keyPressEvent(event);
}

bool PlayScreen::eventFilter(QObject* watched, QEvent* event)
{
    if (inputBlocked())
        return Screen::eventFilter(watched, event);
    // The arrows reach the board from a button too; Enter and Space stay the button's.
    if (event->type() == QEvent::KeyPress && qobject_cast<QPushButton*>(watched))
    {
        const auto* key = static_cast<QKeyEvent*>(event);
        return keys_.key(keyAction(KeyPlace::Board, *key), *key);
    }
    if (event->type() == QEvent::FocusOut && keys_.mark() && watched == hole(keys_.mark())) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        // Another window (a message, the help) borrows the keyboard and gives it back;
        // a move of the mark goes from hole to hole. Anything else leaves the board.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
            !holeNumber(QApplication::focusWidget()))
            keys_.leaveBoard();
    }
    return false;
}

void PlayScreen::closeStep()
{
    endDrag();
    game_->closeStep();
}
// The drag of a piece, inside ordinary mouse events: the press on a cell grabs the
// mouse, moves are hit-tested against the shown cells, the release is the drop.
void PlayScreen::setDragIcon(int k, DragIcon icon)
{
    if (k < 1 || k >= int(icons_.size()))
        return;
    icons_[static_cast<size_t>(k)] = icon;
    // The pointer carries the source cell's icon; a change shows at once.
    if (dragging_ && k == dragSource_ && overrideCursor_)
        QGuiApplication::changeOverrideCursor(cursorFor(icon));
}

QCursor PlayScreen::cursorFor(DragIcon icon) const
{
    return icon == DragIcon::Drop ? dropCursor_ : dragCursor_;
}

int PlayScreen::holeAt(const QPointF& globalPos) const
{
    const QPoint p = mapFromGlobal(globalPos).toPoint();
    for (size_t i = 0; i < holes_.size(); ++i)
        if (holes_[i]->isVisible() && holes_[i]->geometry().contains(p))
            return int(i) + 1;
    return 0;
}

void PlayScreen::press(int k, QMouseEvent* event)
{
    event->accept();
    // The pointer takes over from a piece the keyboard holds.
    if (!dragging_)
        keys_.letGo();
    if (dragging_ || !game_->pickUp(k))
        return;
    dragging_ = true;
    dragSource_ = k;
    over_ = 0;
    QGuiApplication::setOverrideCursor(cursorFor(icons_[static_cast<size_t>(k)]));
    overrideCursor_ = true;
    move(event);
}

void PlayScreen::move(QMouseEvent* event)
{
    if (!dragging_)
        return;
    const int t = holeAt(event->globalPosition());
    if (t == over_) {
        if (t)
            game_->dragOver(t, DragOver::Move);
        return;
    }
    const int left = over_;
    over_ = t;
    if (left)
        game_->dragOver(left, DragOver::Leave);
    if (t && dragging_)
        game_->dragOver(t, DragOver::Enter);
}

void PlayScreen::release(QMouseEvent* event)
{
    if (!dragging_)
        return;
    const int t = holeAt(event->globalPosition());
    endDrag();
    // The drop may end the game, show a message, or close this screen: nothing follows it.
    if (t)
        game_->drop(t);
}

void PlayScreen::mouseMoveEvent(QMouseEvent* event)
{
    move(event);
}

void PlayScreen::mouseReleaseEvent(QMouseEvent* event)
{
    release(event);
}

void PlayScreen::endDrag()
{
    dragging_ = false;
    over_ = 0;
    if (overrideCursor_) {
        overrideCursor_ = false;
        QGuiApplication::restoreOverrideCursor();
    }
}

} // namespace hop::shell
