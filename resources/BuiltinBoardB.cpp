// The background of Board B: a sunken white field ruled with red lines.
#include "resources/BuiltinPictures.h"
#include "resources/BuiltinPixels.h"
#include "resources/LineDrawing.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <utility>

namespace hop::resources {
namespace {

constexpr int kWidth = 473;
constexpr int kHeight = 253;

constexpr QRgb kBlack = qRgb(0, 0, 0);
constexpr QRgb kDarkGrey = qRgb(128, 128, 128);
constexpr QRgb kLightGrey = qRgb(192, 192, 192);
constexpr QRgb kWhite = qRgb(255, 255, 255);
constexpr QRgb kRed = qRgb(255, 0, 0);

// The frame's outer rectangle; outside it (left and top) is plain light grey margin.
constexpr int kFrameLeft = 14;
constexpr int kFrameTop = 6;
constexpr int kFrameRight = kWidth - 1;
constexpr int kFrameBottom = kHeight - 1;

// Lines of the sunken frame, outermost first.
constexpr QRgb kTopLeftLines[] = {kBlack, kBlack, kDarkGrey, kDarkGrey, kLightGrey};
constexpr QRgb kBottomRightLines[] = {kBlack, kBlack, kLightGrey, kLightGrey};
constexpr int kTopLeftDepth = std::size(kTopLeftLines);
constexpr int kBottomRightDepth = std::size(kBottomRightLines);

// The white field inside the frame, inclusive.
constexpr int kFieldLeft = kFrameLeft + kTopLeftDepth;        // 19
constexpr int kFieldTop = kFrameTop + kTopLeftDepth;          // 11
constexpr int kFieldRight = kFrameRight - kBottomRightDepth;  // 468
constexpr int kFieldBottom = kFrameBottom - kBottomRightDepth;  // 248

// The board's lines; their crossings are where the hole centres are.
constexpr QPoint kApex(242, 26);
constexpr QPoint kBaseLeft(42, 228);
constexpr QPoint kBaseRight(445, 228);
constexpr int kBaseThickness = 2;
constexpr int kRows[] = {69, 109, 149, 189};
constexpr int kColumns[] = {124, 204, 285, 364};

// Which frame line a pixel belongs to: the nearer of the two edge pairs, so the
// corners are mitred along the diagonal. The top-left corner is all top/left
// lines and the bottom-right all bottom/right lines (each pair shares colours
// at equal depth, so nothing there depends on the tie). At the top-right and
// bottom-left corners a pixel exactly on the diagonal goes to the bottom/right
// line, as in the classic sunken border where the lit edges run the full length
// of their side; the two outer black rings are unaffected by this choice.
QRgb frameColour(int x, int y)
{
    const int topLeft = std::min(y - kFrameTop, x - kFrameLeft);
    const int bottomRight = std::min(kFrameRight - x, kFrameBottom - y);
    if (bottomRight < kBottomRightDepth && bottomRight <= topLeft)
        return kBottomRightLines[bottomRight];
    return kTopLeftLines[topLeft];
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
    auto red = [&image](int x, int y) { image.setPixel(x, y, kRed); };

    Side left;
    Side right;
    drawLine(kApex.x(), kApex.y(), kBaseLeft.x(), kBaseLeft.y(), [&](int x, int y) { red(x, y); left.add(x, y); });
    drawLine(kApex.x(), kApex.y(), kBaseRight.x(), kBaseRight.y(), [&](int x, int y) { red(x, y); right.add(x, y); });

    for (int row = 0; row < kBaseThickness; ++row)
        for (int x = kBaseLeft.x(); x <= kBaseRight.x(); ++x)
            red(x, kBaseLeft.y() + row);

    // From the outer pixel of one side to the outer pixel of the other, so a
    // side that is two pixels wide on this row is covered, not overshot.
    for (int y : kRows) {
        const int from = left.xSpanOfRow.at(y).first;
        const int to = right.xSpanOfRow.at(y).second;
        for (int x = from; x <= to; ++x)
            red(x, y);
    }

    // Down from the side to the bottom row of the base.
    for (int x : kColumns) {
        const Side& side = x < kApex.x() ? left : right;
        const int from = side.topOfColumn.at(x);
        for (int y = from; y < kBaseLeft.y() + kBaseThickness; ++y)
            red(x, y);
    }
}

QImage nominalBoardB()
{
    QImage image = pixels::canvas(kWidth, kHeight, kLightGrey);
    for (int y = kFrameTop; y <= kFrameBottom; ++y) {
        for (int x = kFrameLeft; x <= kFrameRight; ++x) {
            const bool inField =
                x >= kFieldLeft && x <= kFieldRight && y >= kFieldTop && y <= kFieldBottom;
            image.setPixel(x, y, inField ? kWhite : frameColour(x, y));
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
