// Shared declarations of the generator that draws and synthesises the game's four data files.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace hop::tools {

using Bytes = std::vector<std::uint8_t>;

// Both file formats are little-endian; appending byte by byte keeps the output
// independent of the host's struct layout and endianness.
inline void putU16(Bytes& out, std::uint32_t value)
{
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

inline void putU32(Bytes& out, std::uint32_t value)
{
    putU16(out, value & 0xFFFF);
    putU16(out, value >> 16);
}

inline void putTag(Bytes& out, std::string_view tag)
{
    for (char c : tag)
        out.push_back(static_cast<std::uint8_t>(c));
}

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kDarkGrey{0x80, 0x80, 0x80};
inline constexpr Rgb kLightGrey{0xC0, 0xC0, 0xC0};
inline constexpr Rgb kPaleGrey{0xDF, 0xDF, 0xDF};
inline constexpr Rgb kWhite{0xFF, 0xFF, 0xFF};
inline constexpr Rgb kRed{0xFF, 0x00, 0x00};

// A top-down RGB raster; (0, 0) is the upper-left pixel.
class Picture {
public:
    Picture(int width, int height, Rgb fill);

    int width() const { return width_; }
    int height() const { return height_; }
    Rgb at(int x, int y) const;

    // Pixels outside the picture are silently dropped, so callers may draw
    // shapes that touch the edge without clipping them first.
    void set(int x, int y, Rgb colour);
    void fillRect(int left, int top, int right, int bottom, Rgb colour); // inclusive corners
    void line(int x0, int y0, int x1, int y1, Rgb colour);               // both ends drawn

private:
    int width_;
    int height_;
    std::vector<Rgb> pixels_;
};

// 24-bit uncompressed Windows bitmap with a BITMAPINFOHEADER, rows bottom-up.
Bytes encodeBmp(const Picture& picture);

Picture drawBoardA();
Picture drawPiece();

inline constexpr int kSampleRate = 22050;

std::vector<std::int16_t> composeOpening();
std::vector<std::int16_t> composeClick();

// Mono 16-bit PCM RIFF/WAVE with just a "fmt " and a "data" chunk.
Bytes encodeWav(const std::vector<std::int16_t>& samples, int sampleRate);

} // namespace hop::tools
