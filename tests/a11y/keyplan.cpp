// Prints a difficult stage (the first, or the one named) played to its clear as keys, one a line, each with the words a
// screen reader must speak after it, along a solution the solver finds: a piece reached by its
// number (the digits of one number struck together), Enter to pick it up, Page Down through the
// holes it can jump into, Enter to jump. A stage, short as it is, is cleared well inside its
// minute even when a busy machine slows the screen reader to a second a key.
#include "board/Solver.h"
#include "modes/Rules.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

using namespace hop;

int main(int argc, char** argv)
{
    const board::BoardLayout& board = modes::rulesFor(modes::Mode::Stages).board;
    const std::vector<int> opening = modes::stagePosition(argc > 1 ? std::atoi(argv[1]) : 1);
    std::set<int> pieces(opening.begin(), opening.end());
    // Each hole's name begins a line of Orca's, right after its quote.
    auto number = [](int k) {
        return k < 10 ? std::to_string(k) : std::to_string(k / 10) + " " + std::to_string(k % 10);
    };
    int left = int(opening.size());
    int mark = 0;
    const std::vector<board::JumpLine> moves = board::solve(board, opening).value();
    for (const board::JumpLine& j : moves) {
        if (mark != j.from)  // a player on the piece already goes on
            std::printf("%s\t'%d こま\n", number(j.from).c_str(), j.from);
        std::printf("Return\tもちあげ。\n");
        std::vector<int> targets;
        for (const board::JumpLine& l : board.lines())
            for (const board::JumpLine& m : {l, board::JumpLine{l.to, l.over, l.from}})
                if (m.from == j.from && pieces.count(m.over) && !pieces.count(m.to))
                    targets.push_back(m.to);
        std::sort(targets.begin(), targets.end());
        // Page Down goes to the first after the mark, round to the first of all.
        auto next = std::upper_bound(targets.begin(), targets.end(), j.from);
        for (mark = j.from; mark != j.to; ++next) {
            if (next == targets.end())
                next = targets.begin();
            mark = *next;
            std::printf("Page_Down\t'%d ここへ\n", mark);
        }
        pieces.erase(j.from), pieces.erase(j.over), pieces.insert(j.to);
        std::printf("Return\tのこり %d。%d から %d へ、%d を とびこえました\n", --left, j.from, j.to, j.over);
    }
}
