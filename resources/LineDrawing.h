// Integer Bresenham, shared by the game's own pictures and the generator of its files.
#pragma once

#include <cstdlib>

namespace hop::resources {

// Calls plot(x, y) for every pixel from (x0, y0) to (x1, y1), both included, in order.
// Where the ideal line passes through a pixel centre that very pixel is drawn, which
// keeps the crossings of board lines on the hole centres.
template <class Plot>
void drawLine(int x0, int y0, int x1, int y1, Plot plot)
{
    const int dx = std::abs(x1 - x0);
    const int dy = -std::abs(y1 - y0);
    const int stepX = x0 < x1 ? 1 : -1;
    const int stepY = y0 < y1 ? 1 : -1;
    int error = dx + dy;
    for (;;) {
        plot(x0, y0);
        if (x0 == x1 && y0 == y1)
            return;
        const int doubled = 2 * error;
        if (doubled >= dy) {
            error += dy;
            x0 += stepX;
        }
        if (doubled <= dx) {
            error += dx;
            y0 += stepY;
        }
    }
}

} // namespace hop::resources
