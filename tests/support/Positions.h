// Positions written as text ("1 / 1 1 / . 1 1 / ...") and the lines of both boards.
#pragma once

#include "board/BoardLayout.h"
#include "board/Solver.h"

#include <optional>
#include <string>
#include <vector>

namespace hop::test {

using namespace hop::board;

// '1' or 'o' is a piece, '.' or '0' an empty hole; '/' and spaces only help the eye.
std::vector<int> parsePosition(const std::string& picture);

// The jump table derived from a board's lines: every run a-b-c gives a over b into c and back.
std::vector<std::vector<JumpEntry>> jumpsFromLines(int holeCount, const std::vector<std::vector<int>>& lines);
const std::vector<std::vector<int>>& boardALines();
const std::vector<std::vector<int>>& boardBLines();

} // namespace hop::test
