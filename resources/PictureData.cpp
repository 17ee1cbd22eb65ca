// Qt's BMP, GIF and XBM readers hand back a picture "successfully" when the data runs
// out (the missing rows black or grey) or names colours its palette does not have, and
// its JPEG reader invents the end marker of a file cut at its very end, so for these
// the file's own structure is walked.
#include "resources/PictureData.h"

#include <QList>
#include <QSet>

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
    qint64 offset = 0, width = 0, height = 0, bits = 0, compression = 0, colours = 0;
    // Whether a pixel may name this palette entry.
    bool inPalette(int index) const { return bits > 8 || index < colours; }
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
        h->colours = qint64(1) << qMin<qint64>(h->bits, 8);
        return true;
    }
    if (b.size() < 34)
        return false;
    h->width = le32(b, 18);
    h->height = qAbs(le32(b, 22));
    h->bits = le16(b, 28);
    h->compression = quint32(le32(b, 30));
    const qint64 used = b.size() >= 50 ? quint32(le32(b, 46)) : 0;
    h->colours = used > 0 && h->bits <= 8 ? used : qint64(1) << qMin<qint64>(h->bits, 8);
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

// Runs of RLE8 (two pixels a byte in RLE4) must stay inside their row (and its
// padding) and the picture, name colours of the palette, and reach the end-of-bitmap mark.
DataFault rleWholeness(const QByteArray& b, const BmpHeader& h)
{
    const bool four = h.compression == 2;
    qint64 at = h.offset, x = 0, y = 0;
    // Encoders fill rows out to whole 32-bit words, as uncompressed rows are stored.
    const qint64 rowRoom = (h.width * h.bits + 31) / 32 * 32 / h.bits;
    auto run = [&](qint64 pixels) { return y < h.height && x + pixels <= rowRoom; };
    auto named = [&](int byte, qint64 pixels) {
        return four ? h.inPalette(byte >> 4) && (pixels < 2 || h.inPalette(byte & 15)) : h.inPalette(byte);
    };
    while (at + 2 <= b.size()) {
        const int count = u8(b, at), value = u8(b, at + 1);
        at += 2;
        if (count > 0) {
            if (!run(count) || !named(value, count))
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
            if (x > rowRoom || y > h.height)
                return DataFault::Broken;
        } else {  // `value` pixels written out, padded to a 16-bit boundary
            if (!run(value))
                return DataFault::Broken;
            for (qint64 i = 0; i < value && at + (four ? i / 2 : i) < b.size(); i += four ? 2 : 1)
                if (!named(u8(b, at + (four ? i / 2 : i)), value - i))
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
    if (h.offset + stride * h.height > b.size())
        return DataFault::CutShort;
    if (h.bits <= 8 && h.colours < (1 << h.bits)) {
        for (qint64 y = 0; y < h.height; ++y) {
            for (qint64 x = 0; x < h.width; ++x) {
                const qint64 bit = x * h.bits;
                const int byte = u8(b, h.offset + y * stride + bit / 8);
                if (!h.inPalette(byte >> (8 - h.bits - bit % 8) & ((1 << h.bits) - 1)))
                    return DataFault::Broken;
            }
        }
    }
    return DataFault::None;
}

// The largest colour index a frame's LZW codes name (every pixel comes from one of the
// codes below the clear code), or 4096 for a code that no table could hold yet. `at`
// is the frame's code size, its sub-blocks follow.
int gifMaxIndex(const QByteArray& b, qint64 at)
{
    const int minimum = u8(b, at++);
    if (minimum < 1 || minimum > 11)
        return 4096;
    const int clear = 1 << minimum;
    int width = minimum + 1, next = clear + 2, most = 0;
    bool first = true;
    quint32 bits = 0;
    int held = 0;
    qint64 blockEnd = at;
    for (;;) {
        while (held < width) {
            if (at == blockEnd) {
                if (at >= b.size() || u8(b, at) == 0)
                    return most;
                blockEnd = at + 1 + u8(b, at);
                ++at;
            }
            if (at >= b.size())
                return most;
            bits |= quint32(u8(b, at++)) << held;
            held += 8;
        }
        const int code = int(bits & ((1u << width) - 1));
        bits >>= width;
        held -= width;
        if (code == clear) {
            width = minimum + 1;
            next = clear + 2;
            first = true;
            continue;
        }
        if (code == clear + 1)
            return most;
        if (code < clear)
            most = qMax(most, code);
        else if (first || code > next)
            return 4096;
        if (!first && next < 4096 && ++next == 1 << width && width < 12)
            ++width;
        first = false;
    }
}

// Every block's chain of sub-blocks must end inside the file, and the trailer follow.
DataFault gifWholeness(const QByteArray& b)
{
    auto skipTable = [&](qint64 at, int flags) { return (flags & 0x80) ? at + (3 << ((flags & 7) + 1)) : at; };
    if (b.size() < 13)
        return DataFault::CutShort;
    const QSize screen(int(le16(b, 6)), int(le16(b, 8)));
    const int globalTable = (u8(b, 10) & 0x80) ? 2 << (u8(b, 10) & 7) : 0;
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
            // A frame must lie on the picture, and its pixels name colours of its table.
            if ((screen.width() > 0 && le16(b, at + 1) + le16(b, at + 5) > screen.width()) ||
                (screen.height() > 0 && le16(b, at + 3) + le16(b, at + 7) > screen.height()))
                return DataFault::Broken;
            const int flags = u8(b, at + 9);
            const int table = (flags & 0x80) ? 2 << (flags & 7) : globalTable;
            at = skipTable(at + 10, flags) + 1;
            if (at <= b.size() && table > 0 && gifMaxIndex(b, at - 1) >= table)
                return DataFault::Broken;
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

// The values between the braces must fill every row the defined size has.
DataFault xbmWholeness(const QByteArray& b)
{
    auto defined = [&](const char* what) {
        qint64 at = b.indexOf(what);
        return at < 0 ? -1 : pnmNumber(b, &(at += qstrlen(what)));
    };
    const qint64 open = b.indexOf('{'), close = b.indexOf('}', open);
    if (open < 0 || close < 0)
        return DataFault::CutShort;
    const qint64 width = defined("_width"), height = defined("_height");
    const qint64 values = b.mid(open, close - open).count("0x") + b.mid(open, close - open).count("0X");
    return width < 0 || height < 0 || values >= (width + 7) / 8 * height ? DataFault::None : DataFault::CutShort;
}

// No sample may exceed the largest value the header allows: Qt's reader wraps it round.
DataFault pnmWholeness(const QByteArray& b)
{
    qint64 at = 2;
    const qint64 width = pnmNumber(b, &at), height = pnmNumber(b, &at);
    const bool bitmap = b[1] == '1' || b[1] == '4';
    const qint64 most = bitmap ? 1 : pnmNumber(b, &at);
    if (bitmap || width < 0 || height < 0 || most <= 0 || most == 255 || most == 65535)
        return DataFault::None;
    const qint64 samples = width * height * (b[1] == '3' || b[1] == '6' ? 3 : 1);
    const int bytes = most > 255 ? 2 : 1;
    const qint64 raw = at + 1;  // after the one white-space character that ends the header
    for (qint64 i = 0; i < samples; ++i) {
        const qint64 p = raw + i * bytes;
        const qint64 value = b[1] <= '3'           ? pnmNumber(b, &at)
                             : p + bytes > b.size() ? -1
                             : bytes == 1           ? u8(b, p)
                                                    : u8(b, p) << 8 | u8(b, p + 1);
        if (value < 0)
            return DataFault::None;  // the reader refuses data that ends early itself
        if (value > most)
            return DataFault::Broken;
    }
    return DataFault::None;
}

// Every pixel must name one of the colours defined before it; Qt's reader takes an
// unknown one for the first colour.
DataFault xpmWholeness(const QByteArray& b)
{
    QList<QByteArray> strings;
    for (qint64 at = b.indexOf('"'), end; at >= 0 && (end = b.indexOf('"', at + 1)) > 0; at = b.indexOf('"', end + 1))
        strings << b.mid(at + 1, end - at - 1);
    const QList<QByteArray> head = strings.value(0).simplified().split(' ');
    const int width = head.value(0).toInt(), height = head.value(1).toInt(), colours = head.value(2).toInt();
    const int perPixel = head.value(3).toInt();
    if (perPixel <= 0 || colours < 0 || height < 0 || strings.size() < 1 + colours + height)
        return DataFault::None;
    QSet<QByteArray> keys;
    for (int i = 1; i <= colours; ++i)
        keys.insert(strings[i].left(perPixel));
    for (int y = 0; y < height; ++y)
        for (qint64 x = 0; x < width; ++x)
            if (!keys.contains(strings[1 + colours + y].mid(x * perPixel, perPixel)))
                return DataFault::Broken;
    return DataFault::None;
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
        return xbmWholeness(bytes);
    if (format == "xpm")
        return xpmWholeness(bytes);
    if (format == "pbm" || format == "pgm" || format == "ppm")
        return pnmWholeness(bytes);
    return DataFault::None;
}

} // namespace hop::resources
