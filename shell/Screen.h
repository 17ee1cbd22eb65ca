// A top-level screen built from its layout: centring, focus, background picture, close step.
#pragma once

#include "shell/Layout.h"

#include <QImage>
#include <QPixmap>
#include <QWidget>

namespace hop::shell {

class Screen : public QWidget {
    Q_OBJECT
public:
    explicit Screen(const ScreenLayout& layout);

    const ScreenLayout& layout() const { return layout_; }

    template <class T = QWidget>
    T* control(const QString& name) const
    {
        return findChild<T*>(name);
    }

    // Left = (screen width - outer width) / 2, Top likewise, raised by `raiseTwips`; not clamped.
    void centre(int raiseTwips = 0);
    // Focus the enabled, visible control with the lowest tab position that can take it.
    void focusFirstControl();
    // Drawn unscaled at the client area's origin, over the background colour.
    void setBackgroundPicture(const QImage& picture);
    // A screen that ignores the player keeps its look: nothing greys, mouse and
    // keyboard (its close box included) simply go nowhere. Its own message boxes still work.
    void setInputBlocked(bool blocked);
    bool inputBlocked() const { return inputBlocked_; }
    // Close from the game's own flow: allowed even while the screen ignores input.
    void closeFromProgram();
    bool isClosing() const { return closing_; }

Q_SIGNALS:
    // Emitted once, after the close step has run; the screen deletes itself later.
    void closed();

protected:
    virtual void closeStep() {}
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    const ScreenLayout& layout_;
    QPixmap background_;
    bool closing_ = false;
    bool inputBlocked_ = false;
    bool programClose_ = false;
};

// The whole factor the built-in pictures are drawn at for this widget's screen.
int pictureScale(const QWidget* widget);

} // namespace hop::shell
