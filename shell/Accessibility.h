// What a screen reader hears: the holes by number and content, the windows by their
// roles, and the game's own words as it plays.
#pragma once

#include <QString>
#include <QWidget>

namespace hop::shell {

// What is said of one hole, by whoever keeps its state: its name and description are
// read from the same state its picture shows, so a screen reader and the eye agree.
class HoleVoice {
public:
    virtual QString holeName(int k) const = 0;
    virtual QString holeDescription(int k) const = 0;
    // A screen reader's press: as Enter on the hole.
    virtual void pressHole(int k) = 0;

protected:
    ~HoleVoice() = default;
};

// Words the game speaks as something happens (a move, a piece picked up). It is a
// notification to assistive technology and nothing on screen: Orca speaks a
// notification's text as it is shown, where a changed name or description reaches it
// without its text through Qt 6.4's bridge.
class Announcement : public QWidget {
    Q_OBJECT
public:
    explicit Announcement(QWidget* parent);
    void say(const QString& words);
    // What was said goes with the game it was said about.
    void forget();
    const QString& words() const { return words_; }

private:
    QString words_;
};

// A label whose words a neighbour already carries (a readout's caption): left out of
// what a screen reader reads, so nothing is read twice.
void keepFromScreenReaders(QWidget* label);

// Once, at application set-up, before the first screen is built.
void installAccessibility();

} // namespace hop::shell
