// Qt's BMP, GIF and XBM readers hand back a picture "successfully" when the data runs
// out (the missing rows black or grey) or names colours its palette does not have, and
// its JPEG reader invents the end marker of a file cut at its very end, so for these
// the file's own structure is walked. Every walk moves forward through the bytes, and
// any count a header claims is checked against the bytes left before it is used.
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

// a × b for counts a header claims, which may be as large as 2^32 each.
qint64 times(qint64 a, qint64 b)
{
    return a > 0 && b > LLONG_MAX / a ? LLONG_MAX : a * b;
}

QSize sizeOf(qint64 w, qint64 h)
{
    return QSize(int(qBound(qint64(0), w, qint64(INT_MAX))), int(qBound(qint64(0), qAbs(h), qint64(INT_MAX))));
}

struct BmpHeader {
    qint64 offset = 0, width = 0, height = 0, bits = 0, compression = 0, colours = 0;
    bool topDown = false;
    qint64 palette = 0, dataStart = 0;  // where the palette begins, and the least offset the pixels may have
    // Whether a pixel may name this palette entry.
    bool inPalette(int index) const { return bits > 8 || index < colours; }
};

bool readBmpHeader(const QByteArray& b, BmpHeader* h)
{
    if (b.size() < 26 || !b.startsWith("BM"))
        return false;
    h->offset = quint32(le32(b, 10));
    const qint64 header = quint32(le32(b, 14));
    h->palette = 14 + header;
    if (header == 12) {  // the old OS/2 header, 16-bit sizes, three bytes a colour
        h->width = le16(b, 18);
        h->height = le16(b, 20);
        h->bits = le16(b, 24);
        h->colours = qint64(1) << qMin<qint64>(h->bits, 8);
        h->dataStart = h->palette + (h->bits <= 8 ? 3 * h->colours : 0);
        return true;
    }
    if (b.size() < 34)
        return false;
    h->width = le32(b, 18);
    h->height = qAbs(le32(b, 22));
    h->topDown = le32(b, 22) < 0;
    h->bits = le16(b, 28);
    h->compression = quint32(le32(b, 30));
    const qint64 used = b.size() >= 50 ? quint32(le32(b, 46)) : 0;
    h->colours = used > 0 && h->bits <= 8 ? used : qint64(1) << qMin<qint64>(h->bits, 8);
    // The colour masks follow the basic header when they are not part of it.
    const qint64 masks = header == 40 && h->compression == 3 ? 12 : header == 40 && h->compression == 6 ? 16 : 0;
    h->dataStart = h->palette + masks + (h->bits <= 8 ? 4 * h->colours : 0);
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
// padding) and the picture, name colours of the palette, and reach the end-of-bitmap
// mark. `paint(x, y, index)` is given every pixel the data sets, rows counted in the
// file's order (from the bottom); what a move or an early end passes over it never sees.
template <typename Paint>
DataFault rleWalk(const QByteArray& b, const BmpHeader& h, Paint paint)
{
    const bool four = h.compression == 2;
    qint64 at = h.offset, x = 0, y = 0;
    // Encoders fill rows out to whole 32-bit words, as uncompressed rows are stored.
    const qint64 rowRoom = (h.width * h.bits + 31) / 32 * 32 / h.bits;
    auto run = [&](qint64 pixels) { return y < h.height && x + pixels <= rowRoom; };
    // The i-th pixel of a run whose bytes are `byte(k)`.
    auto pixel = [&](auto byte, qint64 i) { return four ? (byte(i / 2) >> (i % 2 ? 0 : 4)) & 15 : byte(i); };
    if (h.topDown)
        return DataFault::Broken;  // run-length data is only ever stored from the bottom up
    while (at + 2 <= b.size()) {
        const int count = u8(b, at), value = u8(b, at + 1);
        at += 2;
        if (count > 0) {
            if (!run(count))
                return DataFault::Broken;
            for (qint64 i = 0; i < count; ++i) {
                const int index = pixel([&](qint64) { return value; }, i);
                if (!h.inPalette(index))
                    return DataFault::Broken;
                paint(x + i, y, index);
            }
            x += count;
        } else if (value == 0) {  // end of line
            if (y + 1 > h.height)
                return DataFault::Broken;
            x = 0;
            ++y;
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
            const qint64 bytes = four ? (value + 1) / 2 : value;
            if (!run(value))
                return DataFault::Broken;
            if (at + bytes > b.size())
                return DataFault::CutShort;
            for (qint64 i = 0; i < value; ++i) {
                const int index = pixel([&](qint64 k) { return u8(b, at + k); }, i);
                if (!h.inPalette(index))
                    return DataFault::Broken;
                paint(x + i, y, index);
            }
            x += value;
            at += (bytes + 1) & ~1;
        }
    }
    return DataFault::CutShort;
}

bool isRunLength(const BmpHeader& h)
{
    return (h.compression == 1 && h.bits == 8) || (h.compression == 2 && h.bits == 4);
}

DataFault bmpWholeness(const QByteArray& b)
{
    BmpHeader h;
    if (!readBmpHeader(b, &h) || h.width <= 0 || !QList<qint64>{1, 2, 4, 8, 16, 24, 32}.contains(h.bits))
        return DataFault::Broken;
    // A palette larger than its pixels can name, or pixel data that begins inside it.
    if ((h.bits <= 8 && h.colours > 1 << h.bits) || h.offset < h.dataStart)
        return DataFault::Broken;
    if (isRunLength(h))
        return rleWalk(b, h, [](qint64, qint64, int) {});
    if (h.compression != 0 && h.compression != 3 && h.compression != 6)
        return DataFault::None;  // an embedded JPEG or PNG speaks for itself
    const qint64 stride = ((h.width * h.bits + 31) / 32) * 4;
    if (h.offset > b.size() || times(stride, h.height) > b.size() - h.offset)
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

qint64 be16(const QByteArray& b, qint64 at)
{
    return u8(b, at) << 8 | u8(b, at + 1);
}

qint64 gifTableEnd(qint64 at, int flags)
{
    return (flags & 0x80) ? at + (3 << ((flags & 7) + 1)) : at;
}

// Where a chain of sub-blocks that starts at `at` ends, which may be past the file's end.
qint64 afterSubBlocks(const QByteArray& b, qint64 at)
{
    while (at < b.size() && u8(b, at) != 0)
        at += 1 + u8(b, at);
    return at + 1;
}

// Where the first image descriptor begins, or -1.
qint64 gifFirstFrame(const QByteArray& b)
{
    for (qint64 at = gifTableEnd(13, u8(b, 10)); at + 10 <= b.size(); at = afterSubBlocks(b, at + 2)) {
        if (u8(b, at) == 0x2C)
            return at;
        if (u8(b, at) != 0x21)
            break;
    }
    return -1;
}

// Every block's chain of sub-blocks must end inside the file, and the trailer follow.
DataFault gifWholeness(const QByteArray& b)
{
    if (b.size() < 13)
        return DataFault::CutShort;
    const QSize screen(int(le16(b, 6)), int(le16(b, 8)));
    const int globalTable = (u8(b, 10) & 0x80) ? 2 << (u8(b, 10) & 7) : 0;
    qint64 at = gifTableEnd(13, u8(b, 10));
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
            at = gifTableEnd(at + 10, flags) + 1;
            if (at <= b.size() && table > 0 && gifMaxIndex(b, at - 1) >= table)
                return DataFault::Broken;
        } else {
            return DataFault::Broken;
        }
        at = afterSubBlocks(b, at);
    }
    return DataFault::CutShort;
}

struct JpegHeader {
    qint64 width = -1, height = -1, components = 0;
    bool progressive = false;
    qint64 scan = -1;        // where the first scan's header begins
    qint64 scanComponents = 0;
    bool ended = false;      // the segments ran into the end of the file
};

// The segments before the first scan, skipped by their lengths: a thumbnail in one
// holds markers of its own.
JpegHeader readJpegHeader(const QByteArray& b)
{
    JpegHeader h;
    qint64 at = 2;
    while (at + 4 <= b.size() && u8(b, at) == 0xFF) {
        const int marker = u8(b, at + 1);
        if (marker == 0xFF) {
            ++at;
            continue;
        }
        if (marker == 0xDA) {
            h.scan = at;
            h.scanComponents = at + 4 < b.size() ? u8(b, at + 4) : 0;
            return h;
        }
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame && h.width < 0 && at + 10 <= b.size()) {
            h.height = be16(b, at + 5);
            h.width = be16(b, at + 7);
            h.components = u8(b, at + 9);
            h.progressive = (marker & 3) == 2;
        }
        at += 2 + be16(b, at + 2);
    }
    h.ended = at + 4 > b.size();
    return h;
}

// A frame header must come before the first scan, and the end marker after it.
DataFault jpegWholeness(const QByteArray& b)
{
    const JpegHeader h = readJpegHeader(b);
    if (h.scan < 0)
        return h.ended ? DataFault::CutShort : DataFault::Broken;
    if (h.width < 0)
        return DataFault::Broken;
    return b.indexOf("\xFF\xD9", h.scan) > 0 ? DataFault::None : DataFault::CutShort;
}

// Every chunk must end inside the file, and the end chunk come.
DataFault pngWholeness(const QByteArray& b)
{
    for (qint64 at = 8;;) {
        if (at + 12 > b.size())
            return DataFault::CutShort;
        const qint64 length = be32(b, at);
        if (length > 0x7FFFFFFF)
            return DataFault::Broken;
        if (length > b.size() - at - 12)
            return DataFault::CutShort;
        if (b.mid(at + 4, 4) == "IEND")
            return DataFault::None;
        at += 12 + length;
    }
}

struct IconEntry {
    qint64 width = 0, height = 0, bytes = 0, offset = 0;
};

// The first picture of an icon or cursor file, the one Qt's reader reads.
bool readIconEntry(const QByteArray& b, IconEntry* e)
{
    if (b.size() < 22 || le16(b, 0) != 0 || (le16(b, 2) != 1 && le16(b, 2) != 2) || le16(b, 4) == 0)
        return false;
    e->width = u8(b, 6) ? u8(b, 6) : 256;
    e->height = u8(b, 7) ? u8(b, 7) : 256;
    e->bytes = quint32(le32(b, 14));
    e->offset = quint32(le32(b, 18));
    return true;
}

bool holdsPng(const QByteArray& b, qint64 at = 0)
{
    return b.mid(at, 8) == "\x89PNG\r\n\x1a\n";
}

// The picture must lie in the file: a PNG whole, a bitmap with its palette, its
// colours and its mask.
DataFault icoWholeness(const QByteArray& b)
{
    IconEntry e;
    if (!readIconEntry(b, &e))
        return DataFault::Broken;
    if (e.offset > b.size() || e.bytes > b.size() - e.offset)
        return DataFault::CutShort;
    const QByteArray picture = b.mid(e.offset, e.bytes);
    if (holdsPng(picture))
        return pngWholeness(picture);
    if (picture.size() < 40)
        return DataFault::CutShort;
    const qint64 header = quint32(le32(picture, 0)), width = qAbs(le32(picture, 4)), height = qAbs(le32(picture, 8)) / 2;
    const qint64 bits = le16(picture, 14), used = quint32(le32(picture, 32));
    const qint64 colours = bits <= 8 ? (used > 0 ? used : qint64(1) << bits) : 0;
    const qint64 rows = times((width * qMin<qint64>(bits, 64) + 31) / 32 * 4 + (width + 31) / 32 * 4, height);
    return rows > picture.size() - header - 4 * colours ? DataFault::CutShort : DataFault::None;
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

// Every sample the header promises must be there, and none exceed the largest value it
// allows: Qt's reader wraps such a value round.
DataFault pnmWholeness(const QByteArray& b)
{
    if (b.size() < 3)
        return DataFault::CutShort;
    const char kind = b[1];
    qint64 at = 2;
    const qint64 width = pnmNumber(b, &at), height = pnmNumber(b, &at);
    const qint64 most = kind == '4' ? 1 : pnmNumber(b, &at);
    // The reader refuses what it cannot make sense of itself, and an ASCII bitmap's
    // pixels need no space between them.
    if (kind == '1' || width < 0 || height < 0 || most <= 0)
        return DataFault::None;
    const qint64 raw = at + 1;  // after the one white-space character that ends the header
    if (kind == '4')
        return times((width + 7) / 8, height) > b.size() - raw ? DataFault::CutShort : DataFault::None;
    const qint64 samples = times(times(width, height), kind == '3' || kind == '6' ? 3 : 1);
    const int bytes = most > 255 ? 2 : 1;
    if (kind >= '5' && times(samples, bytes) > b.size() - raw)
        return DataFault::CutShort;
    if (kind >= '5' && (most == 255 || most == 65535))
        return DataFault::None;
    for (qint64 i = 0; i < samples; ++i) {
        const qint64 value = kind <= '3' ? pnmNumber(b, &at)
                             : bytes == 1 ? u8(b, raw + i)
                                          : u8(b, raw + 2 * i) << 8 | u8(b, raw + 2 * i + 1);
        if (value < 0)
            return DataFault::CutShort;
        if (value > most)
            return DataFault::Broken;
    }
    return DataFault::None;
}

// Every row must be there, and every pixel name one of the colours defined before it;
// Qt's reader takes an unknown one for the first colour. Only what the file holds is
// walked, so a row too short for its width is the fault, not a long walk.
DataFault xpmWholeness(const QByteArray& b)
{
    QList<QByteArray> strings;
    for (qint64 at = b.indexOf('"'), end; at >= 0 && (end = b.indexOf('"', at + 1)) > 0; at = b.indexOf('"', end + 1))
        strings << b.mid(at + 1, end - at - 1);
    const QList<QByteArray> head = strings.value(0).simplified().split(' ');
    const qint64 width = head.value(0).toInt(), height = head.value(1).toInt(), colours = head.value(2).toInt();
    const qint64 perPixel = head.value(3).toInt();
    if (perPixel <= 0 || colours < 0 || height < 0 || width < 0)
        return DataFault::None;
    if (strings.size() < 1 + colours + height)
        return DataFault::CutShort;
    QSet<QByteArray> keys;
    for (qint64 i = 1; i <= colours; ++i)
        keys.insert(strings[i].left(perPixel));
    for (qint64 y = 0; y < height; ++y) {
        const QByteArray& row = strings[1 + colours + y];
        if (row.size() < width * perPixel)
            return DataFault::Broken;
        for (qint64 x = 0; x < width; ++x)
            if (!keys.contains(row.mid(x * perPixel, perPixel)))
                return DataFault::Broken;
    }
    return DataFault::None;
}

QSize larger(QSize a, qint64 w, qint64 h)
{
    return a.expandedTo(sizeOf(w, h));
}

} // namespace

Claim claimedSize(const QByteArray& b)
{
    BmpHeader bmp;
    if (readBmpHeader(b, &bmp))
        return {sizeOf(bmp.width, bmp.height)};
    if (b.size() >= 25 && holdsPng(b) && b.mid(12, 4) == "IHDR")
        return {sizeOf(be32(b, 16), be32(b, 20)), u8(b, 24) == 16 ? 8 : 4};
    if (b.size() >= 3 && b[0] == 'P' && b[1] >= '1' && b[1] <= '6' && QChar::isSpace(u8(b, 2))) {
        qint64 at = 2;
        const qint64 w = pnmNumber(b, &at);
        const qint64 h = pnmNumber(b, &at);
        const bool colour = b[1] == '3' || b[1] == '6';
        if (w >= 0 && h >= 0)
            return {sizeOf(w, h), colour && pnmNumber(b, &at) > 255 ? 8 : 4};
    }
    // Qt's reader makes every frame the size of the screen.
    if (b.size() >= 13 && b.startsWith("GIF8")) {
        const qint64 frame = gifFirstFrame(b);
        const QSize screen = sizeOf(le16(b, 6), le16(b, 8));
        return {frame < 0 ? screen : larger(screen, le16(b, frame + 1) + le16(b, frame + 5), le16(b, frame + 3) + le16(b, frame + 7))};
    }
    // A progressive picture, or one whose first scan holds only some of its colours, is
    // kept whole in memory as coefficients, two bytes for each of every colour's pixels,
    // beside the picture decoded.
    if (b.startsWith("\xFF\xD8")) {
        const JpegHeader h = readJpegHeader(b);
        const bool buffered = h.progressive || (h.scan >= 0 && h.scanComponents < h.components);
        return {sizeOf(qMax<qint64>(h.width, 0), qMax<qint64>(h.height, 0)), int(buffered ? 4 + 2 * h.components : 4)};
    }
    IconEntry icon;
    if (readIconEntry(b, &icon)) {
        const QByteArray picture = b.mid(icon.offset, 40);
        QSize size = sizeOf(icon.width, icon.height);
        if (holdsPng(picture))
            return {size.expandedTo(claimedSize(picture).size), claimedSize(picture).bytesPerPixel};
        if (picture.size() >= 12)
            size = larger(size, qAbs(le32(picture, 4)), qAbs(le32(picture, 8)) / 2);
        return {size};
    }
    return {};
}

DataFault wholeness(const QByteArray& format, const QByteArray& bytes)
{
    if (format == "bmp")
        return bmpWholeness(bytes);
    if (format == "gif")
        return gifWholeness(bytes);
    if (format == "jpeg")
        return jpegWholeness(bytes);
    if (format == "png")
        return pngWholeness(bytes);
    if (format == "ico" || format == "cur")
        return icoWholeness(bytes);
    if (format == "xbm")
        return xbmWholeness(bytes);
    if (format == "xpm")
        return xpmWholeness(bytes);
    if (format == "pbm" || format == "pgm" || format == "ppm")
        return pnmWholeness(bytes);
    return DataFault::None;
}

void dropUnshownChunks(QByteArray* png)
{
    if (!holdsPng(*png))
        return;
    char* bytes = png->data();
    qint64 from = 8, to = 8;
    while (from + 12 <= png->size()) {
        const qint64 length = be32(*png, from);
        if (length > png->size() - from - 12)
            break;
        const QByteArray type = png->mid(from + 4, 4);
        const bool unshown = type == "tEXt" || type == "zTXt" || type == "iTXt" || type == "iCCP";
        if (!unshown) {
            std::memmove(bytes + to, bytes + from, size_t(12 + length));
            to += 12 + length;
        }
        from += 12 + length;
        if (type == "IEND")
            break;
    }
    // Whatever follows, whole or not, stays for the reader to judge.
    std::memmove(bytes + to, bytes + from, size_t(png->size() - from));
    png->truncate(qsizetype(to + png->size() - from));
}

std::optional<QImage> decodeRunLength(const QByteArray& b)
{
    BmpHeader h;
    if (!readBmpHeader(b, &h) || !isRunLength(h))
        return std::nullopt;
    if (bmpWholeness(b) != DataFault::None)
        return QImage();
    QImage image(int(h.width), int(h.height), QImage::Format_Indexed8);
    if (image.isNull())
        return image;
    QList<QRgb> colours;
    for (qint64 i = 0; i < h.colours; ++i)
        colours << qRgb(u8(b, h.palette + 4 * i + 2), u8(b, h.palette + 4 * i + 1), u8(b, h.palette + 4 * i));
    image.setColorTable(colours);
    image.fill(0);  // what the data passes over is the first colour
    rleWalk(b, h, [&](qint64 x, qint64 y, int index) {
        if (x < h.width)
            image.scanLine(int(h.height - 1 - y))[x] = uchar(index);
    });
    return image;
}

} // namespace hop::resources
