// A minimal raster with line drawing, and its encoding as a 24-bit BMP.
#include "game_files.h"
#include "resources/LineDrawing.h"

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

void Picture::line(int x0, int y0, int x1, int y1, Rgb colour)
{
    resources::drawLine(x0, y0, x1, y1, [&](int x, int y) { set(x, y, colour); });
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
