// Writes the fuzzers' first inputs: small whole files of every kind the readers know.
// Pictures from Qt's own writers in each of their pixel formats, and by hand where Qt
// writes none (GIF, run-length BMP, ASCII PNM); waves of each encoding the game plays.
//
//   make_seeds <folder>   fills <folder>/picture and <folder>/wave
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QCoreApplication>
#include <QImage>
#include <QImageWriter>
#include <QtEndian>

#include <cmath>
#include <cstdio>

namespace {

QDir into;

void put(const QString& name, const QByteArray& bytes)
{
    QFile file(into.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        std::fprintf(stderr, "make_seeds: cannot write %s\n", qPrintable(file.fileName()));
}

QByteArray le(quint32 v, int bytes)
{
    QByteArray b(bytes, '\0');
    for (int i = 0; i < bytes; ++i)
        b[i] = char(v >> (8 * i));
    return b;
}

// Textured, so compressed formats have something to compress.
QImage picture(QImage::Format format)
{
    QImage image(12, 9, QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgba(x * 20, y * 28, (x * y) % 256, x < 6 ? 255 : 128));
    return image.convertToFormat(format);
}

void pictures()
{
    const QImage::Format formats[] = {QImage::Format_RGB32, QImage::Format_ARGB32, QImage::Format_Indexed8,
                                      QImage::Format_Grayscale8, QImage::Format_Mono, QImage::Format_RGBA64};
    for (const char* kind : {"bmp", "png", "jpeg", "ppm", "pgm", "pbm", "xbm", "xpm", "ico"}) {
        for (QImage::Format format : formats) {
            QByteArray bytes;
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            QImageWriter writer(&buffer, kind);
            if (qstrcmp(kind, "jpeg") == 0 && format == QImage::Format_RGBA64)
                writer.setProgressiveScanWrite(true);
            if (writer.write(picture(format)))
                put(QStringLiteral("%1-%2.%1").arg(kind).arg(int(format)), bytes);
        }
    }
    // 8 × 8, two colours, a clear code every two pixels; and with a frame beside its origin.
    const QByteArray gif = QByteArray::fromHex("474946383961 0800 0800 800000 ffffff c83c28 2c 00000000 0800 0800 00 02 25" +
                                               QByteArray("4c983061c284091326").repeated(4) + "05 003b");
    put("plain.gif", gif);
    put("frame.gif", QByteArray::fromHex("474946383961 0400 0400 f00000") + QByteArray(48, '\x55') +
                         QByteArray::fromHex("21f904 01000000 00 2c 01000100 0200 0200 00 03 03 0a1001 00 3b"));
    // Run-length BMPs of 16 × 2: runs, an absolute run, a move, the end-of-bitmap mark.
    for (int bits : {4, 8}) {
        const QByteArray palette = QByteArray::fromHex("283cc800 ffffff00").repeated(1 << (bits - 1));
        const QByteArray data = QByteArray::fromHex(bits == 8 ? "0800 0401020103 0401 0000 0002 0200 0601 0000 0001"
                                                              : "0008 11011101 0801 0000 0401 0002 0200 0801 0000 0001");
        const QByteArray header = le(40, 4) + le(16, 4) + le(2, 4) + le(1, 2) + le(quint32(bits), 2) +
                                  le(bits == 8 ? 1 : 2, 4) + le(quint32(data.size()), 4) + le(2835, 4).repeated(2) +
                                  le(1u << bits, 4) + le(0, 4);
        const quint32 offset = quint32(14 + header.size() + palette.size());
        put(QStringLiteral("rle%1.bmp").arg(bits),
            "BM" + le(offset + quint32(data.size()), 4) + le(0, 4) + le(offset, 4) + header + palette + data);
    }
    put("ascii.pgm", "P2\n# grey\n3 2\n15\n0 5 10\n15 7 3\n");
    put("ascii.ppm", "P3\n2 2\n255\n200 60 40 0 0 0\n255 255 255 1 2 3\n");
    put("ascii.pbm", "P1\n4 2\n0 1 0 1\n1 1 0 0\n");
    put("wide.pgm", "P5\n2 2\n1000\n" + QByteArray::fromHex("000103e8 0200 0010"));
}

// A RIFF WAVE of a short tone; `extensible` wraps the tag in WAVE_FORMAT_EXTENSIBLE,
// `chunk` puts a list chunk of odd size before the data.
QByteArray wave(int tag, int bits, int channels, int rate, bool extensible, bool chunk)
{
    QByteArray data;
    for (int i = 0; i < 40 * channels; ++i) {
        const double v = std::sin(i * 0.3) * 0.8;
        if (tag == 3 && bits == 32) {
            const float f = float(v);
            data += QByteArray(reinterpret_cast<const char*>(&f), 4);
        } else if (tag == 3) {
            data += QByteArray(reinterpret_cast<const char*>(&v), 8);
        } else if (bits == 8) {
            data += char(128 + int(v * 127));
        } else {
            data += le(quint32(qint32(v * (1u << (bits - 2)))), bits / 8);
        }
    }
    const int blockAlign = channels * bits / 8;
    QByteArray format = le(extensible ? 0xFFFE : quint32(tag), 2) + le(quint32(channels), 2) + le(quint32(rate), 4) +
                        le(quint32(rate * blockAlign), 4) + le(quint32(blockAlign), 2) + le(quint32(bits), 2);
    if (extensible)
        format += le(22, 2) + le(quint32(bits), 2) + le(3, 4) + le(quint32(tag), 2) +
                  QByteArray::fromHex("000000001000800000aa00389b71");
    QByteArray body = "WAVE" + ("fmt " + le(quint32(format.size()), 4) + format);
    if (chunk)
        body += "LIST" + le(3, 4) + "abc" + '\0';
    body += "data" + le(quint32(data.size()), 4) + data;
    return "RIFF" + le(quint32(body.size()), 4) + body;
}

void waves()
{
    int n = 0;
    for (auto [tag, bits] : {std::pair{1, 8}, {1, 16}, {1, 24}, {1, 32}, {3, 32}, {3, 64}})
        for (int channels : {1, 2}) {
            put(QStringLiteral("%1.wav").arg(n), wave(tag, bits, channels, channels == 1 ? 22050 : 44100, n % 3 == 0, n % 2 == 0));
            ++n;
        }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds <folder>\n");
        return 2;
    }
    for (const char* kind : {"picture", "wave"}) {
        into = QDir(QString::fromLocal8Bit(argv[1]) + '/' + kind);
        into.mkpath(".");
        kind[0] == 'p' ? pictures() : waves();
    }
    return 0;
}
