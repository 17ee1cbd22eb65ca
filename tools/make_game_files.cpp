// Command-line entry: writes back.kzt, koma.kzt, op.wav and 001.wav into the folder given.
#include "game_files.h"

#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>

namespace {

using hop::tools::Bytes;

void writeFile(const std::filesystem::path& path, const Bytes& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file)
        throw std::runtime_error("cannot write " + path.string());
}

} // namespace

int main(int argc, char** argv)
{
    namespace tools = hop::tools;
    if (argc != 2) {
        std::cerr << "usage: " << (argc > 0 ? argv[0] : "make_game_files") << " <output folder>\n";
        return 2;
    }
    try {
        // The build may run this before anything else has created the game folder.
        const std::filesystem::path folder(argv[1]);
        std::filesystem::create_directories(folder);
        writeFile(folder / "back.kzt", tools::encodeBmp(tools::drawBoardA()));
        writeFile(folder / "koma.kzt", tools::encodeBmp(tools::drawPiece()));
        writeFile(folder / "op.wav", tools::encodeWav(tools::composeOpening(), tools::kSampleRate));
        writeFile(folder / "001.wav", tools::encodeWav(tools::composeClick(), tools::kSampleRate));
    } catch (const std::exception& e) {
        std::cerr << "make_game_files: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
