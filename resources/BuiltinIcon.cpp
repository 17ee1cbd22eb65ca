// The program icon: six pieces in a pyramid joined by red zigzags, drawn anew for each size.
#include "resources/BuiltinPictures.h"
#include "resources/IconGeometry.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QRadialGradient>

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace hop::resources {
namespace {

// Window icons up to 64 (32 at twice the pixel ratio); the desktop's larger icons are
// installed as files, so they need not travel with every window.
constexpr int kIconSizes[] = {16, 24, 32, 48, 64};

const QColor kLinkRed(220, 0, 0);

void drawTile(QPainter& painter, const IconGeometry& layout)
{
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(128, 128, 128), layout.rim));
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(layout.tile, layout.radius, layout.radius);
}

void drawLinks(QPainter& painter, const IconGeometry& layout)
{
    QPainterPath path;
    for (auto [upper, lower] : kIconLinks) {
        path.moveTo(layout.centres[upper]);
        path.lineTo(layout.centres[lower]);
    }
    painter.setPen(QPen(kLinkRed, layout.lineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
}

void drawPieces(QPainter& painter, const IconGeometry& layout, int size)
{
    const double r = layout.diameter / 2.0;
    painter.setPen(Qt::NoPen);
    for (const QPointF& centre : layout.centres) {
        // Below 48 pixels a highlight only greys the piece; keep it solid black.
        if (size >= 48) {
            QRadialGradient shine(centre - QPointF(r * 0.35, r * 0.4), r * 1.2);
            shine.setColorAt(0.0, QColor(110, 110, 110));
            shine.setColorAt(0.45, QColor(20, 20, 20));
            shine.setColorAt(1.0, Qt::black);
            painter.setBrush(shine);
        } else {
            painter.setBrush(Qt::black);
        }
        painter.drawEllipse(centre, r, r);
    }
}

QPoint pixelOf(QPointF centre)
{
    return QPoint(static_cast<int>(std::floor(centre.x())), static_cast<int>(std::floor(centre.y())));
}

// One red pixel per row between two pieces, rounding towards the upper piece
// so the left and right links mirror each other exactly.
void drawTinyLinks(QImage& image)
{
    const IconGeometry layout = iconGeometry(image.width());
    for (auto [upper, lower] : kIconLinks) {
        const QPoint from = pixelOf(layout.centres[upper]);
        const QPoint to = pixelOf(layout.centres[lower]);
        const int dx = to.x() - from.x();
        const int dy = to.y() - from.y();
        for (int step = 1; step < dy; ++step)
            image.setPixelColor(from.x() + dx * step / dy, from.y() + step, kLinkRed);
    }
}

// A 3 x 3 piece: a solid cross with its corners half covered, what an ideal
// disc of that size leaves, without the smear of a drawn ellipse.
void drawTinyPieces(QImage& image)
{
    const IconGeometry layout = iconGeometry(image.width());
    for (const QPointF& centre : layout.centres) {
        const QPoint middle = pixelOf(centre);
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                const QPoint at = middle + QPoint(dx, dy);
                QColor colour = Qt::black;
                if (dx != 0 && dy != 0) {
                    const QColor under = image.pixelColor(at);
                    colour.setRgb(under.red() / 2, under.green() / 2, under.blue() / 2);
                }
                image.setPixelColor(at, colour);
            }
        }
    }
}

}  // namespace

// The pitch is kept even so the middle row sits a whole number of pixels either
// side of the axis, and the diameter has the size's parity so every centre
// lands where a disc of that diameter is crisp (a pixel corner for even, a
// pixel middle for odd) while the pyramid stays exactly symmetric.
IconGeometry iconGeometry(int size)
{
    IconGeometry layout;
    const bool tiny = size < kIconPixelArtBelow;
    // A white rounded square with a thin grey rim, so the icon also stands out on a
    // white desktop; the rounding leaves the corner pixels transparent.
    layout.rim = std::max(1.0, std::round(size / 40.0));
    layout.tile = QRectF(layout.rim / 2.0, layout.rim / 2.0, size - layout.rim, size - layout.rim);
    layout.radius = std::max(3.0, size * 0.2);
    const int pitch = std::max(4, 2 * static_cast<int>(std::lround(size * 0.15)));
    layout.diameter = tiny ? 3 : 2 * static_cast<int>(std::lround(size * 0.1)) + size % 2;
    // At the smallest size the rows are spread a little beyond an equilateral
    // pyramid, or the links between them would vanish under the pieces.
    const int rowHeight = tiny ? pitch : static_cast<int>(std::lround(pitch * 0.87));
    layout.lineWidth = tiny ? 1.0 : std::max(1.5, size / 18.0);

    // The tiny pieces are set on whole pixels, half a pixel left of the middle.
    const double axis = tiny ? size / 2 - 0.5 : size / 2.0;
    const int height = 2 * rowHeight + layout.diameter;
    const double top = (size - height) / 2 + layout.diameter / 2.0;
    const double middle = top + rowHeight;
    const double bottom = middle + rowHeight;
    const int half = pitch / 2;
    layout.centres = {
        QPointF(axis, top),
        QPointF(axis - half, middle),
        QPointF(axis + half, middle),
        QPointF(axis - pitch, bottom),
        QPointF(axis, bottom),
        QPointF(axis + pitch, bottom),
    };
    return layout;
}


QImage programIcon(int size)
{
    // Three rows of pieces need 16 pixels; anything smaller is the 16 shrunk.
    constexpr int kSmallest = 16;
    if (size < kSmallest) {
        return programIcon(kSmallest).scaled(std::max(size, 1), std::max(size, 1),
                                            Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        const IconGeometry layout = iconGeometry(size);
        drawTile(painter, layout);
        if (size >= kIconPixelArtBelow) {
            drawLinks(painter, layout);
            drawPieces(painter, layout, size);
        }
    }
    if (size < kIconPixelArtBelow) {
        drawTinyLinks(image);
        drawTinyPieces(image);
    }
    image.setDevicePixelRatio(1);
    return image;
}

QIcon programIconSet()
{
    QIcon icon;
    for (int size : kIconSizes)
        icon.addPixmap(QPixmap::fromImage(programIcon(size)));
    return icon;
}

} // namespace hop::resources
