// Positions drawn as text, and the boards' lines as a person reads them off the drawing.
#include "tests/support/Positions.h"

#include <stdexcept>

namespace hop::test {

std::vector<int> parsePosition(const std::string& picture)
{
    std::vector<int> holes;
    int k = 0;
    for (char c : picture) {
        if (c == '1' || c == 'o')
            holes.push_back(++k);
        else if (c == '.' || c == '0')
            ++k;
        else if (c != ' ' && c != '/' && c != '\n')
            throw std::invalid_argument("bad position picture");
    }
    return holes;
}

std::vector<std::vector<JumpEntry>> jumpsFromLines(int holeCount, const std::vector<std::vector<int>>& lines)
{
    std::vector<std::vector<JumpEntry>> into(static_cast<size_t>(holeCount + 1));
    for (const auto& line : lines) {
        for (size_t i = 0; i + 2 < line.size(); ++i) {
            into[static_cast<size_t>(line[i + 2])].push_back({line[i], line[i + 1]});
            into[static_cast<size_t>(line[i])].push_back({line[i + 2], line[i + 1]});
        }
    }
    return into;
}

const std::vector<std::vector<int>>& boardALines()
{
    static const std::vector<std::vector<int>> lines = {
        {4, 5, 6}, {7, 8, 9, 10}, {11, 12, 13, 14, 15}, {16, 17, 18, 19, 20, 21},
        {1, 2, 4, 7, 11, 16}, {3, 5, 8, 12, 17}, {6, 9, 13, 18}, {10, 14, 19},
        {1, 3, 6, 10, 15, 21}, {2, 5, 9, 14, 20}, {4, 8, 13, 19}, {7, 12, 18},
    };
    return lines;
}

const std::vector<std::vector<int>>& boardBLines()
{
    static const std::vector<std::vector<int>> lines = {
        {1, 2, 4, 8, 12, 18}, {1, 3, 7, 11, 17, 23},
        {2, 5, 9, 14, 20}, {3, 6, 10, 15, 21}, {8, 13, 19}, {11, 16, 22},
        {4, 5, 6, 7}, {8, 9, 10, 11}, {12, 13, 14, 15, 16, 17}, {18, 19, 20, 21, 22, 23},
    };
    return lines;
}

} // namespace hop::test
