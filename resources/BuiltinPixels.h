// Helpers for pictures that must come out pixel-exact at every scale.
#pragma once

#include <QImage>
#include <QRgb>

namespace hop::resources::pixels {

// A zero or negative scale would give an empty image and a zero device pixel
// ratio; treat it as the nominal size instead.
int sanitizedScale(int scale);

// A nominal-size ARGB32 canvas filled with one colour.
QImage canvas(int width, int height, QRgb fill);

// Enlarges by repeating each pixel scale x scale times (no smoothing: the
// exact pictures must keep their hard edges) and sets the device pixel ratio.
QImage repeated(const QImage& nominal, int scale);

} // namespace hop::resources::pixels
