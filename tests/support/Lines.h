// The boards' lines as a person reads them off the drawings, and the jumps they allow.
#pragma once

#include "board/BoardLayout.h"

#include <vector>

namespace hop::test {

using Lines = std::vector<std::vector<int>>;

inline const Lines kBoardALines = {
    {4, 5, 6}, {7, 8, 9, 10}, {11, 12, 13, 14, 15}, {16, 17, 18, 19, 20, 21},
    {1, 2, 4, 7, 11, 16}, {3, 5, 8, 12, 17}, {6, 9, 13, 18}, {10, 14, 19},
    {1, 3, 6, 10, 15, 21}, {2, 5, 9, 14, 20}, {4, 8, 13, 19}, {7, 12, 18},
};
inline const Lines kBoardBLines = {
    {1, 2, 4, 8, 12, 18}, {1, 3, 7, 11, 17, 23},
    {2, 5, 9, 14, 20}, {3, 6, 10, 15, 21}, {8, 13, 19}, {11, 16, 22},
    {4, 5, 6, 7}, {8, 9, 10, 11}, {12, 13, 14, 15, 16, 17}, {18, 19, 20, 21, 22, 23},
};

// Every run a-b-c of a line gives a over b into c, and c over b into a.
inline std::vector<std::vector<board::JumpEntry>> jumpsFromLines(int holeCount, const Lines& lines)
{
    std::vector<std::vector<board::JumpEntry>> into(size_t(holeCount + 1));
    for (const auto& line : lines)
        for (size_t i = 0; i + 2 < line.size(); ++i) {
            into[size_t(line[i + 2])].push_back({line[i], line[i + 1]});
            into[size_t(line[i])].push_back({line[i + 2], line[i + 1]});
        }
    return into;
}

} // namespace hop::test
