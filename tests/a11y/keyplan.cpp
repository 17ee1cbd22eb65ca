// Prints the first difficult stage played to its clear as keys, one a line, each with the words a
// screen reader must speak after it: the arrows walk the mark by the board's own steps, Enter picks
// up and drops, along a solution the solver finds. A stage, short as it is, is cleared well inside
// its minute even when a busy machine slows the screen reader to a second a key.
#include "board/Solver.h"
#include "modes/Rules.h"

#include <cstdio>
#include <map>
#include <queue>

using namespace hop;

int main()
{
    const board::BoardLayout& board = modes::rulesFor(modes::Mode::Stages).board;
    const std::vector<int> opening = modes::stagePosition(1);
    const char* const keys[] = {"Left", "Right", "Up", "Down"};
    int mark = 0;
    auto walk = [&](int to) {
        if (!mark) {
            mark = board.centreHole();
            std::printf("Down\t穴 %d：\n", mark);
        }
        std::map<int, std::pair<int, int>> from{{mark, {0, -1}}};  // hole -> previous hole, arrow
        std::queue<int> next({mark});
        for (; !next.empty() && next.front() != to; next.pop())
            for (int a = 0; a < 4; ++a)
                if (const int k = board.step(next.front(), board::Arrow(a)); k && !from.count(k)) {
                    from[k] = {next.front(), a};
                    next.push(k);
                }
        std::vector<std::pair<int, int>> path;
        for (int k = to; k != mark; k = from[k].first)
            path.push_back({from[k].second, k});
        for (auto step = path.rbegin(); step != path.rend(); ++step)
            std::printf("%s\t穴 %d：\n", keys[step->first], step->second);
        mark = to;
    };
    int left = int(opening.size());
    const std::vector<board::JumpLine> moves = board::solve(board, opening).value();
    for (const board::JumpLine& j : moves) {
        walk(j.from);
        std::printf("Return\t穴 %d の駒を持ち上げました\n", j.from);
        walk(j.to);
        std::printf("Return\t%d から %d へ、%d を跳び越えました。残り駒数：%d\n", j.from, j.to, j.over, --left);
    }
}
