// The play screen only translates: presses, moves and releases become pick-up,
// drag feedback and drop; timer expiries become ticks. The rules decide.
#include "shell/PlayScreen.h"

#include "modes/StageGame.h"
#include "modes/TimedGame.h"
#include "resources/BuiltinPictures.h"
#include "resources/PictureFile.h"
#include "resources/SoundBoard.h"
#include "shell/Messages.h"
#include "shell/PictureCell.h"
#include "shell/ScreenBuilder.h"
#include "shell/SteadyTimer.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>

#include <cmath>

namespace hop::shell {

namespace {

const ScreenLayout& layoutFor(PlayKind kind)
{
    switch (kind) {
    case PlayKind::BoardA: return boardALayout();
    case PlayKind::BoardB: return boardBLayout();
    case PlayKind::Stages: break;
    }
    return stagesLayout();
}

const BoardLayout& boardFor(PlayKind kind)
{
    return kind == PlayKind::BoardB ? BoardLayout::boardB() : BoardLayout::boardA();
}

} // namespace

PlayScreen::PlayScreen(PlayKind kind, res::SoundBoard& sounds, RandomSource random)
    : Screen(layoutFor(kind)), kind_(kind), sounds_(sounds)
{
    const BoardLayout& board = boardFor(kind);
    const std::vector<int>& opening = kind == PlayKind::Stages ? stagePosition(1) : board.startingOccupancy();
    for (int k = 1; k <= board.holeCount(); ++k) {
        const HoleRect& r = board.cell(k);
        auto* cell = new PictureCell(this);
        cell->setObjectName(QStringLiteral("Image%1").arg(k));
        cell->setGeometry(twipsRect(r.left, r.top, r.width, r.height));
        cell->setStretch(true);
        cell->setVisible(false);
        connect(cell, &PictureCell::pressed, this, [this, k](QMouseEvent* e) { press(k, e); });
        connect(cell, &PictureCell::moved, this, [this](QMouseEvent* e) { move(e); });
        connect(cell, &PictureCell::released, this, [this](QMouseEvent* e) { release(e); });
        connect(cell, &PictureCell::hidden, this, [this, k] {
            // The board was hidden under a held piece (time-up): the drag is over.
            if (dragging_ && k == dragSource_)
                endDrag();
        });
        holes_.push_back(cell);

        auto* state = new QLabel(this);
        state->setObjectName(QString::fromStdString(stateLabelName(k)));
        const bool occupied = std::find(opening.begin(), opening.end(), k) != opening.end();
        state->setText(occupied ? QStringLiteral("1") : QStringLiteral("0"));
        state->setVisible(false);
    }
    icons_.assign(static_cast<size_t>(board.holeCount() + 1), DragIcon::Drag);
    // A panel stays above the hole cells made after it.
    if (QWidget* panel = control(QStringLiteral("Picture1")))
        panel->raise();

    for (QWidget* w : findChildren<QWidget*>())
        if (!w->objectName().isEmpty())
            controls_.insert(w->objectName(), w);
    const char* timerNames[] = {"Timer1", "Timer2", "Timer3"};
    for (int i = 0; i < 3; ++i)
        timers_[i] = findChild<QTimer*>(QString::fromLatin1(timerNames[i]));

    if (kind == PlayKind::Stages) {
        if (!random)
            random = [generator = std::make_shared<RouletteRandom>()] { return generator->next(); };
        game_ = std::make_unique<StageGame>(*this, std::move(random));
    } else {
        game_ = std::make_unique<TimedGame>(board, kind == PlayKind::BoardA ? 1000 : 980, *this);
    }
    connect(timers_[0], &QTimer::timeout, this, [this] { game_->revealTick(); });
    // The clock ticks against a steady clock, not as late as the event loop happens to wake.
    countdown_ = new SteadyTimer(timers_[1]);
    connect(countdown_, &SteadyTimer::tick, this, [this] { game_->countdownTick(); });
    if (timers_[2])
        connect(timers_[2], &QTimer::timeout, this, [this] { game_->spinTick(); });
    if (auto* start = control<QPushButton>(QStringLiteral("Command1")))
        connect(start, &QPushButton::clicked, this, [this] { game_->start(); });
    if (auto* giveup = control<QPushButton>(QStringLiteral("Command2")))
        connect(giveup, &QPushButton::clicked, this, [this] { game_->giveup(); });
    if (auto* stop = control<QPushButton>(QStringLiteral("Command3")))
        connect(stop, &QPushButton::clicked, this, [this] { game_->stop(); });

    const int scale = pictureScale(this);
    dragCursor_ = builtin::makeCursor(builtin::dragCursor(scale));
    dropCursor_ = builtin::makeCursor(builtin::dropCursor(scale));
}

PlayScreen::~PlayScreen()
{
    endDrag();
    // The base destructor hides the cells; their signals must not reach a half-destroyed screen.
    for (PictureCell* cell : holes_)
        cell->disconnect(this);
    for (QTimer* t : timers_)
        if (t)
            t->disconnect(this);
    countdown_->disconnect(this);
}

bool PlayScreen::load(QString* error)
{
    centre();
    if (kind_ == PlayKind::BoardB) {
        setBackgroundPicture(builtin::boardBBackground(pictureScale(this)));
    } else {
        const res::LoadedPicture back = res::readPictureFile(QStringLiteral("back.kzt"));
        if (!back.ok()) {
            *error = back.error;
            return false;
        }
        setBackgroundPicture(back.image);
    }
    const res::LoadedPicture koma = res::readPictureFile(QStringLiteral("koma.kzt"));
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

void PlayScreen::setText(const std::string& control, const std::string& text)
{
    if (auto* label = qobject_cast<QLabel*>(controls_.value(QString::fromStdString(control))))
        label->setText(QString::fromStdString(text));
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

void PlayScreen::setDragIcon(int k, DragIcon icon)
{
    if (k < 1 || k >= int(icons_.size()))
        return;
    icons_[static_cast<size_t>(k)] = icon;
    // The pointer carries the source cell's icon; a change shows at once.
    if (dragging_ && k == dragSource_ && overrideCursor_)
        QGuiApplication::changeOverrideCursor(cursorFor(icon));
}

void PlayScreen::setVisible(const std::string& control, bool visible)
{
    QWidget* w = controls_.value(QString::fromStdString(control));
    if (!w)
        return;
    w->setVisible(visible);
    // The roulette panel comes up with STOP under the keyboard: Enter or Space stops it.
    if (visible)
        if (auto* button = w->findChild<QPushButton*>())
            button->setFocus(Qt::OtherFocusReason);
}

void PlayScreen::setEnabled(const std::string& control, bool enabled)
{
    QWidget* w = controls_.value(QString::fromStdString(control));
    if (!w)
        return;
    w->setEnabled(enabled);
    // START takes the focus back whenever a game ends, so Enter starts the next one;
    // Giveup never gets it by itself, where a stray Enter would throw a game away.
    if (enabled && control == "Command1" && !focusWidget())
        w->setFocus(Qt::OtherFocusReason);
}

void PlayScreen::setScreenEnabled(bool enabled)
{
    setInputBlocked(!enabled);
}

void PlayScreen::setTimerInterval(TimerId id, int ms)
{
    if (id == TimerId::Timer2)
        countdown_->setInterval(ms);
    else if (QTimer* t = timer(id))
        t->setInterval(ms);
}

void PlayScreen::startTimer(TimerId id)
{
    if (id == TimerId::Timer2)
        countdown_->start();
    else if (QTimer* t = timer(id))
        t->start();
}

void PlayScreen::stopTimer(TimerId id)
{
    if (id == TimerId::Timer2)
        countdown_->stop();
    else if (QTimer* t = timer(id))
        t->stop();
}

void PlayScreen::showMessage(const std::string& text)
{
    endDrag();
    shell::showMessage(QString::fromStdString(text), this);
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

void PlayScreen::closeStep()
{
    endDrag();
    game_->closeStep();
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
