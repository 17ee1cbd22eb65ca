// The program's identity, its command line and the check for a display, shared by the game and its benchmarks.
#pragma once

#include "modes/Rules.h"

#include <QList>
#include <QString>

#include <optional>
#include <vector>

namespace hop::shell {

// The game's start, in the steps main() takes, until its windows are up. Everything the
// command line says is read, without Qt, before any display is asked for.
class StartUp {
public:
    // Names the command and reads the command line: Qt's own options are taken out as
    // Qt will take them, and what is left is the game's.
    StartUp(int argc, char** argv);

    // --help and --version: printed, and 0 is the status to end with.
    std::optional<int> answerHelpOrVersion() const;
    // An argument that is neither Qt's nor the game's: one line, and 2.
    std::optional<int> refuseArguments() const;
    // False, after one line, when no window system is named at all. Otherwise true, and
    // until setUp() a window system that does not answer, or a platform plugin Qt does not
    // have, ends the program with one line and status 2, where Qt would abort with a core dump.
    bool lookForDisplay();
    // Right after the QApplication is made: what Qt said while it opened, then setUpApplication().
    void setUp();
    // Soon after the first frame: one line on stderr when no installed font has Japanese
    // glyphs. The game starts anyway.
    void checkJapaneseFontSoon() const;
    modes::Pace clock() const { return clock_; }

private:
    static void whileOpeningTheDisplay(QtMsgType type, const QMessageLogContext& context, const QString& message);
    QByteArray noDisplay() const;
    QByteArray noPlugin(const QString& fatalMessage) const;

    // The name the player typed: the hopstone command passes it on, since it starts the
    // game by its full path; started directly, the game's own file name.
    QByteArray command_;
    QByteArray answer_;   // for stdout, when --help or --version is asked for
    QByteArray refusal_;  // for stderr, when an argument is refused
    modes::Pace clock_ = modes::Pace::Normal;
    bool platformNamed_ = false;  // -platform names a window system as QT_QPA_PLATFORM does

    // While the QApplication is made: what the window-system plugins say is held back until
    // the display is open (one that failed is no news then). Qt tells of the platform plugins
    // it looked for and did not find, or found and could not start, only in its messages.
    QtMessageHandler outerHandler_ = nullptr;
    struct Held {
        QtMsgType type;
        const char* category;
        QString message;
    };
    std::vector<Held> held_;
    QList<QByteArray> pluginsNotFound_;
    bool pluginFound_ = false;
};

// Name, version, desktop id and the quit rule, once the QApplication is made; the tests and
// benchmarks that make their own call it too.
void setUpApplication();

// The status to end with, once the game's windows and sounds are gone (the QApplication
// still there). On Wayland the process ends here instead: Qt's Wayland client, torn down,
// can wait forever for its event thread, and a game whose windows have all closed must
// not linger.
int finish(int status);

// Whether no installed font has Japanese glyphs; the font list is read once.
bool japaneseFontMissing();
// What the game says then, in a window between the title and the menu, and in one line on
// stderr: in Latin letters, the only ones the player can read without such a font.
QString japaneseFontHint();

} // namespace hop::shell
