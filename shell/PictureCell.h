// A picture control: draws its picture (stretched or at natural size) and reports mouse events.
#pragma once

#include <QImage>
#include <QWidget>

namespace hop::shell {

class HoleVoice;

class PictureCell : public QWidget {
    Q_OBJECT
public:
    explicit PictureCell(QWidget* parent = nullptr);

    void setPicture(const QImage& picture);
    bool hasPicture() const { return !picture_.isNull(); }
    void setStretch(bool stretch);

    // What the keyboard shows on a hole, drawn over whatever picture the player gave it.
    enum class Hint { None, Held, Target };
    void setKeyMark(bool marked);
    void setHint(Hint hint);
    Hint hint() const { return hint_; }
    // A hole of a board: a screen reader hears it through its voice.
    void setVoice(HoleVoice* voice, int k)
    {
        voice_ = voice;
        voicedHole_ = k;
    }
    HoleVoice* voice() const { return voice_; }
    int voicedHole() const { return voicedHole_; }
    // What its voice says of the hole changed. A screen reader keeps what it read until it
    // is told, and is told at once, but of the hole with the focus only once the focus has
    // left it: Qt 6.4's bridge sends the change without the words, which a screen reader
    // would try to speak for the focused hole, where the move's words said it already.
    void nameChanged();

Q_SIGNALS:
    void pressed(QMouseEvent* event);
    void moved(QMouseEvent* event);
    void released(QMouseEvent* event);
    void hidden();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void rescale();

    QImage picture_;
    QImage scaled_;  // the picture at the cell's device pixel size
    bool stretch_ = false;
    bool keyMark_ = false;
    Hint hint_ = Hint::None;
    HoleVoice* voice_ = nullptr;
    int voicedHole_ = 0;
    bool untoldName_ = false;  // changed while the hole had the focus
};

} // namespace hop::shell
