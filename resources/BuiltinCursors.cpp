// The cursors shown while a piece is carried: a plain disc, and one marked "OK" over a valid hole.
#include "resources/BuiltinPictures.h"
#include "resources/BuiltinPixels.h"

#include <QGuiApplication>
#include <QPixmap>

namespace hop::resources {
namespace {

constexpr int kCursorSize = 32;
constexpr int kHotSpot = 16;

// The disc's middle pixel and its radius; 8.5 gives a disc 17 pixels across,
// from 7 to 23 on both axes, with no flat-looking single-pixel tips.
constexpr int kDiscCentre = 15;
constexpr int kRadiusSquaredTimesFour = 17 * 17;  // (2 * 8.5)^2, to stay in integers

constexpr QRgb kTransparent = qRgba(0, 0, 0, 0);
constexpr QRgb kDarkGrey = qRgb(128, 128, 128);
constexpr QRgb kLightGrey = qRgb(192, 192, 192);
constexpr QRgb kRed = qRgb(255, 0, 0);

bool insideDisc(int x, int y)
{
    const int dx = 2 * (x - kDiscCentre);
    const int dy = 2 * (y - kDiscCentre);
    return dx * dx + dy * dy <= kRadiusSquaredTimesFour;
}

QImage disc(QRgb colour)
{
    QImage image = pixels::canvas(kCursorSize, kCursorSize, kTransparent);
    for (int y = 0; y < kCursorSize; ++y)
        for (int x = 0; x < kCursorSize; ++x)
            if (insideDisc(x, y))
                image.setPixel(x, y, colour);
    return image;
}

// 4 x 7 letters with a one-pixel gap, centred on the disc's middle pixel.
constexpr const char* kOkLetters[] = {
    ".##. #..#",
    "#..# #..#",
    "#..# #.#.",
    "#..# ##..",
    "#..# #.#.",
    "#..# #..#",
    ".##. #..#",
};
constexpr int kOkWidth = 9;
constexpr int kOkHeight = 7;

QImage nominalDropCursor()
{
    QImage image = disc(kLightGrey);
    const int left = kDiscCentre - kOkWidth / 2;
    const int top = kDiscCentre - kOkHeight / 2;
    for (int row = 0; row < kOkHeight; ++row)
        for (int column = 0; column < kOkWidth; ++column)
            if (kOkLetters[row][column] == '#')
                image.setPixel(left + column, top + row, kRed);
    return image;
}

}  // namespace

QImage dragCursor(int scale)
{
    return pixels::repeated(disc(kDarkGrey), scale);
}

QImage dropCursor(int scale)
{
    return pixels::repeated(nominalDropCursor(), scale);
}

QCursor makeCursor(const QImage& picture)
{
    const qreal ratio = picture.devicePixelRatio();
    QPoint hotSpot(kHotSpot, kHotSpot);
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
