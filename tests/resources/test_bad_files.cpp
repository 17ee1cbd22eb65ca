// Every kind of broken picture or wave file gives a reason or silence, never a crash or garbage.
#include "resources/PictureFile.h"
#include "resources/SoundBoard.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace hop::res;

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

TEST_F(BadFiles, UnreadablePicturesAreRefusedWithTheFileNameAndAReason)
{
    const QByteArray bmp = encoded("BMP");
    const QByteArray jpeg = encoded("JPEG", QSize(160, 120));
    const struct {
        const char* label;
        QByteArray bytes;
        const char* reason;
    } cases[] = {
        {"empty", QByteArray(), "空"},
        {"text", QByteArray("this is not a picture\n"), "画像ファイルではありません"},
        {"bmp header only", bmp.left(54), "途中で切れて"},
        {"bmp cut in half", bmp.left(bmp.size() / 2), "途中で切れて"},
        {"jpeg cut in half", jpeg.left(jpeg.size() / 2), "途中で切れて"},
    };
    for (const auto& c : cases) {
        const QString path = write(QStringLiteral("koma.kzt"), c.bytes);
        const LoadedPicture result = readPictureFile(path);
        EXPECT_FALSE(result.ok()) << c.label;
        EXPECT_TRUE(result.image.isNull()) << c.label;
        EXPECT_TRUE(result.error.contains(path)) << c.label;
        EXPECT_TRUE(result.error.contains(QString::fromUtf8(c.reason))) << c.label << ": " << result.error.toStdString();
    }
    EXPECT_TRUE(readPictureFile(dir.filePath("nothing.kzt")).error.contains("見つかりません"));
    QDir(dir.path()).mkdir("back.kzt");
    EXPECT_TRUE(readPictureFile(dir.filePath("back.kzt")).error.contains("フォルダー"));
}

TEST_F(BadFiles, AFileWithoutReadPermissionIsRefused)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    const QString path = write(QStringLiteral("koma.kzt"), encoded("BMP"));
    QFile::setPermissions(path, QFileDevice::WriteOwner);
    EXPECT_TRUE(readPictureFile(path).error.contains("許可"));
}

TEST_F(BadFiles, AHugePictureHeaderIsRefusedBeforeAnythingIsAllocated)
{
    QByteArray bmp = encoded("BMP");
    put32(bmp, 18, 100000);
    put32(bmp, 22, 100000);
    LoadedPicture result = readPictureFile(write(QStringLiteral("back.kzt"), bmp));
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(result.error.contains("大きすぎます")) << result.error.toStdString();

    QByteArray png = encoded("PNG");
    // IHDR width and height, big-endian, right after the signature and chunk header.
    for (int i = 0; i < 4; ++i) {
        png[16 + i] = char((100000u >> (8 * (3 - i))) & 0xFF);
        png[20 + i] = char((100000u >> (8 * (3 - i))) & 0xFF);
    }
    result = readPictureFile(write(QStringLiteral("back.kzt"), png));
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(result.image.isNull());
}

TEST_F(BadFiles, PngAndJpegNamedKztLoadLikeABitmap)
{
    for (const char* format : {"PNG", "JPEG", "BMP"}) {
        const LoadedPicture result = readPictureFile(write(QStringLiteral("koma.kzt"), encoded(format, QSize(33, 21))));
        ASSERT_TRUE(result.ok()) << format << ": " << result.error.toStdString();
        EXPECT_EQ(result.image.size(), QSize(33, 21)) << format;
        // The middle pixel is the colour written, not garbage.
        const QColor mid = result.image.pixelColor(16, 10);
        EXPECT_NEAR(mid.red(), 200, 8) << format;
        EXPECT_NEAR(mid.green(), 60, 8) << format;
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
