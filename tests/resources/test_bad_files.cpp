// Every kind of broken picture or wave file gives a reason or silence, never a crash or garbage.
#include "resources/PictureFile.h"
#include "resources/RegularFile.h"
#include "resources/WaveFile.h"

#include <QBuffer>
#include <QDir>
#include <QHash>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <grp.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace hop::resources;

namespace {

QByteArray saved(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    image.save(&buffer, format);
    return bytes;
}

// Textured, so a compressed file has scan data worth cutting into.
QByteArray encoded(const char* format, QSize size = QSize(40, 30))
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(200, 60, 40));
    for (int i = 0; i < size.width() * size.height() / 2; i += 7)
        image.setPixelColor(i % (size.width() / 4), 2 * i / size.width(), QColor(i * 7 % 256, i * 11 % 256, 90));
    return saved(image, format);
}

// An 8 × 8 GIF of (200, 60, 40) on white, its LZW codes all three bits wide (a clear code
// every two pixels) so that every pixel has its own bits to cut into.
const QByteArray gif = QByteArray::fromHex("474946383961 0800 0800 800000 ffffff c83c28 2c 00000000 0800 0800 00 02 25" +
                                           QByteArray("4c983061c284091326").repeated(4) + "05 003b");

// A 16 × 2 BMP with run-length data, every palette entry the colour (200, 60, 40).
QByteArray rleBmp(int bits, const char* hexData)
{
    QByteArray b(54, '\0');
    b[0] = 'B', b[1] = 'M', b[26] = 1, b[28] = char(bits);
    for (auto [at, v] : {std::pair{10, 54 + (4 << bits)}, {14, 40}, {18, 16}, {22, 2}, {30, bits == 8 ? 1 : 2}, {46, 1 << bits}})
        b.replace(at, 4, QByteArray::fromRawData(reinterpret_cast<const char*>(&v), 4));  // little-endian
    return b + QByteArray::fromHex(QByteArray("283cc800").repeated(1 << bits) + hexData);
}

// 8 × 8 in a palette of two colours, the pixel data at byte 62.
QByteArray twoColourBmp()
{
    QImage image(8, 8, QImage::Format_Indexed8);
    image.setColorTable({qRgb(200, 60, 40), qRgb(255, 255, 255)});
    image.fill(0);
    return saved(image, "BMP");
}

QString put(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size());
    return path;
}

// Read as a player would: by a child that is not root (root reads every file), which an
// alarm ends should the read block.
QString errorSeenByPlayer(const QString& path)
{
    const passwd* nobody = getpwnam("nobody");
    int out[2];
    if (!nobody || pipe(out) != 0)
        return QStringLiteral("no pipe");
    if (fork() == 0) {
        alarm(20);
        if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0))
            _exit(1);
        const QByteArray error = readPictureFile(path).error.toUtf8();
        _exit(write(out[1], error.constData(), size_t(error.size())) == error.size() ? 0 : 1);
    }
    close(out[1]);
    QFile reader;
    reader.open(out[0], QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    const QString error = QString::fromUtf8(reader.readAll());
    wait(nullptr);
    return error;
}

} // namespace

TEST(BadFiles, EveryUnusablePictureFileIsRefusedWithTheFileNameAndItsReason)
{
    const QByteArray bmp = encoded("BMP"), jpeg = encoded("JPEG", QSize(160, 120));
    auto half = [](const QByteArray& b) { return b.left(b.size() / 2); };
    const struct { QByteArray bytes; const char* reason; void (*make)(const QString& path) = nullptr; } cases[] = {
        {{}, "空"},
        {"this is not a picture\n", "画像ファイルではありません"},
        {{}, "フォルダーがあります", [](const QString& p) { QDir().mkdir(p); }},
        {{}, "名前付きパイプ", [](const QString& p) { mkfifo(QFile::encodeName(p), 0600); }},
        {{}, "デバイス", [](const QString& p) { QFile::link("/dev/zero", p); }},
        {{}, "ソケット", [](const QString& p) {
             sockaddr_un addr{AF_UNIX, {}};
             qstrncpy(addr.sun_path, QFile::encodeName(p), sizeof addr.sun_path);
             bind(socket(AF_UNIX, SOCK_STREAM, 0), reinterpret_cast<sockaddr*>(&addr), sizeof addr);
         }},
        {{}, "循環", [](const QString& p) { QFile::link(p, p); }},
        {bmp, "許可", [](const QString& p) { QFile::setPermissions(p, QFile::WriteOwner); }},
        {"x", "ファイルが大きすぎます", [](const QString& p) { QFile::resize(p, 260 << 20); }},
        {half(bmp), "切れて"},
        {QByteArray(bmp).replace(28, 2, "\xFF\xFF"), "壊れて"},
        {rleBmp(8, "1001 0000"), "切れて"},
        {rleBmp(4, "2011 0000 1011 0001"), "壊れて"},
        {half(gif), "切れて"},
        {jpeg.chopped(2), "切れて"},
        // Cut, behind a thumbnail that has an end marker of its own.
        {QByteArray(jpeg).insert(2, QByteArray("\xFF\xE1\x00\x0C" "Exif\0\0" "\xFF\xD8\xFF\xD9", 14)).chopped(2), "切れて"},
        {half(jpeg) + "\xFF\xD9", "壊れて"},
        {half(encoded("XBM")), "切れて"},
        {half(encoded("XBM")) + "};", "切れて"},
        // Pictures that contradict themselves: colours beyond the palette or the largest
        // value, a frame beside the picture.
        {twoColourBmp().replace(62, 1, "\x55"), "壊れて"},
        {QByteArray(gif).replace(31, 1, "\x5c"), "壊れて"},
        {QByteArray(gif).replace(20, 1, "\x04"), "壊れて"},
        {"P5\n2 2\n15\n\x0f\x0f\x0f\xc8", "壊れて"},
        {"/* XPM */\n\"2 1 1 1\" \"a c #c83c28\" \"az\"\n", "壊れて"},
        {"P6\n100000 100000\n255\n" + bmp, "100000 × 100000"},
        {QByteArray(bmp).replace(18, 8, QByteArray::fromHex("a0860100a0860100")), "大きすぎます"},
        {encoded("PNG").replace(16, 8, QByteArray::fromHex("000186a0000186a0")), "大きすぎます"},
    };
    QTemporaryDir dir;
    // The player must be able to look into the folder.
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ExeOther);
    for (int n = 0; n < int(std::size(cases)); ++n) {
        const QString name = dir.filePath(QString::number(n));
        const QString path = cases[n].make && cases[n].bytes.isEmpty() ? name : put(name, cases[n].bytes);
        if (cases[n].make)
            cases[n].make(path);
        const QString error = errorSeenByPlayer(path);
        EXPECT_TRUE(error.contains(path) && error.contains(QString::fromUtf8(cases[n].reason)))
            << "case " << n << ": " << error.toStdString();
    }
    // Told by what it holds, not by the size it reports (none).
    const QString endless = readPictureFile(QStringLiteral("/proc/self/pagemap")).error;
    EXPECT_TRUE(endless.contains("大きすぎます")) << endless.toStdString();

    // The game reads its files by bare name, so the message says where it looked: in a
    // folder named in Shift-JIS as in one that has been removed meanwhile, and made again
    // with the picture in it (the game still stands in the removed one).
    const QByteArray folder = QFile::encodeName(dir.path()) + "/sjis-\x83\x51";
    ASSERT_TRUE(mkdir(folder, 0700) == 0 && chdir(folder) == 0);
    for (int removed : {0, 1}) {
        const QString missing = readPictureFile(QStringLiteral("koma.kzt")).error;
        EXPECT_TRUE(missing.contains("「koma.kzt」") && missing.contains("「" + dir.path() + "/sjis-<x83>Q」"))
            << removed << missing.toStdString();
        unlink(folder + "/koma.kzt");
        rmdir(folder);
        ASSERT_TRUE(removed || (mkdir(folder, 0700) == 0 && symlink(HOPSTONE_GAME_DIR "/koma.kzt", folder + "/koma.kzt") == 0));
    }
    QDir::setCurrent(dir.path());
}

TEST(BadFiles, WholePicturesLoadWhateverTheirFormatSizeOrTrailingBytes)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("koma.kzt");
    for (const QByteArray& bytes : {encoded("PNG"), encoded("JPEG") + "trailing", encoded("BMP"), encoded("ICO"), gif, twoColourBmp(),
                                    rleBmp(8, "1001 0000 1001 0001"), rleBmp(4, "0008 1111 1111 0811 0000 1011 0001"),
                                    "P5\n4100 4100\n255\n" + QByteArray(4100 * 4100, char(200))}) {
        const LoadedPicture result = readPictureFile(put(path, bytes));
        ASSERT_TRUE(result.ok()) << result.error.toStdString();
        // The middle pixel is the colour written, not the black or grey of missing data.
        const QColor mid = result.image.pixelColor(result.image.width() / 2, result.image.height() / 2);
        EXPECT_NEAR(mid.red(), 200, 8) << bytes.left(4).toStdString();
        EXPECT_NEAR(mid.green(), result.image.isGrayscale() ? 200 : 60, 8) << bytes.left(4).toStdString();
    }
}

TEST(BadFiles, OnlyPcmWavesWholeInTheFileArePlayable)
{
    auto playable = [](const QString& path) {
        RegularFile file(QFile::encodeName(path));
        Wave wave;
        return file.isOpen() && decodeWave(file.release(), &wave, 64);
    };
    QFile good(QStringLiteral(HOPSTONE_GAME_DIR "/001.wav"));
    ASSERT_TRUE(playable(good.fileName()) && good.open(QIODevice::ReadOnly));
    const QByteArray wave = good.readAll();
    QTemporaryDir dir;
    EXPECT_FALSE(playable(put(dir.filePath("a.wav"), QByteArray(wave).replace(20, 1, "\x07"))));
    // A rate of 10 Hz, which the sound server would divide by.
    EXPECT_FALSE(playable(put(dir.filePath("c.wav"), QByteArray(wave).replace(24, 4, QByteArray("\x0a\0\0\0", 4)))));
    // The data chunk claims more than the file holds.
    EXPECT_FALSE(playable(put(dir.filePath("b.wav"), QByteArray(wave).replace(40, 4, "\xF0\xFF\xFF\x7F"))));
    EXPECT_FALSE(playable(QStringLiteral("/proc/self/pagemap")));
}

// Files the fuzzers found, or made after what they found, each named for what the game
// must make of it: the reason it gives, or the whole picture.
TEST(BadFiles, PastFindingsGetTheirTrueReasonOrTheirWholePicture)
{
    const QDir findings(QStringLiteral(HOPSTONE_FINDINGS_DIR));
    const QHash<QString, const char*> reasons{{"cut", "切れて"}, {"broken", "壊れて"}, {"large", "大きすぎます"}};
    const QStringList names = findings.entryList(QDir::Files);
    ASSERT_GE(names.size(), 10);
    for (const QString& name : names) {
        const LoadedPicture result = readPictureFile(findings.filePath(name));
        const QString expected = name.section(QStringLiteral("--"), 0, 0);
        if (expected != QStringLiteral("whole")) {
            EXPECT_TRUE(result.error.contains(QString::fromUtf8(reasons.value(expected, "?")))) << qPrintable(name) << ": "
                                                                                           << result.error.toStdString();
            continue;
        }
        ASSERT_TRUE(result.ok()) << qPrintable(name) << ": " << result.error.toStdString();
        // Drawn in one colour: a pixel the data skips is no garbage either.
        const QImage image = result.image.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                ASSERT_EQ(image.pixel(x, y), qRgb(200, 60, 40)) << qPrintable(name) << " at " << x << ", " << y;
    }
}
