// The program's identity, its command line and the check for a display, shared by the game and its benchmarks.
#pragma once

#include <optional>

namespace hop::shell {

// Reads the command line before any display is needed. --help and --version print
// and give 0; anything else gives 2 after one line on stderr; no value means play.
std::optional<int> handleCommandLine(int argc, char** argv);

// False, after printing one line, when no window system the game can use answers:
// Qt would otherwise abort with a core dump while making the QApplication.
bool displayAvailable();

// Right after the QApplication is made: name, version, desktop id, icon and the quit rule.
void setUpApplication();

} // namespace hop::shell
