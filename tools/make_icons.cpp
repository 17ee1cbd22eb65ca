// Writes the desktop icons for the hicolor theme: a PNG per size, each drawn for
// itself by the game's own icon code, and a scalable SVG of the same drawing.
#include "resources/BuiltinPictures.h"
#include "resources/IconGeometry.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>

#include <cstdio>

namespace {

constexpr int kSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

// Desktop icons leave a margin inside their canvas so a square tile does not look
// bigger than the round and irregular icons beside it. At 16 pixels a margin would
// cost the pieces their crispness, so the tile fills the canvas there.
int marginFor(int size)
{
    return size < 20 ? 0 : size / 16;
}

QImage desktopIcon(int size)
{
    const int margin = marginFor(size);
    QImage canvas(size, size, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter(&canvas).drawImage(margin, margin, hop::resources::programIcon(size - 2 * margin));
    return canvas;
}

// The program icon's drawing in vectors, on a 256 canvas with the same margin and
// the same geometry as the drawn sizes from 20 pixels up.
QByteArray scalableIcon()
{
    constexpr int canvas = 256;
    const int m = marginFor(canvas);
    const hop::resources::IconGeometry icon = hop::resources::iconGeometry(canvas - 2 * m);
    auto at = [&](int piece) { return QStringLiteral("%1 %2").arg(m + icon.centres[piece].x()).arg(m + icon.centres[piece].y()); };

    QString svg = QStringLiteral(
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%1\" viewBox=\"0 0 %1 %1\">\n"
        "  <defs><radialGradient id=\"shine\" cx=\"0.325\" cy=\"0.3\" r=\"0.6\">"
        "<stop offset=\"0\" stop-color=\"#6e6e6e\"/><stop offset=\"0.45\" stop-color=\"#141414\"/>"
        "<stop offset=\"1\" stop-color=\"#000\"/></radialGradient></defs>\n")
                      .arg(canvas);
    svg += QStringLiteral("  <rect x=\"%1\" y=\"%1\" width=\"%2\" height=\"%2\" rx=\"%3\" fill=\"#fff\" "
                          "stroke=\"#808080\" stroke-width=\"%4\"/>\n")
               .arg(m + icon.tile.left())
               .arg(icon.tile.width())
               .arg(icon.radius)
               .arg(icon.rim);
    QString links;
    for (auto [upper, lower] : hop::resources::kIconLinks)
        links += QStringLiteral("M%1 L%2 ").arg(at(upper), at(lower));
    svg += QStringLiteral("  <path d=\"%1\" fill=\"none\" stroke=\"#dc0000\" "
                          "stroke-width=\"%2\" stroke-linecap=\"round\" stroke-linejoin=\"round\"/>\n")
               .arg(links.trimmed())
               .arg(icon.lineWidth, 0, 'f', 2);
    for (const QPointF& centre : icon.centres)
        svg += QStringLiteral("  <circle cx=\"%1\" cy=\"%2\" r=\"%3\" fill=\"url(#shine)\"/>\n")
                   .arg(m + centre.x())
                   .arg(m + centre.y())
                   .arg(icon.diameter / 2.0);
    svg += QStringLiteral("</svg>\n");
    return svg.toUtf8();
}

bool write(const QDir& root, const QString& folder, const QString& file, auto&& save)
{
    return root.mkpath(folder) && save(root.filePath(folder + QLatin1Char('/') + file));
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fputs("usage: make_icons <hicolor-folder> <icon-name>\n", stderr);
        return 2;
    }
    const QDir root(QString::fromLocal8Bit(argv[1]));
    const QString name = QString::fromLocal8Bit(argv[2]);
    for (int size : kSizes) {
        if (!write(root, QStringLiteral("%1x%1/apps").arg(size), name + QStringLiteral(".png"),
                   [&](const QString& path) { return desktopIcon(size).save(path, "PNG"); })) {
            std::fprintf(stderr, "make_icons: cannot write the %d pixel icon\n", size);
            return 1;
        }
    }
    if (!write(root, QStringLiteral("scalable/apps"), name + QStringLiteral(".svg"), [](const QString& path) {
            QFile file(path);
            return file.open(QIODevice::WriteOnly) && file.write(scalableIcon()) > 0;
        })) {
        std::fputs("make_icons: cannot write the scalable icon\n", stderr);
        return 1;
    }
    return 0;
}
