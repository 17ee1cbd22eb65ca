// Draws the two pictures: the background of Board A and the playing piece.
#include "game_files.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <initializer_list>

namespace hopstone::tools {

namespace {

// Board A's holes in the screen's layout units (twips): the upper-left corner
// of each 405-twip square cell. Hole 1 sits 30 twips left of the axis of the
// rows below it; that is how the board has always been laid out, so its two
// lines bend very slightly there.
struct Cell {
    int left;
    int top;
};

constexpr std::array<Cell, 21> kHoles{{
    {2250, 240},
    {1920, 840}, {2640, 840},
    {1560, 1440}, {2280, 1440}, {3000, 1440},
    {1200, 2040}, {1920, 2040}, {2640, 2040}, {3360, 2040},
    {840, 2640}, {1560, 2640}, {2280, 2640}, {3000, 2640}, {3720, 2640},
    {480, 3240}, {1200, 3240}, {1920, 3240}, {2640, 3240}, {3360, 3240}, {4080, 3240},
}};

// Only lines of three or more holes can carry a jump, so the two-hole pairs
// 2-3, 11-17 and 15-20 stay undrawn.
const std::initializer_list<std::initializer_list<int>> kLines{
    {4, 5, 6},
    {7, 8, 9, 10},
    {11, 12, 13, 14, 15},
    {16, 17, 18, 19, 20, 21},
    {1, 2, 4, 7, 11, 16},
    {3, 5, 8, 12, 17},
    {6, 9, 13, 18},
    {10, 14, 19},
    {1, 3, 6, 10, 15, 21},
    {2, 5, 9, 14, 20},
    {4, 8, 13, 19},
    {7, 12, 18},
};

constexpr int kBoardWidth = 329;
constexpr int kBoardHeight = 314;

// The white field, inclusive. The window puts its buttons above y = 17 and
// below y = 268, so the frame stays clear of both while every hole keeps
// at least a cell's radius of white around it.
constexpr int kFieldLeft = 10;
constexpr int kFieldTop = 10;
constexpr int kFieldRight = 318;
constexpr int kFieldBottom = 254;

struct Point {
    int x;
    int y;
};

// Centre of a 405-twip cell at 15 twips per pixel, floored so that every
// centre lands on a whole pixel and crossing lines meet on it.
Point holeCentre(int hole)
{
    const Cell& cell = kHoles[static_cast<std::size_t>(hole - 1)];
    return {(2 * cell.left + 405) / 30, (2 * cell.top + 405) / 30};
}

// Classic sunken border: shadow on the upper-left edges, light on the lower-right.
void drawSunkenFrame(Picture& picture)
{
    const int outerLeft = kFieldLeft - 2;
    const int outerTop = kFieldTop - 2;
    const int outerRight = kFieldRight + 2;
    const int outerBottom = kFieldBottom + 2;

    picture.fillRect(outerLeft, outerTop, outerRight - 1, outerTop, kDarkGrey);
    picture.fillRect(outerLeft, outerTop, outerLeft, outerBottom - 1, kDarkGrey);
    picture.fillRect(outerLeft + 1, outerTop + 1, outerRight - 2, outerTop + 1, kBlack);
    picture.fillRect(outerLeft + 1, outerTop + 1, outerLeft + 1, outerBottom - 2, kBlack);

    picture.fillRect(outerLeft, outerBottom, outerRight, outerBottom, kWhite);
    picture.fillRect(outerRight, outerTop, outerRight, outerBottom, kWhite);
    picture.fillRect(outerLeft + 1, outerBottom - 1, outerRight - 1, outerBottom - 1, kPaleGrey);
    picture.fillRect(outerRight - 1, outerTop + 1, outerRight - 1, outerBottom - 1, kPaleGrey);
}

std::uint8_t toByte(double value)
{
    return static_cast<std::uint8_t>(std::lround(std::clamp(value, 0.0, 255.0)));
}

} // namespace

Picture drawBoardA()
{
    Picture picture(kBoardWidth, kBoardHeight, kLightGrey);
    drawSunkenFrame(picture);
    picture.fillRect(kFieldLeft, kFieldTop, kFieldRight, kFieldBottom, kWhite);

    // Segment by segment rather than end to end, so each line passes exactly
    // through every hole it links even where the holes are not collinear.
    for (const auto& holes : kLines) {
        const int* previous = nullptr;
        for (const int& hole : holes) {
            if (previous) {
                const Point a = holeCentre(*previous);
                const Point b = holeCentre(hole);
                picture.line(a.x, a.y, b.x, b.y, kRed);
            }
            previous = &hole;
        }
    }
    return picture;
}

// The cell is stretched over a hole, so the stone nearly fills it. Its corners
// are white like the boards' fields, so a piece sits on the board without a box.
Picture drawPiece()
{
    constexpr int kSize = 48;
    constexpr double kCentre = kSize / 2.0;
    constexpr double kRadius = kSize / 2.0 - 0.5;
    constexpr double kBase[3] = {176.0, 72.0, 40.0}; // warm terracotta

    // Light from the upper left and somewhat in front of the board.
    const double lightLength = std::sqrt(0.45 * 0.45 + 0.55 * 0.55 + 0.7 * 0.7);
    const double lx = -0.45 / lightLength;
    const double ly = -0.55 / lightLength;
    const double lz = 0.7 / lightLength;
    // Half-way vector between the light and the viewer, for the highlight.
    const double hLength = std::sqrt(lx * lx + ly * ly + (lz + 1.0) * (lz + 1.0));
    const double hx = lx / hLength;
    const double hy = ly / hLength;
    const double hz = (lz + 1.0) / hLength;

    Picture picture(kSize, kSize, kWhite);
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const double nx = (x + 0.5 - kCentre) / kRadius;
            const double ny = (y + 0.5 - kCentre) / kRadius;
            const double d2 = nx * nx + ny * ny;
            if (d2 > 1.0)
                continue;
            const double nz = std::sqrt(1.0 - d2);
            const double diffuse = std::max(0.0, nx * lx + ny * ly + nz * lz);
            const double gloss = std::pow(std::max(0.0, nx * hx + ny * hy + nz * hz), 60.0);
            const double shade = 0.30 + 0.85 * diffuse;
            Rgb colour{toByte(kBase[0] * shade + 255.0 * gloss),
                       toByte(kBase[1] * shade + 255.0 * gloss),
                       toByte(kBase[2] * shade + 255.0 * gloss)};
            picture.set(x, y, colour);
        }
    }
    return picture;
}

} // namespace hopstone::tools
