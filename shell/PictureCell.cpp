// Stretching is done once per size, without smoothing, at the screen's device
// pixel size, so a piece is as crisp at ratio 2 as at ratio 1.
#include "shell/PictureCell.h"

#include <QMouseEvent>
#include <QPainter>

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

void PictureCell::paintEvent(QPaintEvent*)
{
    if (picture_.isNull())
        return;
    QPainter painter(this);
    if (stretch_) {
        if (scaled_.isNull() || !qFuzzyCompare(scaled_.devicePixelRatio(), devicePixelRatioF()))
            rescale();
        painter.drawImage(QPoint(0, 0), scaled_);
    } else {
        painter.drawImage(QPoint(0, 0), picture_);
    }
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
