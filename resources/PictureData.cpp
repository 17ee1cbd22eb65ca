// Qt's BMP, GIF and XBM readers hand back a picture "successfully" when the data runs
// out (the missing rows black or grey), and its JPEG reader invents the end marker of
// a file cut at its very end, so for these the file's own structure is walked.
#include "resources/PictureData.h"

#include <QList>

#include <climits>

namespace hop::resources {

namespace {

int u8(const QByteArray& b, qint64 at)
{
    return quint8(b[at]);
}

qint64 le16(const QByteArray& b, qint64 at)
{
    return u8(b, at) | u8(b, at + 1) << 8;
}

qint64 le32(const QByteArray& b, qint64 at)
{
    return qint32(quint32(le16(b, at)) | quint32(le16(b, at + 2)) << 16);
}

qint64 be32(const QByteArray& b, qint64 at)
{
    return qint64(u8(b, at)) << 24 | u8(b, at + 1) << 16 | u8(b, at + 2) << 8 | u8(b, at + 3);
}

QSize sizeOf(qint64 w, qint64 h)
{
    return QSize(int(qBound(qint64(0), w, qint64(INT_MAX))), int(qBound(qint64(0), qAbs(h), qint64(INT_MAX))));
}

struct BmpHeader {
    qint64 offset = 0, width = 0, height = 0, bits = 0, compression = 0;
};

bool readBmpHeader(const QByteArray& b, BmpHeader* h)
{
    if (b.size() < 26 || !b.startsWith("BM"))
        return false;
    h->offset = quint32(le32(b, 10));
    if (le32(b, 14) == 12) {  // the old OS/2 header, 16-bit sizes
        h->width = le16(b, 18);
        h->height = le16(b, 20);
        h->bits = le16(b, 24);
        return true;
    }
    if (b.size() < 34)
        return false;
    h->width = le32(b, 18);
    h->height = qAbs(le32(b, 22));
    h->bits = le16(b, 28);
    h->compression = quint32(le32(b, 30));
    return true;
}

qint64 pnmNumber(const QByteArray& b, qint64* at)
{
    while (*at < b.size() && (QChar::isSpace(u8(b, *at)) || b[*at] == '#')) {
        if (b[*at] == '#')
            while (*at < b.size() && b[*at] != '\n')
                ++*at;
        else
            ++*at;
    }
    qint64 n = -1;
    for (; *at < b.size() && b[*at] >= '0' && b[*at] <= '9'; ++*at)
        n = qMin<qint64>(qMax<qint64>(n, 0) * 10 + (b[*at] - '0'), INT_MAX);
    return n;
}

// Runs of RLE8 (two pixels a byte in RLE4) must stay inside their row and the
// picture, and the data must reach its end-of-bitmap mark.
DataFault rleWholeness(const QByteArray& b, const BmpHeader& h)
{
    const bool four = h.compression == 2;
    qint64 at = h.offset, x = 0, y = 0;
    auto run = [&](qint64 pixels) { return y < h.height && x + pixels <= h.width; };
    while (at + 2 <= b.size()) {
        const int count = u8(b, at), value = u8(b, at + 1);
        at += 2;
        if (count > 0) {
            if (!run(count))
                return DataFault::Broken;
            x += count;
        } else if (value == 0) {  // end of line
            x = 0;
            if (++y > h.height)
                return DataFault::Broken;
        } else if (value == 1) {  // end of bitmap
            return DataFault::None;
        } else if (value == 2) {  // move right and down
            if (at + 2 > b.size())
                return DataFault::CutShort;
            x += u8(b, at);
            y += u8(b, at + 1);
            at += 2;
            if (x > h.width || y > h.height)
                return DataFault::Broken;
        } else {  // `value` pixels written out, padded to a 16-bit boundary
            if (!run(value))
                return DataFault::Broken;
            x += value;
            at += ((four ? (value + 1) / 2 : value) + 1) & ~1;
        }
    }
    return DataFault::CutShort;
}

DataFault bmpWholeness(const QByteArray& b)
{
    BmpHeader h;
    if (!readBmpHeader(b, &h) || h.width <= 0 || !QList<qint64>{1, 2, 4, 8, 16, 24, 32}.contains(h.bits))
        return DataFault::Broken;
    if ((h.compression == 1 && h.bits == 8) || (h.compression == 2 && h.bits == 4))
        return rleWholeness(b, h);
    if (h.compression != 0 && h.compression != 3 && h.compression != 6)
        return DataFault::None;  // an embedded JPEG or PNG speaks for itself
    const qint64 stride = ((h.width * h.bits + 31) / 32) * 4;
    return h.offset + stride * h.height <= b.size() ? DataFault::None : DataFault::CutShort;
}

// Every block's chain of sub-blocks must end inside the file, and the trailer follow.
DataFault gifWholeness(const QByteArray& b)
{
    auto skipTable = [&](qint64 at, int flags) { return (flags & 0x80) ? at + (3 << ((flags & 7) + 1)) : at; };
    if (b.size() < 13)
        return DataFault::CutShort;
    qint64 at = skipTable(13, u8(b, 10));
    while (at < b.size()) {
        const int block = u8(b, at);
        if (block == 0x3B)
            return DataFault::None;
        if (block == 0x21) {  // extension: label, then sub-blocks
            at += 2;
        } else if (block == 0x2C) {  // image: descriptor, colour table, code size, sub-blocks
            if (at + 10 > b.size())
                return DataFault::CutShort;
            at = skipTable(at + 10, u8(b, at + 9)) + 1;
        } else {
            return DataFault::Broken;
        }
        while (at < b.size() && u8(b, at) != 0)
            at += 1 + u8(b, at);
        ++at;
    }
    return DataFault::CutShort;
}

// The end marker must follow the first scan. Entropy-coded data never holds FF D9,
// but a thumbnail in a header segment does, so the segments are skipped by length.
DataFault jpegWholeness(const QByteArray& b)
{
    qint64 at = 2;
    while (at + 4 <= b.size() && u8(b, at) == 0xFF && u8(b, at + 1) != 0xDA)
        at += u8(b, at + 1) == 0xFF ? 1 : 2 + (u8(b, at + 2) << 8 | u8(b, at + 3));
    return b.indexOf("\xFF\xD9", at) > 0 ? DataFault::None : DataFault::CutShort;
}

} // namespace

QSize claimedSize(const QByteArray& b)
{
    BmpHeader bmp;
    if (readBmpHeader(b, &bmp))
        return sizeOf(bmp.width, bmp.height);
    if (b.size() >= 24 && b.startsWith("\x89PNG\r\n\x1a\n") && b.mid(12, 4) == "IHDR")
        return sizeOf(be32(b, 16), be32(b, 20));
    if (b.size() >= 3 && b[0] == 'P' && b[1] >= '1' && b[1] <= '6' && QChar::isSpace(u8(b, 2))) {
        qint64 at = 2;
        const qint64 w = pnmNumber(b, &at);
        const qint64 h = pnmNumber(b, &at);
        if (w >= 0 && h >= 0)
            return sizeOf(w, h);
    }
    return QSize();
}

DataFault wholeness(const QByteArray& format, const QByteArray& bytes)
{
    if (format == "bmp")
        return bmpWholeness(bytes);
    if (format == "gif")
        return gifWholeness(bytes);
    if (format == "jpeg")
        return jpegWholeness(bytes);
    if (format == "xbm")
        return bytes.indexOf('}', bytes.indexOf('{')) > 0 ? DataFault::None : DataFault::CutShort;
    return DataFault::None;
}

} // namespace hop::resources
