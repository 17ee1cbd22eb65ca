// Helpers for pictures that must come out pixel-exact at every scale.
#include "resources/BuiltinPixels.h"

namespace hop::resources::pixels {

int sanitizedScale(int scale)
{
    return scale < 1 ? 1 : scale;
}

QImage canvas(int width, int height, QRgb fill)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(fill);
    return image;
}

QImage repeated(const QImage& nominal, int scale)
{
    scale = sanitizedScale(scale);
    const QImage source = nominal.convertToFormat(QImage::Format_ARGB32);
    QImage result(source.width() * scale, source.height() * scale, QImage::Format_ARGB32);
    for (int y = 0; y < source.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        for (int copy = 0; copy < scale; ++copy) {
            auto* out = reinterpret_cast<QRgb*>(result.scanLine(y * scale + copy));
            for (int x = 0; x < source.width(); ++x)
                for (int i = 0; i < scale; ++i)
                    out[x * scale + i] = in[x];
        }
    }
    result.setDevicePixelRatio(scale);
    return result;
}

} // namespace hop::resources::pixels
