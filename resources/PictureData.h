// What a picture file's own bytes say, for the formats whose Qt readers keep quiet
// about data that ends early or contradicts itself, or allocate more than the size they
// report: the size a header claims, whether the data is whole and consistent, and what
// of it a reader must not be handed.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

#include <optional>

namespace hop::resources {

enum class DataFault { None, CutShort, Broken };

struct Claim {
    QSize size;             // invalid where the bytes are none of the formats read here
    int bytesPerPixel = 4;  // what decoding takes per pixel: the picture, and any buffer the decoder keeps beside it
    qint64 pixels() const { return qint64(qMax(size.width(), 0)) * qMax(size.height(), 0); }
    bool fitsIn(qint64 bytes) const { return pixels() <= bytes / bytesPerPixel; }
};

// The size a BMP, GIF, ICO, JPEG, PNG or PNM header claims, read without any decoder:
// Qt's readers reject such headers as "not a picture" when they are merely too large,
// and some report a smaller size than they then allocate (a GIF's frame, not its screen;
// an icon's directory entry, not its bitmap).
Claim claimedSize(const QByteArray& bytes);

// Checks, before any decoder sees them, that the bytes hold all the data of a picture
// and nothing that contradicts it. `format` is the reader's name for it ("bmp", "gif",
// "ico", "jpeg", "png", "xbm", "xpm", "pbm", "pgm", "ppm"); others pass. Takes time in
// proportion to the bytes, whatever size they claim.
DataFault wholeness(const QByteArray& format, const QByteArray& bytes);

// Takes out of a PNG the chunks the game never shows (text, colour profile): libpng
// allocates what they claim, and inflates what they compress, without a limit.
void dropUnshownChunks(QByteArray* png);

// A run-length BMP, decoded here: it may skip pixels (a move, or an end of line or of
// the bitmap before the end), which Qt's reader leaves unset; they take the first
// colour of the palette. Nothing for a file that is no run-length BMP, a null picture
// for one that is not whole.
std::optional<QImage> decodeRunLength(const QByteArray& bmp);

} // namespace hop::resources
