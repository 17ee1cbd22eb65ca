// Condensing and tighter lines keep the face and point size and the label's rectangle as designed.
#include "shell/FitLabel.h"

#include <QPainter>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace hop::shell {

int FitLabel::fittingStretch() const
{
    if (wordWrap() || text().isEmpty())
        return 100;
    const qreal needed = QFontMetricsF(font()).horizontalAdvance(text());
    const qreal available = contentsRect().width();
    if (needed <= available || needed <= 0)
        return 100;
    return std::max(50, int(std::floor(100.0 * available / needed)));
}

qreal FitLabel::lineStep(const QFontMetricsF& metrics, const QFont& font)
{
    // The stand-in Japanese Gothic rounds its ascent and descent up to more than an em,
    // which costs a four-line note its last line; its glyphs themselves fill one em.
    const qreal em = font.pixelSize() > 0 ? font.pixelSize() : metrics.fontDpi() * font.pointSizeF() / 72.0;
    return std::min(metrics.lineSpacing(), std::ceil(em));
}

qreal FitLabel::layOutWrapped(QTextLayout& layout, qreal width, qreal step)
{
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    qreal bottom = 0;
    for (int i = 0;; ++i) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(width);
        line.setPosition(QPointF(0, i * step));
        bottom = i * step + line.height();
    }
    layout.endLayout();
    return bottom;
}

void FitLabel::paintWrapped()
{
    const QRect area = contentsRect();
    QTextLayout layout(text(), font());
    layOutWrapped(layout, area.width(), lineStep(QFontMetricsF(font(), this), font()));
    const Qt::Alignment h = alignment() & Qt::AlignHorizontal_Mask;
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    // Whatever runs past the bottom is cut off, as designed.
    painter.setClipRect(area);
    for (int i = 0; i < layout.lineCount(); ++i) {
        QTextLine line = layout.lineAt(i);
        const qreal slack = area.width() - line.naturalTextWidth();
        const qreal x = h & Qt::AlignRight ? slack : h & Qt::AlignHCenter ? slack / 2 : 0;
        line.draw(&painter, QPointF(area.left() + x, area.top()));
    }
}

void FitLabel::paintEvent(QPaintEvent* event)
{
    if (wordWrap() && !text().isEmpty()) {
        paintWrapped();
        return;
    }
    const int stretch = fittingStretch();
    if (stretch == 100) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    QFont condensed = font();
    condensed.setStretch(stretch);
    painter.setFont(condensed);
    painter.setPen(palette().color(foregroundRole()));
    painter.drawText(contentsRect(), int(alignment()), text());
}

} // namespace hop::shell
