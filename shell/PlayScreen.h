// A play screen (Board A, Board B or the Difficult stages): widgets for the game's cells,
// mouse events turned into moves, Qt timers driving the game's ticks.
#pragma once

#include "modes/PlayMode.h"
#include "modes/Stages.h"
#include "shell/Screen.h"

#include <QCursor>
#include <QHash>
#include <QPointer>

#include <memory>
#include <vector>

class QLabel;
class QTimer;

namespace hop::res {
class SoundBoard;
}

namespace hop::shell {

class PictureCell;
class SteadyTimer;

enum class PlayKind { BoardA, BoardB, Stages };

class PlayScreen : public Screen, public ScreenPort {
    Q_OBJECT
public:
    PlayScreen(PlayKind kind, res::SoundBoard& sounds, RandomSource random = {});
    ~PlayScreen() override;

    // The load step. False, with the reason in `error`, when a picture file cannot be read.
    bool load(QString* error);

    PlayKind kind() const { return kind_; }
    PlayMode& game() { return *game_; }
    PictureCell* hole(int k) const;
    QTimer* timer(TimerId id) const { return timers_[static_cast<int>(id)]; }
    bool dragging() const { return dragging_; }

    // ScreenPort
    void setText(const std::string& control, const std::string& text) override;
    void setHolePicture(int k, bool piece) override;
    void showHole(int k, bool shown) override;
    void setDragIcon(int k, DragIcon icon) override;
    void setVisible(const std::string& control, bool visible) override;
    void setEnabled(const std::string& control, bool enabled) override;
    void setScreenEnabled(bool enabled) override;
    void setTimerInterval(TimerId timer, int ms) override;
    void startTimer(TimerId timer) override;
    void stopTimer(TimerId timer) override;
    void showMessage(const std::string& text) override;
    void beep() override;
    void playSound(const std::string& file) override;
    void closeScreen() override;

    using QWidget::setEnabled;
    using QWidget::setVisible;

protected:
    void closeStep() override;
    // A release or move may reach the screen rather than a cell; the drag follows either way.
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void press(int k, QMouseEvent* event);
    void move(QMouseEvent* event);
    void release(QMouseEvent* event);
    int holeAt(const QPointF& globalPos) const;
    void endDrag();
    QCursor cursorFor(DragIcon icon) const;

    PlayKind kind_;
    res::SoundBoard& sounds_;
    std::unique_ptr<PlayMode> game_;
    std::vector<PictureCell*> holes_;  // index k - 1
    std::vector<DragIcon> icons_;
    QHash<QString, QWidget*> controls_;
    QTimer* timers_[3] = {nullptr, nullptr, nullptr};
    SteadyTimer* countdown_ = nullptr;  // drives Timer2
    QImage piece_;
    QCursor dragCursor_;
    QCursor dropCursor_;
    bool dragging_ = false;
    bool overrideCursor_ = false;
    int dragSource_ = 0;
    int over_ = 0;
};

} // namespace hop::shell
