// Bitboard depth-first search with a memo of dead positions.
#include "board/Solver.h"

#include <bit>
#include <cstdint>
#include <functional>
#include <unordered_set>

namespace hop::board {

std::optional<std::vector<JumpLine>> solve(const BoardLayout& layout, const std::vector<int>& occupied)
{
    std::vector<JumpLine> all;
    for (int t = 1; t <= layout.holeCount(); ++t)
        for (const JumpEntry& e : layout.jumpsInto(t))
            all.push_back({e.from, e.over, t});
    std::uint32_t start = 0;
    for (int k : occupied)
        start |= 1u << k;
    std::unordered_set<std::uint32_t> dead;
    std::vector<JumpLine> path;
    std::function<bool(std::uint32_t)> search = [&](std::uint32_t bits) {
        if (std::popcount(bits) == 1)
            return true;
        if (dead.count(bits))
            return false;
        for (const JumpLine& j : all) {
            const std::uint32_t f = 1u << j.from, o = 1u << j.over, t = 1u << j.to;
            if ((bits & f) && (bits & o) && !(bits & t)) {
                path.push_back(j);
                if (search((bits & ~f & ~o) | t))
                    return true;
                path.pop_back();
            }
        }
        dead.insert(bits);
        return false;
    };
    if (!search(start))
        return std::nullopt;
    return path;
}

} // namespace hop::board
