// A minimal raster with line drawing, and its encoding as a 24-bit BMP.
#include "game_files.h"

#include <cstdlib>

namespace hop::tools {

Picture::Picture(int width, int height, Rgb fill)
    : width_(width), height_(height),
      pixels_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill)
{
}

Rgb Picture::at(int x, int y) const
{
    return pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_)
                   + static_cast<std::size_t>(x)];
}

void Picture::set(int x, int y, Rgb colour)
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return;
    pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_)
            + static_cast<std::size_t>(x)] = colour;
}

void Picture::fillRect(int left, int top, int right, int bottom, Rgb colour)
{
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x)
            set(x, y, colour);
}

// Integer Bresenham: when the ideal line passes through a lattice point, that
// exact pixel is drawn, which keeps crossings of board lines on the hole centres.
void Picture::line(int x0, int y0, int x1, int y1, Rgb colour)
{
    const int dx = std::abs(x1 - x0);
    const int dy = -std::abs(y1 - y0);
    const int stepX = x0 < x1 ? 1 : -1;
    const int stepY = y0 < y1 ? 1 : -1;
    int error = dx + dy;
    for (;;) {
        set(x0, y0, colour);
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

Bytes encodeBmp(const Picture& picture)
{
    constexpr std::uint32_t kHeaderBytes = 14 + 40;
    const auto width = static_cast<std::uint32_t>(picture.width());
    const auto height = static_cast<std::uint32_t>(picture.height());
    const std::uint32_t stride = (width * 3 + 3) & ~3u;
    const std::uint32_t imageBytes = stride * height;

    Bytes out;
    out.reserve(kHeaderBytes + imageBytes);

    putTag(out, "BM");
    putU32(out, kHeaderBytes + imageBytes);
    putU32(out, 0); // two reserved words
    putU32(out, kHeaderBytes);

    putU32(out, 40);
    putU32(out, width);
    putU32(out, height); // positive height: rows run bottom-up
    putU16(out, 1);      // planes
    putU16(out, 24);     // bits per pixel
    putU32(out, 0);      // BI_RGB
    putU32(out, imageBytes);
    putU32(out, 2835); // 72 dpi, only informative
    putU32(out, 2835);
    putU32(out, 0); // palette size
    putU32(out, 0); // important colours

    for (int y = picture.height() - 1; y >= 0; --y) {
        for (int x = 0; x < picture.width(); ++x) {
            const Rgb c = picture.at(x, y);
            out.push_back(c.b);
            out.push_back(c.g);
            out.push_back(c.r);
        }
        for (std::uint32_t pad = width * 3; pad < stride; ++pad)
            out.push_back(0);
    }
    return out;
}

} // namespace hop::tools
