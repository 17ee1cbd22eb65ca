// Condensing keeps the face and point size and the label's rectangle as designed.
#include "shell/FitLabel.h"

#include <QPainter>

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

void FitLabel::paintEvent(QPaintEvent* event)
{
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
