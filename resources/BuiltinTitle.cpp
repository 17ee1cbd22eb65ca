// The title picture: the game's name under a pyramid of pieces on pale sea-green.
#include "resources/BuiltinPictures.h"

#include "resources/BuiltinPixels.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTransform>

#include <algorithm>
#include <vector>

namespace hop::resources {
namespace {

constexpr int kWidth = 250;
constexpr int kHeight = 220;
const QColor kBackground(0xC8, 0xED, 0xE6);
const QColor kTeal(0x0E, 0x5E, 0x55);
const QColor kLineRed(0xD8, 0x1E, 0x1E);

// A pyramid of ten, Board A's first four rows.
constexpr int kPyramidRows = 4;
constexpr double kPitch = 30.0;
constexpr double kRowHeight = 26.0;
constexpr double kPieceRadius = 11.0;
constexpr double kTopRowY = 32.0;

std::vector<std::vector<QPointF>> pyramid()
{
    std::vector<std::vector<QPointF>> rows;
    for (int row = 0; row < kPyramidRows; ++row) {
        std::vector<QPointF> centres;
        const double left = kWidth / 2.0 - row * kPitch / 2.0;
        for (int i = 0; i <= row; ++i)
            centres.emplace_back(left + i * kPitch, kTopRowY + row * kRowHeight);
        rows.push_back(centres);
    }
    return rows;
}

void drawFrame(QPainter& painter)
{
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(0x8E, 0xCF, 0xC4), 1.5));
    painter.drawRoundedRect(QRectF(5.5, 5.5, kWidth - 11, kHeight - 11), 12, 12);
    painter.setPen(QPen(QColor(0xE6, 0xF8, 0xF4), 1.0));
    painter.drawRoundedRect(QRectF(8.5, 8.5, kWidth - 17, kHeight - 17), 10, 10);
}

// Every piece joined to the two below it, the lines a jump travels along.
void drawLinks(QPainter& painter, const std::vector<std::vector<QPointF>>& rows)
{
    QPainterPath links;
    for (std::size_t row = 0; row + 1 < rows.size(); ++row) {
        for (std::size_t i = 0; i < rows[row].size(); ++i) {
            links.moveTo(rows[row + 1][i]);
            links.lineTo(rows[row][i]);
            links.lineTo(rows[row + 1][i + 1]);
        }
    }
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(kLineRed, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(links);
}

void drawPiece(QPainter& painter, QPointF centre)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x0B, 0x4A, 0x42, 70));
    painter.drawEllipse(centre + QPointF(1.5, 2.5), kPieceRadius, kPieceRadius);

    QRadialGradient stone(centre - QPointF(4, 4.5), kPieceRadius * 1.5);
    stone.setColorAt(0.0, QColor(0x9A, 0xA4, 0xA8));
    stone.setColorAt(0.25, QColor(0x3A, 0x40, 0x44));
    stone.setColorAt(0.8, QColor(0x0C, 0x0E, 0x10));
    stone.setColorAt(1.0, Qt::black);
    painter.setBrush(stone);
    painter.drawEllipse(centre, kPieceRadius, kPieceRadius);
}

// The name as an outline scaled into its box, so the layout does not depend
// on which bold face the system offers.
QPainterPath fittedText(const QString& text, const QFont& font, const QRectF& box)
{
    QPainterPath path;
    path.addText(0, 0, font, text);
    const QRectF bounds = path.boundingRect();
    if (bounds.isEmpty())
        return path;
    const double factor = std::min(box.width() / bounds.width(), box.height() / bounds.height());
    QTransform fit;
    fit.translate(box.center().x(), box.center().y());
    fit.scale(factor, factor);
    fit.translate(-bounds.center().x(), -bounds.center().y());
    return fit.map(path);
}

void drawName(QPainter& painter)
{
    QFont font;
    font.setFamilies({QStringLiteral("DejaVu Serif"), QStringLiteral("Georgia"),
                      QStringLiteral("Noto Serif"), QStringLiteral("Times New Roman")});
    font.setStyleHint(QFont::Serif);
    font.setBold(true);
    font.setPixelSize(64);
    const QPainterPath name = fittedText(QStringLiteral(HOPSTONE_NAME), font, QRectF(20, 136, 210, 46));

    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xFF, 0xFF, 0xFF, 170));
    painter.drawPath(name.translated(1.2, 1.2));

    QLinearGradient fill(0, 136, 0, 182);
    fill.setColorAt(0.0, QColor(0x17, 0x82, 0x75));
    fill.setColorAt(1.0, QColor(0x07, 0x3E, 0x38));
    painter.setBrush(fill);
    painter.drawPath(name);

    QFont small;
    small.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Verdana"),
                       QStringLiteral("Arial")});
    small.setStyleHint(QFont::SansSerif);
    small.setPixelSize(11);
    small.setLetterSpacing(QFont::AbsoluteSpacing, 2.0);
    painter.setFont(small);
    painter.setPen(kTeal);
    painter.drawText(QRectF(0, 188, kWidth, 18), Qt::AlignCenter, QStringLiteral("PEG SOLITAIRE"));
}

}  // namespace

QImage titlePicture(int scale)
{
    scale = pixels::sanitizedScale(scale);
    // Drawn at build time where the game was built with them.
    QImage ahead(QStringLiteral(":/title/title@%1.png").arg(scale));
    if (ahead.size() != QSize(kWidth, kHeight) * scale)
        return drawTitlePicture(scale);
    ahead = ahead.convertToFormat(QImage::Format_ARGB32);
    ahead.setDevicePixelRatio(scale);
    return ahead;
}

QImage drawTitlePicture(int scale)
{
    scale = pixels::sanitizedScale(scale);
    QImage image = pixels::canvas(kWidth * scale, kHeight * scale, kBackground.rgb());
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.scale(scale, scale);
        drawFrame(painter);
        const auto rows = pyramid();
        drawLinks(painter, rows);
        for (const auto& row : rows)
            for (const QPointF& centre : row)
                drawPiece(painter, centre);
        drawName(painter);
    }
    image.setDevicePixelRatio(scale);
    return image;
}

} // namespace hop::resources
