// Finds a way to clear any position: proves the stages can be won and plays whole games
// for the tests and the benchmarks. Not part of the game itself.
#pragma once

#include "board/BoardLayout.h"

#include <optional>
#include <vector>

namespace hop::board {

// A sequence of jumps that leaves exactly one piece, if there is one.
std::optional<std::vector<JumpLine>> solve(const BoardLayout& layout, const std::vector<int>& occupied);

} // namespace hop::board
