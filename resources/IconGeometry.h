// Where the program icon's tile, pieces and links lie at a given size: the icons drawn in
// pixels and the scalable one are both drawn from it.
#pragma once

#include <QPointF>
#include <QRectF>

#include <array>
#include <utility>

namespace hop::resources {

struct IconGeometry {
    QRectF tile;         // the rounded square, through the middle of its rim
    double rim;          // the rim's width
    double radius;       // the tile's corner rounding
    int diameter;        // of a piece
    double lineWidth;    // of a link
    // Pieces: 0 at the top, 1 and 2 in the middle, 3, 4 and 5 at the bottom.
    std::array<QPointF, 6> centres;
};

// The links are two zigzags (1-0-2 over the top, 3-1-4-2-5 along the bottom),
// each given from the upper piece to the lower one.
inline constexpr std::pair<int, int> kIconLinks[] = {{0, 1}, {0, 2}, {1, 3}, {1, 4}, {2, 4}, {2, 5}};

// Below this, antialiased discs and lines blur into a grey smudge, so the
// pieces and links are set pixel by pixel instead.
inline constexpr int kIconPixelArtBelow = 20;

IconGeometry iconGeometry(int size);

} // namespace hop::resources
