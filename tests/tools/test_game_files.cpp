// Runs the asset generator and checks that its files are well-formed and drawn where the game expects.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <stdlib.h> // mkdtemp

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

Bytes readAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
std::uint32_t u16(const Bytes& b, std::size_t at) { return b.at(at) | (b.at(at + 1) << 8); }
std::uint32_t u32(const Bytes& b, std::size_t at) { return u16(b, at) | (u16(b, at + 2) << 16); }
std::string tag(const Bytes& b, std::size_t at, std::size_t n) { return {b.begin() + at, b.begin() + at + n}; }

int generateInto(const fs::path& folder)
{
    return std::system(("\"" MAKE_GAME_FILES "\" \"" + folder.string() + "\" > /dev/null 2>&1").c_str());
}

struct Rgb {
    int r, g, b;
    friend bool operator==(const Rgb&, const Rgb&) = default;
    int brightness() const { return r + g + b; }
};
void PrintTo(const Rgb& c, std::ostream* os) { *os << "rgb(" << c.r << ',' << c.g << ',' << c.b << ')'; }
constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kGrey{192, 192, 192};

struct Pixel {
    int x, y;
};

// A 24-bit BMP, read only after every header field the game's loader relies on checks out.
struct Bitmap {
    Bytes bytes;
    int width = 0, height = 0;
    std::size_t stride = 0;

    explicit Bitmap(const fs::path& path) : bytes(readAll(path))
    {
        if (bytes.size() < 54) {
            ADD_FAILURE() << path << " is too short";
            return;
        }
        EXPECT_EQ(tag(bytes, 0, 2), "BM");
        EXPECT_EQ(u32(bytes, 2), bytes.size());
        // pixel offset, info header size, planes, bits per pixel, compression
        EXPECT_EQ((std::vector{u32(bytes, 10), u32(bytes, 14), u16(bytes, 26), u16(bytes, 28), u32(bytes, 30)}),
                  (std::vector<std::uint32_t>{54, 40, 1, 24, 0}));
        width = static_cast<std::int32_t>(u32(bytes, 18));
        height = static_cast<std::int32_t>(u32(bytes, 22));
        EXPECT_GT(height, 0) << "rows stored bottom-up";
        stride = (static_cast<std::size_t>(std::max(width, 0)) * 3 + 3) / 4 * 4;
        EXPECT_EQ(bytes.size(), 54 + stride * static_cast<std::size_t>(std::max(height, 0)));
    }
    Rgb at(int x, int y) const // y = 0 is the top row
    {
        const std::size_t i = 54 + stride * static_cast<std::size_t>(height - 1 - y) + static_cast<std::size_t>(x) * 3;
        return {bytes.at(i + 2), bytes.at(i + 1), bytes.at(i)};
    }
    Rgb at(Pixel p) const { return at(p.x, p.y); }
};

// The samples of a mono 16-bit PCM WAV at 22050 Hz, once its two chunks check out.
std::vector<int> readWav(const fs::path& path)
{
    const Bytes b = readAll(path);
    if (b.size() < 44) {
        ADD_FAILURE() << path << " is too short";
        return {};
    }
    EXPECT_EQ(tag(b, 0, 4) + tag(b, 8, 8) + tag(b, 36, 4), "RIFFWAVEfmt data");
    EXPECT_EQ(u32(b, 4), b.size() - 8);
    // fmt size, PCM, mono, rate, byte rate, block align, bits
    EXPECT_EQ((std::vector{u32(b, 16), u16(b, 20), u16(b, 22), u32(b, 24), u32(b, 28), u16(b, 32), u16(b, 34)}),
              (std::vector<std::uint32_t>{16, 1, 1, 22050, 44100, 2, 16}));
    EXPECT_EQ(u32(b, 40), b.size() - 44);
    std::vector<int> samples;
    for (std::size_t i = 44; i + 1 < b.size(); i += 2)
        samples.push_back(static_cast<std::int16_t>(u16(b, i)));
    return samples;
}

// Board A's holes are numbered row by row, one hole in the top row and six in the
// bottom one. Cells are 405 twips square on a 720 x 600 twip lattice, except that
// hole 1 sits 30 twips left of the axis; at 15 twips a pixel, centres are floored.
Pixel centre(int hole)
{
    int row = 0;
    while (hole > row + 1)
        hole -= ++row;
    const int left = row == 0 ? 2250 : 2280 - 360 * row + 720 * (hole - 1);
    const int top = 240 + 600 * row;
    return {static_cast<int>(std::floor((left + 202.5) / 15)), static_cast<int>(std::floor((top + 202.5) / 15))};
}
Pixel middle(const std::vector<int>& holes)
{
    Pixel sum{0, 0};
    for (int h : holes)
        sum = {sum.x + centre(h).x, sum.y + centre(h).y};
    return {sum.x / static_cast<int>(holes.size()), sum.y / static_cast<int>(holes.size())};
}

class GameFiles : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        std::string scratch = (fs::temp_directory_path() / "hopstone-game-files-XXXXXX").string();
        ASSERT_NE(mkdtemp(scratch.data()), nullptr);
        root = scratch;
        game = root / "build" / "game"; // not there yet, as on a clean build
        ASSERT_EQ(generateInto(game), 0);
    }
    static void TearDownTestSuite() { fs::remove_all(root); }

    static inline fs::path root;
    static inline fs::path game;
};

TEST_F(GameFiles, OutputIsIdenticalOnEveryRun)
{
    ASSERT_EQ(generateInto(root / "again"), 0);
    for (const char* name : {"back.kzt", "koma.kzt", "op.wav", "001.wav"}) {
        EXPECT_FALSE(readAll(game / name).empty()) << name;
        EXPECT_EQ(readAll(game / name), readAll(root / "again" / name)) << name;
    }
}

TEST_F(GameFiles, SoundsLastTheirTimeWithoutClippingOrPops)
{
    struct Expected {
        const char* name;
        double minSeconds, maxSeconds;
    };
    for (const Expected& e : {Expected{"op.wav", 0.8, 1.2}, Expected{"001.wav", 0.01, 0.08}}) {
        SCOPED_TRACE(e.name);
        const std::vector<int> samples = readWav(game / e.name);
        ASSERT_FALSE(samples.empty());
        EXPECT_GE(samples.size() / 22050.0, e.minSeconds);
        EXPECT_LE(samples.size() / 22050.0, e.maxSeconds);
        const int peak = std::abs(*std::max_element(samples.begin(), samples.end(),
                                                    [](int a, int b) { return std::abs(a) < std::abs(b); }));
        EXPECT_GT(peak, 8000) << "audible";
        EXPECT_LT(peak, 32000) << "clipped";
        EXPECT_LT(std::abs(samples.front()), 1000) << "starts with a pop";
        EXPECT_LT(std::abs(samples.back()), 200) << "stops with a pop";
    }
}

TEST_F(GameFiles, BoardHasRedLinesCrossingAtEveryHoleOnWhite)
{
    const Bitmap board(game / "back.kzt");
    ASSERT_EQ(board.width, 329);
    ASSERT_EQ(board.height, 314);

    for (int hole = 1; hole <= 21; ++hole)
        EXPECT_EQ(board.at(centre(hole)), kRed) << "hole " << hole;

    const std::vector<std::vector<int>> lines{
        {4, 5, 6}, {7, 8, 9, 10}, {11, 12, 13, 14, 15}, {16, 17, 18, 19, 20, 21},
        {1, 2, 4, 7, 11, 16}, {3, 5, 8, 12, 17}, {6, 9, 13, 18}, {10, 14, 19},
        {1, 3, 6, 10, 15, 21}, {2, 5, 9, 14, 20}, {4, 8, 13, 19}, {7, 12, 18}};
    for (const auto& line : lines)
        for (std::size_t i = 0; i + 1 < line.size(); ++i) {
            const Pixel m = middle({line[i], line[i + 1]});
            EXPECT_EQ(board.at(m), kRed) << "between holes " << line[i] << " and " << line[i + 1];
        }
    // Two-hole pairs cannot carry a jump, so nothing joins them.
    for (const std::vector<int>& pair : {std::vector{2, 3}, std::vector{11, 17}, std::vector{15, 20}}) {
        const Pixel m = middle(pair);
        EXPECT_EQ(board.at(m), kWhite) << "between holes " << pair[0] << " and " << pair[1];
    }
    // Inside every small triangle of neighbouring holes, pointing up or down.
    std::vector<std::vector<int>> triangles;
    for (int first = 1, row = 0; row < 5; first += ++row)
        for (int i = 0; i <= row; ++i) {
            const int top = first + i, below = first + row + 1 + i;
            triangles.push_back({top, below, below + 1});
            if (i < row)
                triangles.push_back({top, top + 1, below + 1});
        }
    for (const auto& t : triangles) {
        const Pixel m = middle(t);
        EXPECT_EQ(board.at(m), kWhite) << "triangle " << t[0] << '-' << t[1] << '-' << t[2];
    }
}

TEST_F(GameFiles, BoardFieldIsSunkenAndClearOfTheButtons)
{
    const Bitmap board(game / "back.kzt");
    ASSERT_EQ(board.width, 329);
    ASSERT_EQ(board.height, 314);
    EXPECT_EQ(board.at(0, 0), kGrey);
    EXPECT_EQ(board.at(328, 313), kGrey);

    // Walk outwards from the outermost holes to the first pixel that is not field.
    const auto edge = [&](int hole, int dx, int dy) {
        Pixel p = centre(hole);
        do
            p = {p.x + dx, p.y + dy};
        while (board.at(p) == kWhite);
        return p;
    };
    const Pixel top = edge(1, 0, -1), bottom = edge(18, 0, 1);
    EXPECT_GE(top.y, 5);
    EXPECT_LT(top.y, 17);
    EXPECT_GT(bottom.y, 240);
    EXPECT_LT(bottom.y, 268);
    EXPECT_LT(board.at(top).brightness(), kGrey.brightness()) << "shadow on top";
    EXPECT_GT(board.at(bottom).brightness(), kGrey.brightness()) << "light at the bottom";
    EXPECT_LT(board.at(edge(16, -1, 0)).brightness(), kGrey.brightness()) << "shadow on the left";
    EXPECT_GT(board.at(edge(21, 1, 0)).brightness(), kGrey.brightness()) << "light on the right";
}

TEST_F(GameFiles, PieceIsAStoneLitFromTheUpperLeftFillingItsSquare)
{
    const Bitmap piece(game / "koma.kzt");
    ASSERT_GE(piece.width, 16);
    ASSERT_EQ(piece.width, piece.height);
    const int n = piece.width, mid = n / 2;

    for (const Pixel p : {Pixel{0, 0}, Pixel{n - 1, 0}, Pixel{0, n - 1}, Pixel{n - 1, n - 1}})
        EXPECT_EQ(piece.at(p), (Rgb{0xFF, 0xFF, 0xFF})) << "corner: white like the boards' fields";
    // Stretched over a hole, a small stone would look lost in it.
    for (const Pixel p : {Pixel{1, mid}, Pixel{n - 2, mid}, Pixel{mid, 1}, Pixel{mid, n - 2}})
        EXPECT_NE(piece.at(p), (Rgb{0xFF, 0xFF, 0xFF})) << "edge";

    const Pixel upperLeft{mid - n / 6, mid - n / 6}, lowerRight{mid + n / 6, mid + n / 6}, rim{mid + n / 3, mid + n / 3};
    EXPECT_GT(piece.at(upperLeft).brightness(), piece.at(lowerRight).brightness()) << "lit from the upper left";
    EXPECT_GT(piece.at(lowerRight).brightness(), piece.at(rim).brightness()) << "darker at the rim";
}

} // namespace
