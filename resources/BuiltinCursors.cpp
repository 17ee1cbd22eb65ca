// The cursors shown while a piece is carried: a plain disc, and one marked "OK" over a valid hole.
#include "resources/BuiltinPictures.h"
#include "resources/BuiltinPixels.h"

#include <QGuiApplication>
#include <QPixmap>

namespace hop::resources {
namespace {

constexpr int CursorSize = 32;
constexpr int HotSpot = 16;

// The disc's middle pixel and its radius; 8.5 gives a disc 17 pixels across,
// from 7 to 23 on both axes, with no flat-looking single-pixel tips.
constexpr int DiscCentre = 15;
constexpr int RadiusSquaredTimesFour = 17 * 17;  // (2 * 8.5)^2, to stay in integers

constexpr QRgb Transparent = qRgba(0, 0, 0, 0);
constexpr QRgb DarkGrey = qRgb(128, 128, 128);
constexpr QRgb LightGrey = qRgb(192, 192, 192);
constexpr QRgb Red = qRgb(255, 0, 0);

bool insideDisc(int x, int y)
{
    const int dx = 2 * (x - DiscCentre);
    const int dy = 2 * (y - DiscCentre);
    return dx * dx + dy * dy <= RadiusSquaredTimesFour;
}

QImage disc(QRgb colour)
{
    QImage image = pixels::canvas(CursorSize, CursorSize, Transparent);
    for (int y = 0; y < CursorSize; ++y)
        for (int x = 0; x < CursorSize; ++x)
            if (insideDisc(x, y))
                image.setPixel(x, y, colour);
    return image;
}

// 4 x 7 letters with a one-pixel gap, centred on the disc's middle pixel.
constexpr const char* OkLetters[] = {
    ".##. #..#",
    "#..# #..#",
    "#..# #.#.",
    "#..# ##..",
    "#..# #.#.",
    "#..# #..#",
    ".##. #..#",
};
constexpr int OkWidth = 9;
constexpr int OkHeight = 7;

QImage nominalDropCursor()
{
    QImage image = disc(LightGrey);
    const int left = DiscCentre - OkWidth / 2;
    const int top = DiscCentre - OkHeight / 2;
    for (int row = 0; row < OkHeight; ++row)
        for (int column = 0; column < OkWidth; ++column)
            if (OkLetters[row][column] == '#')
                image.setPixel(left + column, top + row, Red);
    return image;
}

}  // namespace

QImage dragCursor(int scale)
{
    return pixels::repeated(disc(DarkGrey), scale);
}

QImage dropCursor(int scale)
{
    return pixels::repeated(nominalDropCursor(), scale);
}

QCursor makeCursor(const QImage& picture)
{
    const qreal ratio = picture.devicePixelRatio();
    QPoint hotSpot(HotSpot, HotSpot);
    // Qt takes the hotspot in device-independent pixels everywhere except on
    // X11, where it goes to the server unconverted next to the full-resolution
    // image; there it has to be given in the picture's own pixels.
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        hotSpot = (QPointF(hotSpot) * ratio).toPoint();
    QPixmap pixmap = QPixmap::fromImage(picture);
    pixmap.setDevicePixelRatio(ratio);
    return QCursor(pixmap, hotSpot.x(), hotSpot.y());
}

} // namespace hop::resources
