// Runs the generator of the game's four files and checks what a player will see and hear.
#include "board/BoardLayout.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using hop::board::BoardLayout;

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool generateInto(const QString& folder) { return std::system(("\"" MAKE_GAME_FILES "\" \"" + folder.toStdString() + "\" > /dev/null 2>&1").c_str()) == 0; }

// The pixel under the middle of hole k's cell, as the screen places the cell.
QPoint centre(int k)
{
    const auto& c = BoardLayout::boardA().cell(k);
    return {(2 * c.left + c.width) / 30, (2 * c.top + c.height) / 30};
}

} // namespace

TEST(GameFiles, TheFourFilesAreWhatTheGameExpects)
{
    QTemporaryDir dir;
    ASSERT_TRUE(generateInto(dir.filePath("a/game")));

    // Board A: red lines through every hole and along every jump, white between them.
    const QImage board(dir.filePath("a/game/back.kzt"), "BMP");
    ASSERT_EQ(board.size(), QSize(329, 314));
    const QRgb red = qRgb(255, 0, 0), white = qRgb(255, 255, 255);
    for (int k = 1; k <= 21; ++k)
        EXPECT_EQ(board.pixel(centre(k)), red) << "hole " << k;
    for (const auto& line : BoardLayout::boardA().lines())
        EXPECT_EQ(board.pixel((centre(line.from) + centre(line.over)) / 2), red) << line.from << "-" << line.over;
    // Two holes with no third in line carry no jump, so nothing joins them.
    for (auto [a, b] : {std::pair{2, 3}, {11, 17}, {15, 20}})
        EXPECT_EQ(board.pixel((centre(a) + centre(b)) / 2), white) << a << "-" << b;
    for (auto [a, b, c] : {std::tuple{1, 2, 3}, {4, 7, 8}, {13, 18, 19}})
        EXPECT_EQ(board.pixel((centre(a) + centre(b) + centre(c)) / 3), white) << "inside " << a << "-" << b << "-" << c;
    EXPECT_EQ(board.pixel(0, 0), qRgb(192, 192, 192)) << "the window's grey shows around the field";
    EXPECT_LT(qGray(board.pixel(centre(1).x(), 8)), 192) << "the field is sunken: a shadow above it";

    // The piece: a stone filling its square, lit from the upper left, white corners.
    const QImage piece(dir.filePath("a/game/koma.kzt"), "BMP");
    ASSERT_FALSE(piece.isNull());
    const int n = piece.width(), mid = n / 2;
    EXPECT_EQ(piece.pixel(0, 0), white);
    EXPECT_NE(piece.pixel(1, mid), white) << "a small stone would look lost in its hole";
    EXPECT_GT(qGray(piece.pixel(mid - n / 6, mid - n / 6)), qGray(piece.pixel(mid + n / 6, mid + n / 6)));

    // The sounds: the click short, the opening about a second, both loud but never clipped.
    for (auto [name, least, most] : {std::tuple{"op.wav", 0.8, 1.2}, {"001.wav", 0.01, 0.08}}) {
        const QByteArray wav = readAll(dir.filePath(QStringLiteral("a/game/") + name));
        ASSERT_TRUE(wav.startsWith("RIFF") && wav.mid(8, 8) == "WAVEfmt " && wav.mid(36, 4) == "data") << name;
        const auto* samples = reinterpret_cast<const qint16*>(wav.constData() + 44);
        const qsizetype count = (wav.size() - 44) / 2;
        EXPECT_TRUE(count / 22050.0 >= least && count / 22050.0 <= most) << name;
        const int peak = std::abs(int(*std::max_element(samples, samples + count, [](qint16 x, qint16 y) {
            return std::abs(int(x)) < std::abs(int(y));
        })));
        EXPECT_TRUE(peak > 8000 && peak < 32000) << name << " peaks at " << peak;
    }
}
