// The program's identity, its command line and the check for a display, shared by the game and its benchmarks.
#pragma once

#include "modes/Rules.h"

#include <QString>

#include <optional>

namespace hop::shell {

// --help and --version, answered before any display is needed: prints and gives 0.
// No value when neither is asked for: the rest waits for refuseArguments().
std::optional<int> handleCommandLine(int argc, char** argv);

// False, after printing one line, when no window system is named at all and there are
// no arguments to check. Otherwise true, and until setUpApplication() a window system
// that does not answer, or a platform plugin Qt does not have, ends the program with one
// line and status 2, where Qt would abort with a core dump. Arguments come first: with
// any, the line waits until refuseArguments() has found them good on the offscreen platform.
bool displayAvailable();

// Right after the QApplication is made: name, version, desktop id, icon and the quit rule.
void setUpApplication();

// Once the QApplication has taken out Qt's own options (-style, -platform, -session, ...):
// anything left is refused with one line, and 2 is the status to end with; so is a window
// system that did not open, once every argument is good.
std::optional<int> refuseArguments();

// Soon after the first frame: one line on stderr when no installed font has Japanese
// glyphs, naming the package that brings one. The game starts anyway.
void checkJapaneseFontSoon();

// The clock the command line chose, once refuseArguments() has found it good.
modes::Pace chosenClock();

// The status to end with, once the game's windows and sounds are gone (the QApplication
// still there). On Wayland the process ends here instead: Qt's Wayland client, torn down,
// can wait forever for its event thread, and a game whose windows have all closed must
// not linger.
int finish(int status);

// Whether no installed font has Japanese glyphs; the font list is read once.
bool japaneseFontMissing();
// What the window between the title and the menu says then: in Latin letters, the only
// ones the player can read without such a font.
QString japaneseFontHint();

} // namespace hop::shell
