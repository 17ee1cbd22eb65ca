// The background of the triangular Board B: a sunken white field ruled with red lines.
#include "resources/BuiltinPictures.h"
#include "resources/BuiltinPixels.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <map>
#include <utility>

namespace hop::resources {
namespace {

constexpr int Width = 473;
constexpr int Height = 253;

constexpr QRgb Black = qRgb(0, 0, 0);
constexpr QRgb DarkGrey = qRgb(128, 128, 128);
constexpr QRgb LightGrey = qRgb(192, 192, 192);
constexpr QRgb White = qRgb(255, 255, 255);
constexpr QRgb Red = qRgb(255, 0, 0);

// The frame's outer rectangle; outside it (left and top) is plain light grey margin.
constexpr int FrameLeft = 14;
constexpr int FrameTop = 6;
constexpr int FrameRight = Width - 1;
constexpr int FrameBottom = Height - 1;

// Lines of the sunken frame, outermost first.
constexpr QRgb TopLeftLines[] = {Black, Black, DarkGrey, DarkGrey, LightGrey};
constexpr QRgb BottomRightLines[] = {Black, Black, LightGrey, LightGrey};
constexpr int TopLeftDepth = std::size(TopLeftLines);
constexpr int BottomRightDepth = std::size(BottomRightLines);

// The white field inside the frame, inclusive.
constexpr int FieldLeft = FrameLeft + TopLeftDepth;        // 19
constexpr int FieldTop = FrameTop + TopLeftDepth;          // 11
constexpr int FieldRight = FrameRight - BottomRightDepth;  // 468
constexpr int FieldBottom = FrameBottom - BottomRightDepth;  // 248

// The board's lines; their crossings are where the hole centres are.
constexpr QPoint Apex(242, 26);
constexpr QPoint BaseLeft(42, 228);
constexpr QPoint BaseRight(445, 228);
constexpr int BaseThickness = 2;
constexpr int Rows[] = {69, 109, 149, 189};
constexpr int Columns[] = {124, 204, 285, 364};

// Which frame line a pixel belongs to: the nearer of the two edge pairs, so the
// corners are mitred along the diagonal. The top-left corner is all top/left
// lines and the bottom-right all bottom/right lines (each pair shares colours
// at equal depth, so nothing there depends on the tie). At the top-right and
// bottom-left corners a pixel exactly on the diagonal goes to the bottom/right
// line, as in the classic sunken border where the lit edges run the full length
// of their side; the two outer black rings are unaffected by this choice.
QRgb frameColour(int x, int y)
{
    const int topLeft = std::min(y - FrameTop, x - FrameLeft);
    const int bottomRight = std::min(FrameRight - x, FrameBottom - y);
    if (bottomRight < BottomRightDepth && bottomRight <= topLeft)
        return BottomRightLines[bottomRight];
    return TopLeftLines[topLeft];
}

// Integer Bresenham, plotting every pixel in order from `from` to `to`, both included.
template <class Plot>
void bresenham(QPoint from, QPoint to, Plot plot)
{
    int x = from.x();
    int y = from.y();
    const int dx = std::abs(to.x() - x);
    const int dy = -std::abs(to.y() - y);
    const int sx = x < to.x() ? 1 : -1;
    const int sy = y < to.y() ? 1 : -1;
    int error = dx + dy;
    for (;;) {
        plot(x, y);
        if (x == to.x() && y == to.y())
            return;
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x += sx;
        }
        if (twice <= dx) {
            error += dx;
            y += sy;
        }
    }
}

// The pixels of one side of the triangle, looked up by row or by column so the
// ruled lines start exactly on the side rather than near it.
struct Side {
    std::map<int, std::pair<int, int>> xSpanOfRow;  // row -> leftmost, rightmost x
    std::map<int, int> topOfColumn;                  // column -> smallest y

    void add(int x, int y)
    {
        auto [row, newRow] = xSpanOfRow.try_emplace(y, x, x);
        if (!newRow) {
            row->second.first = std::min(row->second.first, x);
            row->second.second = std::max(row->second.second, x);
        }
        auto [column, newColumn] = topOfColumn.try_emplace(x, y);
        if (!newColumn)
            column->second = std::min(column->second, y);
    }
};

void drawBoardLines(QImage& image)
{
    auto red = [&image](int x, int y) { image.setPixel(x, y, Red); };

    Side left;
    Side right;
    bresenham(Apex, BaseLeft, [&](int x, int y) { red(x, y); left.add(x, y); });
    bresenham(Apex, BaseRight, [&](int x, int y) { red(x, y); right.add(x, y); });

    for (int row = 0; row < BaseThickness; ++row)
        for (int x = BaseLeft.x(); x <= BaseRight.x(); ++x)
            red(x, BaseLeft.y() + row);

    // From the outer pixel of one side to the outer pixel of the other, so a
    // side that is two pixels wide on this row is covered, not overshot.
    for (int y : Rows) {
        const int from = left.xSpanOfRow.at(y).first;
        const int to = right.xSpanOfRow.at(y).second;
        for (int x = from; x <= to; ++x)
            red(x, y);
    }

    // Down from the side to the bottom row of the base.
    for (int x : Columns) {
        const Side& side = x < Apex.x() ? left : right;
        const int from = side.topOfColumn.at(x);
        for (int y = from; y < BaseLeft.y() + BaseThickness; ++y)
            red(x, y);
    }
}

QImage nominalBoardB()
{
    QImage image = pixels::canvas(Width, Height, LightGrey);
    for (int y = FrameTop; y <= FrameBottom; ++y) {
        for (int x = FrameLeft; x <= FrameRight; ++x) {
            const bool inField =
                x >= FieldLeft && x <= FieldRight && y >= FieldTop && y <= FieldBottom;
            image.setPixel(x, y, inField ? White : frameColour(x, y));
        }
    }
    drawBoardLines(image);
    return image;
}

}  // namespace

QImage boardBBackground(int scale)
{
    // Built once: it is exact and never changes, and boards are redrawn often.
    static const QImage nominal = nominalBoardB();
    return pixels::repeated(nominal, scale);
}

} // namespace hop::resources
