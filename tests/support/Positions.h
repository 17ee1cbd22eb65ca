// Positions written as text ("1 / 1 1 / . 1 1 / ...") and a solver that clears them.
#pragma once

#include "board/BoardLayout.h"

#include <optional>
#include <string>
#include <vector>

namespace hop::test {

// '1' or 'o' is a piece, '.' or '0' an empty hole; '/' and spaces only help the eye.
std::vector<int> parsePosition(const std::string& picture);

// A sequence of jumps that leaves exactly one piece, if there is one.
std::optional<std::vector<JumpLine>> solve(const BoardLayout& layout, const std::vector<int>& occupied);

// The jump table derived from a board's lines: every run a-b-c gives a over b into c and back.
std::vector<std::vector<JumpEntry>> jumpsFromLines(int holeCount, const std::vector<std::vector<int>>& lines);
const std::vector<std::vector<int>>& boardALines();
const std::vector<std::vector<int>>& boardBLines();

} // namespace hop::test
