// What a screen reader hears: the holes by number and content, the windows by their
// roles, and the game's own words as it plays.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

namespace hop::shell {

// What is said of one hole, by whoever keeps its state: its name is read from the same
// state its picture shows, so a screen reader and the eye agree. All of it is in the name:
// Orca 48 keeps a description it generated for two seconds, whatever the hole says since.
class HoleVoice {
public:
    virtual QString holeName(int k) const = 0;
    // A screen reader's press: as Enter on the hole.
    virtual void pressHole(int k) = 0;

protected:
    ~HoleVoice() = default;
};

// Words the game speaks as something happens (a move, a piece picked up). Each is a
// notification to assistive technology and nothing on screen: Orca speaks a
// notification's text as it is shown, where a changed name or description reaches it
// without its text through Qt 6.4's bridge. Every message is a notification of its own,
// made for it: Orca 48 keeps the name it once read of an object and would speak a
// reused notification's first words again. It is shown once the event that said it is
// handled: a message box that opens meanwhile takes the words instead (see
// takeUnspokenAnnouncement), since Orca 48 reads an opening window before any
// notification and would cut the box's words off with the move's.
class Announcement {
public:
    explicit Announcement(QWidget* parent) : parent_(parent) {}
    void say(const QString& words);
    // What was said goes with the game it was said about.
    void forget();

private:
    QWidget* parent_;
    QPointer<QWidget> shown_;
};

// The words said during the event being handled and not yet shown, which are then
// never shown: for a message box that opens on a move, to be read as its beginning.
QString takeUnspokenAnnouncement();

// The property of a game's message box that holds those words.
inline constexpr char kMoveBeforeMessage[] = "hopMoveBeforeMessage";

// A label whose words a neighbour already carries (a readout's caption): left out of
// what a screen reader reads, so nothing is read twice.
void keepFromScreenReaders(QWidget* label);

// Once, at application set-up, before the first screen is built.
void installAccessibility();

} // namespace hop::shell
