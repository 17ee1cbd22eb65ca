// Every kind of broken picture or wave file gives a reason or silence, never a crash or garbage.
#include "resources/PictureFile.h"
#include "resources/SoundBoard.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
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

QByteArray encoded(const char* format, QSize size = QSize(40, 30))
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(200, 60, 40));
    // Some texture, so a compressed file has scan data worth cutting into.
    for (int y = 0; y < size.height(); y += 2)
        for (int x = (y / 2) % 3; x < size.width() / 4; x += 3)
            image.setPixelColor(x, y, QColor(x * 7 % 256, y * 11 % 256, 90));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

void put32(QByteArray& b, int at, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = char((v >> (8 * i)) & 0xFF);
}

class BadFiles : public ::testing::Test {
protected:
    QString write(const QString& name, const QByteArray& bytes)
    {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    }
    QTemporaryDir dir;
};

} // namespace

namespace {

// A 33 × 21 GIF, white background, pixels (200, 60, 40), its LZW codes all three bits
// wide (a clear code every two pixels) so that every pixel has its own bits to cut into.
QByteArray gif()
{
    QByteArray codes;
    quint32 bits = 0, held = 0;
    for (int i = 0; i <= 33 * 21; ++i)
        for (quint32 code : i == 33 * 21 ? QList<quint32>{5} : i % 2 ? QList<quint32>{1} : QList<quint32>{4, 1})
            for (bits |= code << held, held += 3; held >= 8; held -= 8, bits >>= 8)
                codes += char(bits & 0xFF);
    codes += char(bits);
    QByteArray b = QByteArray::fromHex("474946383961 2100 1500 800000 ffffff c83c28 2c 00000000 2100 1500 00 02");
    for (qsizetype at = 0; at < codes.size(); at += 255)
        b += char(qMin<qsizetype>(255, codes.size() - at)) + codes.mid(at, 255);
    return b + QByteArray::fromHex("003b");
}

// A 16 × 2 BMP with run-length data, every palette entry the colour (200, 60, 40).
QByteArray rleBmp(int bits, const char* hexData)
{
    const int colours = 1 << bits;
    QByteArray b(54, '\0');
    b[0] = 'B', b[1] = 'M', b[26] = 1, b[28] = char(bits);
    for (auto [at, v] : {std::pair{10, 54 + 4 * colours}, {14, 40}, {18, 16}, {22, 2}, {30, bits == 8 ? 1 : 2}, {46, colours}})
        put32(b, at, quint32(v));
    for (int i = 0; i < colours; ++i)
        b += QByteArray::fromHex("283cc800");
    return b + QByteArray::fromHex(hexData);
}

// Special files are read by a child process: one that blocks is ended by an alarm, and
// since root reads every file, a child of root gives it up first.
QString errorSeenByPlayer(const QString& path)
{
    const passwd* nobody = getpwnam("nobody");
    int out[2];
    if (!nobody || pipe(out) != 0)
        return QStringLiteral("no pipe");
    const pid_t child = fork();
    if (child == 0) {
        alarm(20);
        const bool player = geteuid() != 0 || (setgroups(0, nullptr) == 0 && setgid(nobody->pw_gid) == 0 &&
                                               setuid(nobody->pw_uid) == 0);
        const QByteArray error = player ? readPictureFile(path).error.toUtf8() : QByteArray("still root");
        _exit(write(out[1], error.constData(), size_t(error.size())) == error.size() ? 0 : 1);
    }
    close(out[1]);
    QByteArray error;
    char chunk[256];
    for (ssize_t n; (n = read(out[0], chunk, sizeof chunk)) > 0;)
        error.append(chunk, n);
    close(out[0]);
    waitpid(child, nullptr, 0);
    return QString::fromUtf8(error);
}

} // namespace

TEST_F(BadFiles, EveryUnusablePictureFileIsRefusedWithTheFileNameAndItsReason)
{
    const QByteArray bmp = encoded("BMP");
    const QByteArray jpeg = encoded("JPEG", QSize(160, 120));
    QByteArray jpeg4000 = encoded("JPEG", QSize(48, 48));
    jpeg4000.replace(jpeg4000.indexOf("\xFF\xC0") + 5, 4, QByteArray::fromHex("0fa00fa0"));
    auto half = [](const QByteArray& b) { return b.left(b.size() / 2); };
    const struct {
        const char* label;
        QByteArray bytes;
        const char* reason;
        void (*make)(const QString& path) = nullptr;
    } cases[] = {
        {"empty", {}, "空"},
        {"text", "this is not a picture\n", "画像ファイルではありません"},
        {"folder", {}, "フォルダーがあります", [](const QString& p) { QDir().mkdir(p); }},
        {"named pipe", {}, "名前付きパイプ", [](const QString& p) { mkfifo(QFile::encodeName(p), 0600); }},
        {"endless device", {}, "デバイス", [](const QString& p) { QFile::link("/dev/zero", p); }},
        {"socket", {}, "ソケット", [](const QString& p) {
             sockaddr_un addr{};
             addr.sun_family = AF_UNIX;
             qstrncpy(addr.sun_path, QFile::encodeName(p), sizeof addr.sun_path);
             bind(socket(AF_UNIX, SOCK_STREAM, 0), reinterpret_cast<sockaddr*>(&addr), sizeof addr);
         }},
        {"symlink loop", {}, "循環", [](const QString& p) { QFile::link(p, p); }},
        {"no read permission", bmp, "許可", [](const QString& p) { QFile::setPermissions(p, QFile::WriteOwner); }},
        {"sparse file of 260 MB", "x", "ファイルが大きすぎます", [](const QString& p) { QFile::resize(p, 260 << 20); }},
        {"bmp header only", bmp.left(54), "切れて"},
        {"bmp cut in half", half(bmp), "切れて"},
        {"bmp with 65535 bits a pixel", QByteArray(bmp).replace(28, 2, "\xFF\xFF"), "画像ファイルではありません"},
        {"rle8 run past its row", rleBmp(8, "2001 0000 1001 0001"), "壊れて"},
        {"rle8 ends before its last row", rleBmp(8, "1001 0000"), "切れて"},
        {"rle4 run past its row", rleBmp(4, "2011 0000 1011 0001"), "壊れて"},
        {"gif cut in half", half(gif()), "切れて"},
        {"jpeg cut in its header", jpeg.left(56), "画像ファイルではありません"},
        {"jpeg cut in half", half(jpeg), "切れて"},
        {"jpeg without end marker", jpeg.chopped(2), "切れて"},
        {"jpeg cut in half, end marker added", half(jpeg) + "\xFF\xD9", "壊れて"},
        {"jpeg claiming 4000 x 4000", jpeg4000, "壊れて"},
        {"xbm cut in half", half(encoded("XBM")), "切れて"},
        {"ppm of 100000 x 100000", "P6\n100000 100000\n255\n" + bmp, "100000 × 100000"},
        {"bmp of 100000 x 100000", QByteArray(bmp).replace(18, 8, QByteArray::fromHex("a0860100a0860100")), "大きすぎます"},
        {"png of 100000 x 100000", encoded("PNG").replace(16, 8, QByteArray::fromHex("000186a0000186a0")), "大きすぎます"},
    };
    // Special files are read by a player, who must be able to look into the folder.
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ExeOther);
    int n = 0;
    for (const auto& c : cases) {
        const QString path = c.make && c.bytes.isEmpty() ? dir.filePath(QString::number(++n))
                                                         : write(QString::number(++n), c.bytes);
        if (c.make)
            c.make(path);
        const QString error = c.make ? errorSeenByPlayer(path) : readPictureFile(path).error;
        EXPECT_TRUE(error.contains(path) && error.contains(QString::fromUtf8(c.reason)))
            << c.label << ": " << error.toStdString();
    }
    // The game reads its files by bare name, so the message says where it looked.
    const QString started = QDir::currentPath();
    QDir::setCurrent(dir.path());
    const QString missing = readPictureFile(QStringLiteral("koma.kzt")).error;
    QDir::setCurrent(started);
    EXPECT_TRUE(missing.contains("「koma.kzt」") && missing.contains(dir.path())) << missing.toStdString();
}

TEST_F(BadFiles, WholePicturesLoadWhateverTheirFormatSizeOrTrailingBytes)
{
    const struct {
        const char* label;
        QByteArray bytes;
    } cases[] = {
        {"png", encoded("PNG", QSize(33, 21))},
        {"jpeg", encoded("JPEG", QSize(33, 21))},
        {"jpeg with bytes after its end", encoded("JPEG", QSize(33, 21)) + "trailing"},
        {"bmp", encoded("BMP", QSize(33, 21))},
        {"gif", gif()},
        {"rle8 bmp", rleBmp(8, "1001 0000 1001 0001")},
        {"rle4 bmp", rleBmp(4, "1011 0000 0008 1111 1111 0811 0000 0001")},
        {"pgm of 4100 x 4100", "P5\n4100 4100\n255\n" + QByteArray(4100 * 4100, char(200))},
    };
    for (const auto& c : cases) {
        const LoadedPicture result = readPictureFile(write(QStringLiteral("koma.kzt"), c.bytes));
        ASSERT_TRUE(result.ok()) << c.label << ": " << result.error.toStdString();
        // The middle pixel is the colour written, not the black or grey of missing data.
        const QColor mid = result.image.pixelColor(result.image.width() / 2, result.image.height() / 2);
        EXPECT_NEAR(mid.red(), 200, 8) << c.label;
        EXPECT_NEAR(mid.green(), result.image.isGrayscale() ? 200 : 60, 8) << c.label;
    }
}

TEST_F(BadFiles, OnlyWellFormedPcmWavesReachTheDecoder)
{
    const QString good = QStringLiteral(HOPSTONE_GAME_DIR "/001.wav");
    ASSERT_TRUE(isPlayableWave(good));
    QFile f(good);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray wave = f.readAll();

    QByteArray brokenFormat = wave;
    brokenFormat[20] = 7;  // not PCM
    QByteArray overlong = wave;
    put32(overlong, 40, 0x7FFFFFF0);  // data chunk claims more than the file holds
    const struct {
        const char* label;
        QByteArray bytes;
    } cases[] = {
        {"empty", QByteArray()},
        {"text", QByteArray(200, 'x')},
        {"not pcm", brokenFormat},
        {"data longer than the file", overlong},
        {"cut in the header", wave.left(30)},
    };
    SoundBoard sounds;
    for (const auto& c : cases) {
        const QString path = write(QStringLiteral("001.wav"), c.bytes);
        EXPECT_FALSE(isPlayableWave(path)) << c.label;
        sounds.play(path);  // silence, and no crash
    }
    EXPECT_FALSE(isPlayableWave(dir.filePath("missing.wav")));
    sounds.play(dir.filePath("missing.wav"));
    EXPECT_EQ(sounds.log().size(), 6);
}
