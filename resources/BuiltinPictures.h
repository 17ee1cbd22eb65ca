// The pictures the game draws for itself: board background, title, icon and drag cursors.
#pragma once

#include <QCursor>
#include <QIcon>
#include <QImage>

namespace hop::resources {

// Every picture comes back as ARGB32 with its device pixel ratio already set to
// `scale`, so painting it at its logical size gives one nominal pixel per
// logical pixel on any screen.

// 473 x 253: the sunken white field with the red lines of Board B.
// Exact pixels; at scale s each pixel is repeated s x s.
QImage boardBBackground(int scale = 1);

// 250 x 220: the game's logo, drawn anew at each scale so text and pieces stay sharp.
// The game carries it drawn ahead at scales 1 to 3; drawTitlePicture() draws it now.
QImage titlePicture(int scale = 1);
QImage drawTitlePicture(int scale = 1);

// size x size, device pixel ratio 1: six pieces in a pyramid on a white rounded
// square. Each size is drawn for itself; 32 is the nominal one.
QImage programIcon(int size);

// The window icon at 16, 24, 32, 48 and 64 pixels.
QIcon programIconSet();

// 32 x 32 with a 17 pixel disc: grey while carrying a piece, light grey with a
// red "OK" over a hole that accepts it. Exact pixels; at scale s each pixel is
// repeated s x s.
QImage dragCursor(int scale = 1);
QImage dropCursor(int scale = 1);

// A cursor whose hotspot is the middle of the 32 x 32 picture (16,16 in nominal
// pixels), keeping the picture's device pixel ratio so it is sharp on HiDPI screens.
QCursor makeCursor(const QImage& picture);

} // namespace hop::resources
