// Draws the two pictures: the background of Board A and the playing piece.
#include "game_files.h"

#include "board/BoardLayout.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace hop::tools {

namespace {

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
    const hop::board::HoleRect& cell = hop::board::BoardLayout::boardA().cell(hole);
    return {(2 * cell.left + cell.width) / 30, (2 * cell.top + cell.height) / 30};
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
    // through every hole it links even where the holes are not collinear (hole 1
    // sits 30 twips off the axis of the rows below it). Only lines that carry a
    // jump are drawn, so the two-hole pairs 2-3, 11-17 and 15-20 stay undrawn.
    for (const hop::board::JumpLine& jump : hop::board::BoardLayout::boardA().lines()) {
        for (const auto& [from, to] : {std::pair{jump.from, jump.over}, std::pair{jump.over, jump.to}}) {
            const Point a = holeCentre(from);
            const Point b = holeCentre(to);
            picture.line(a.x, a.y, b.x, b.y, kRed);
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

} // namespace hop::tools
