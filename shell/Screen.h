// A top-level screen built from its layout: centring, focus, background picture, close step.
#pragma once

#include "modes/Rules.h"
#include "shell/Layout.h"

#include <QImage>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

namespace hop::shell {

// What a caption and a spoken name add while the slower clock is on.
QString clockNote(modes::Pace clock);

class Screen : public QWidget {
    Q_OBJECT
public:
    // With an owner the screen is its dialog: the window manager keeps it above the owner.
    explicit Screen(const ScreenLayout& layout, QWidget* owner = nullptr);

    const ScreenLayout& layout() const { return layout_; }
    // What a screen reader calls the window. Not its accessible name: Qt 6.4's bridge sends a
    // changed name without its text, and a screen reader that reaches the event late, once the
    // window is active, tries to speak it.
    void setSpokenName(const QString& name) { spokenName_ = name; }
    const QString& spokenName() const { return spokenName_; }

    template <class T = QWidget>
    T* control(const QString& name) const
    {
        return findChild<T*>(name);
    }

    // Left = (screen width - outer width) / 2, Top likewise, raised by `raiseTwips`; then
    // moved onto the available area, a window larger than it to its top-left corner.
    void centre(int raiseTwips = 0);
    // Focus the enabled, visible control with the lowest tab position that can take it.
    void focusFirstControl();
    // Drawn unscaled at the client area's origin, over the background colour.
    void setBackgroundPicture(QImage picture);
    // A screen that ignores the player keeps its look: nothing greys, mouse and
    // keyboard (its close box included) simply go nowhere, not even the focus moves. Its own
    // message boxes still work. A click on it, or its activation, brings `over` forward.
    void setInputBlocked(bool blocked, QWidget* over = nullptr);
    bool inputBlocked() const { return inputBlocked_; }
    // Close from the game's own flow: allowed even while the screen ignores input.
    void closeFromProgram();
    bool isClosing() const { return closing_; }

Q_SIGNALS:
    // Emitted once, after the close step has run; the screen deletes itself later.
    void closed();

protected:
    virtual void closeStep() {}
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    const ScreenLayout& layout_;
    QPixmap background_;
    bool closing_ = false;
    bool inputBlocked_ = false;
    QString spokenName_;
    QPointer<QWidget> over_;
    bool programClose_ = false;
};

// The whole factor the built-in pictures are drawn at for this widget's screen.
int pictureScale(const QWidget* widget);

// Where a window whose frame is `outer` goes so that all of it lies in `area`; one
// that cannot fit keeps its top-left corner in the area.
QPoint reachable(const QRect& outer, const QRect& area);

} // namespace hop::shell
