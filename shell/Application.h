// The program's identity, its command line and the check for a display, shared by the game and its benchmarks.
#pragma once

#include <optional>

namespace hop::shell {

// Reads the command line before any display is needed. --help and --version print
// and give 0; anything else gives 2 after one line on stderr; no value means play.
std::optional<int> handleCommandLine(int argc, char** argv);

// False, after printing one line, when no window system is named at all. Otherwise
// true, and until setUpApplication() a window system that does not answer ends the
// program with that line and status 2, where Qt would abort with a core dump.
bool displayAvailable();

// Right after the QApplication is made: name, version, desktop id, icon and the quit rule.
void setUpApplication();

} // namespace hop::shell
