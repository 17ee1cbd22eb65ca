// A play screen (Board A, Board B or the Difficult stages): widgets for the game's cells,
// mouse events turned into moves, Qt timers driving the game's ticks.
#pragma once

#include "modes/PlayMode.h"
#include "modes/Roulette.h"
#include "shell/BoardVoice.h"
#include "shell/GameControls.h"
#include "shell/KeyboardMark.h"
#include "shell/Messages.h"
#include "shell/Screen.h"

#include <QCursor>

#include <memory>
#include <vector>

class QLabel;
class QTimer;

namespace hop::resources {
class SoundBoard;
}

namespace hop::shell {

class PictureCell;
class SteadyTimer;

class PlayScreen : public Screen, public modes::ScreenPort {
    Q_OBJECT
public:
    PlayScreen(modes::Mode mode, resources::SoundBoard& sounds, MessageShow message, modes::RandomSource random = {},
               modes::Pace clock = modes::Pace::Normal);
    ~PlayScreen() override;

    // The load step. False, with the reason in `error`, when a picture file cannot be read.
    bool load(QString* error);

    modes::Mode mode() const { return mode_; }
    modes::PlayMode& game() { return *game_; }
    const GameControls& controls() const { return controls_; }
    PictureCell* hole(int k) const;
    QTimer* timer(modes::TimerId id) const { return controls_.timer(id); }
    bool dragging() const { return dragging_; }
    // Hole k's number on this screen, 0 for any other widget.
    int holeNumber(const QWidget* cell) const;
    // Whether a key or a screen reader may play on the board now.
    bool boardOpen() const;

    // ScreenPort
    void showReadout(modes::Readout readout, int value) override;
    void showHoleState(int k, int state) override;
    void setHolePicture(int k, bool piece) override;
    void showHole(int k, bool shown) override;
    void setDragIcon(int k, board::DragIcon icon) override;
    void jumpMade(int from, int over, int to, int piecesLeft) override;
    void setButtonEnabled(modes::Button button, bool enabled) override;
    void showOverlay(modes::Overlay overlay, bool shown) override;
    void setScreenEnabled(bool enabled) override;
    void setTimerInterval(modes::TimerId timer, int ms) override;
    void startTimer(modes::TimerId timer) override;
    void stopTimer(modes::TimerId timer) override;
    void showMessage(const std::string& text) override;
    void beep() override;
    void playSound(const std::string& file) override;
    void closeScreen() override;
    void boardReady(int stage) override;

protected:
    void closeStep() override;
    // A release or move may reach the screen rather than a cell; the drag follows either way.
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildHoles();
    void connectControls();
    void press(int k, QMouseEvent* event);
    void move(QMouseEvent* event);
    void release(QMouseEvent* event);
    int holeAt(const QPointF& globalPos) const;
    void endDrag();
    QCursor cursorFor(board::DragIcon icon) const;
    template <class Action>
    void withTimer(modes::TimerId id, Action action);

    modes::Mode mode_;
    resources::SoundBoard& sounds_;
    const MessageShow message_;
    GameControls controls_;
    std::vector<PictureCell*> holes_;   // index k - 1
    std::unique_ptr<modes::PlayMode> game_;
    std::vector<QLabel*> holeStates_;   // index k - 1
    std::vector<board::DragIcon> icons_;
    SteadyTimer* countdown_ = nullptr;  // drives the countdown timer
    QImage piece_;
    QCursor dragCursor_;
    QCursor dropCursor_;
    bool dragging_ = false;
    bool overrideCursor_ = false;
    int dragSource_ = 0;
    int over_ = 0;
    BoardVoice voice_{*this, *game_, holes_, controls_, [this](int k) { keys_.activate(k); }};
    KeyboardMark keys_{*this, *game_, holes_, voice_, [this] { return boardOpen(); }};
};

} // namespace hop::shell
