// The program's identity and the check for a display, shared by the game and its benchmarks.
#pragma once

namespace hop::shell {

// False, after printing one sentence, when there is no display to open a window on.
bool displayAvailable();

// Right after the QApplication is made: name, version, icon and the quit rule.
void setUpApplication();

} // namespace hop::shell
