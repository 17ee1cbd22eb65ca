// Stretching is done once per size, without smoothing, at the screen's device
// pixel size, so a piece is as crisp at ratio 2 as at ratio 1.
#include "shell/PictureCell.h"

#include <QAccessible>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

namespace hop::shell {

PictureCell::PictureCell(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
}

void PictureCell::setPicture(const QImage& picture)
{
    if (picture.cacheKey() == picture_.cacheKey() && picture.isNull() == picture_.isNull())
        return;
    picture_ = picture;
    rescale();
    update();
}

void PictureCell::setStretch(bool stretch)
{
    stretch_ = stretch;
    rescale();
}

void PictureCell::rescale()
{
    scaled_ = QImage();
    if (picture_.isNull() || !stretch_ || width() <= 0 || height() <= 0)
        return;
    const qreal ratio = devicePixelRatioF();
    const QSize device(qRound(width() * ratio), qRound(height() * ratio));
    scaled_ = picture_.scaled(device, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    scaled_.setDevicePixelRatio(ratio);
}

void PictureCell::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    rescale();
}

void PictureCell::setKeyMark(bool marked)
{
    if (marked != keyMark_) {
        keyMark_ = marked;
        update();
    }
}

void PictureCell::setHint(Hint hint)
{
    if (hint != hint_) {
        hint_ = hint;
        update();
        nameChanged();
    }
}

void PictureCell::nameChanged()
{
    if (!voice_)
        return;
    untoldName_ = hasFocus();
    if (untoldName_)
        return;
    QAccessibleEvent event(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
}

namespace {

constexpr int kFocusSettleMs = 300;

} // namespace

void PictureCell::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    // Once the keyboard has rested on another control, so the screen reader no longer
    // follows this hole: a hole's number typed in two digits passes the focus on twice at
    // once, and Orca, which skips a focus that a later one follows, would still take this
    // hole for the one with the focus and speak its change.
    if (untoldName_)
        QTimer::singleShot(kFocusSettleMs, this, [this] {
            if (untoldName_ && !hasFocus())
                nameChanged();
        });
}

namespace {

// A frame of whole logical pixels filled without smoothing, so it falls on device
// pixels at any scale.
void outline(QPainter& painter, const QRect& r, int width, const QColor& colour)
{
    painter.fillRect(QRect(r.left(), r.top(), r.width(), width), colour);
    painter.fillRect(QRect(r.left(), r.bottom() - width + 1, r.width(), width), colour);
    painter.fillRect(QRect(r.left(), r.top() + width, width, r.height() - 2 * width), colour);
    painter.fillRect(QRect(r.right() - width + 1, r.top() + width, width, r.height() - 2 * width), colour);
}

} // namespace

void PictureCell::paintEvent(QPaintEvent*)
{
    if (picture_.isNull() && !keyMark_ && hint_ == Hint::None)
        return;
    QPainter painter(this);
    // A held piece has left its hole: it shows faintly until it lands or is put back.
    if (hint_ == Hint::Held)
        painter.setOpacity(0.4);
    if (!picture_.isNull() && stretch_) {
        if (scaled_.isNull() || !qFuzzyCompare(scaled_.devicePixelRatio(), devicePixelRatioF()))
            rescale();
        painter.drawImage(QPoint(0, 0), scaled_);
    } else if (!picture_.isNull()) {
        painter.drawImage(QPoint(0, 0), picture_);
    }
    painter.setOpacity(1.0);
    const QColor highlight = palette().color(QPalette::Highlight);
    constexpr int kLine = 2;
    if (keyMark_)
        outline(painter, rect(), kLine, highlight);
    // A hole the held piece may land in: a smaller frame inside, apart from the mark.
    if (hint_ == Hint::Target)
        outline(painter, rect().adjusted(2 * kLine, 2 * kLine, -2 * kLine, -2 * kLine), kLine, highlight);
}

void PictureCell::mousePressEvent(QMouseEvent* event)
{
    Q_EMIT pressed(event);
}

void PictureCell::mouseMoveEvent(QMouseEvent* event)
{
    Q_EMIT moved(event);
}

void PictureCell::mouseReleaseEvent(QMouseEvent* event)
{
    Q_EMIT released(event);
}

void PictureCell::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    Q_EMIT hidden();
}

} // namespace hop::shell
