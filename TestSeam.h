// The doors a player never opens. Tests and benchmarks come in here, and only here: to
// set up a position outside the rules, script the roulette, keep the sound device shut,
// stand in for the message boxes and for a disk that stops answering. The game's own
// files include it only to define these doors; the classes they open name it a friend.
#pragma once

#include "modes/PlayMode.h"
#include "modes/Roulette.h"

#include <functional>

class QString;

namespace hop {

namespace resources {
class SoundBoard;
}
namespace shell {
class Shell;
}

struct TestSeam {
    // The game's board, to write holes directly.
    static board::Board& board(modes::PlayMode& game) { return game.board_; }
    // Every message is handed to the hook, which acknowledges it by returning, instead
    // of a box; pass nothing to bring the boxes back.
    static void setMessageHook(std::function<void(const QString& text)> hook);
    // Called before every read of a file, on the thread that reads.
    static void setReadStall(void (*stall)());
    // A muted board keeps its log but touches no audio device.
    static void setMuted(resources::SoundBoard& sounds, bool muted);
    // Called as each sound that is not muted is handed to the sound threads.
    static void onSoundStart(resources::SoundBoard& sounds, std::function<void(const QString& file)> hook);
    // The roulette's draws for every stage screen opened from now on.
    static void setRandomSource(shell::Shell& shell, modes::RandomSource random);
};

} // namespace hop
