// What the screens show of each play mode, in one table: its screen, the menu's button
// that opens it (whose words a screen reader calls it by) and its board's background.
// A new mode is a row here, a row in the rules and, for a new board, the board's data.
#pragma once

#include "modes/Rules.h"
#include "shell/Layout.h"

#include <QImage>

namespace hop::shell {

struct ModeFace {
    modes::Mode mode;
    const ScreenLayout& (*layout)();
    const char* menuButton;
    // Drawn by the game at a picture scale; none: the player's back.kzt.
    QImage (*drawnBackground)(int scale) = nullptr;
};

const std::vector<ModeFace>& modeFaces();
const ModeFace& faceOf(modes::Mode mode);
// The words of the mode's menu button: what a screen reader calls its screen, where every
// play screen's caption is the game's name.
QString spokenNameOf(modes::Mode mode);

} // namespace hop::shell
