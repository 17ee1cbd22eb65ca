// What each key does on each screen of the game, in one table: to add or change a key,
// this is the only place to read.
#pragma once

#include <QKeySequence>
#include <QStringList>

class QKeyEvent;

namespace hop::shell {

// Where a key lands.
enum class KeyPlace {
    Title,    // the title picture
    Version,  // the version window, wherever its focus is
    Help,     // the help window
    Board,    // a play screen's board, where the game gives the key no other meaning
};

enum class KeyAction {
    None,
    PassTitle,    // close the title and go on to the menu
    PressOk,      // the version window's OK, wherever the focus is
    CloseWindow,  // as the window's close box
    MarkLeft,
    MarkRight,
    MarkUp,
    MarkDown,
    Activate,  // the hole under the mark: pick up, drop or put back
    PutBack,   // a held piece goes back to its hole
    MarkHole,  // a digit of a hole's number: the mark goes to that hole
    MarkNext,      // the next piece that can jump, or with a piece up the next hole it can jump into
    MarkPrevious,  // the same, backwards
    TellState,     // the time and pieces left, said without moving the mark
};


// The action of a key pressed in a place; None when the key is not the game's there
// (the widget with the focus then handles it as usual). Held down, only the keys that
// move the mark repeat: the key guard lets no repeat of any other key of the table through.
KeyAction keyAction(KeyPlace place, const QKeyEvent& event);
// The digit of a MarkHole key.
int keyDigit(const QKeyEvent& event);
// The keys that do `action` in `place`, as a player names them, in the table's order:
// what the help and the spoken hints say of the keys.
QStringList keyNames(KeyPlace place, KeyAction action);
// Those names as one choice: "Enter、Space または Escape".
QString anyKeyOf(KeyPlace place, KeyAction action);

// F1, on the menu and every play screen, opens the help.
QKeySequence helpKey();

// Once, at application set-up: a held Enter, Space or Escape acts once, on the screen
// where it went down; its repeats reach no button, box or screen.
void installKeyGuard();

} // namespace hop::shell
