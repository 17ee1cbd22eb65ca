// What a screen reader is told of a play screen: each hole by number and content, the
// readouts with their captions, and the game's moves as they happen.
#pragma once

#include "modes/ScreenPort.h"
#include "shell/Accessibility.h"

#include <functional>
#include <vector>

namespace hop::modes {
class PlayMode;
}

namespace hop::shell {

class GameControls;
class PictureCell;

class BoardVoice : public HoleVoice {
public:
    // Speaks of `game` on `screen`, whose hole k is `holes[k - 1]` and whose readouts and
    // captions are `controls`; a screen reader's press on a hole goes to `press`.
    BoardVoice(QWidget& screen, const modes::PlayMode& game, const std::vector<PictureCell*>& holes,
               const GameControls& controls, std::function<void(int)> press);

    QString holeName(int k) const override;
    void pressHole(int k) override;

    // Spoken as they happen.
    void pickedUp(const std::vector<int>& reachable);
    void putBack(int k);
    // Said before the drop runs: a drop may end the game with a message and a new board.
    void jumped(int from, int over, int to, int piecesLeft);
    // The hole the mark is on, asked for again.
    void sayHole(int k);
    // No piece can jump, or the piece up has nowhere to go.
    void nothingToReach(bool pieceUp);
    // The time and pieces left, and the stage, as the screen shows them now.
    void tellState();
    // The board is open and its clock runs.
    void ready(int stage);
    // A new board, a Giveup or a new stage: what was said is of the last one.
    void forget();

    // A readout is read with its caption, and the caption is not read again by itself.
    void readoutShown(modes::Readout readout);
    // A hole's name follows its state, and its neighbours' with it: whether a piece can
    // jump changes with them.
    void holeStateShown(int k);
    // A screen reader is told of every hole whose name has changed since it was last told.
    void refreshNames();

private:
    // Whether the keyboard holds a piece up, as its hole shows.
    bool pieceUp() const;

    const modes::PlayMode& game_;
    const std::vector<PictureCell*>& holes_;
    const GameControls& controls_;
    const std::function<void(int)> press_;
    Announcement announcement_;
    std::vector<QString> told_;  // index k - 1
};

} // namespace hop::shell
