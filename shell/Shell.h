// Which screen is open, and the transitions between them: title, menu, play screens, version.
#pragma once

#include "modes/Roulette.h"
#include "resources/SoundBoard.h"
#include "shell/Messages.h"
#include "shell/PlayScreen.h"
#include "shell/Screen.h"

#include <QObject>
#include <QPointer>

namespace hop::shell {

class Screen;

// What a run meets outside the game, each of which a test or a benchmark may stand in
// for: the roulette's draws, the sound device, the message boxes.
struct Surroundings {
    modes::RandomSource random = modes::gameRoulette();
    resources::SoundOutput sound{};
    MessageShow message = showMessage;
};

class Shell : public QObject {
    Q_OBJECT
public:
    // The clock every game of this run keeps, chosen when the game is started.
    explicit Shell(modes::Pace clock = modes::Pace::Normal, Surroundings surroundings = {}, QObject* parent = nullptr);
    ~Shell() override;

    void start();
    void showMenu();
    void openPlay(modes::Mode kind);
    void openVersion();
    // F1 on the menu or a play screen: help opens beside that screen.
    void showHelp(QWidget* beside = nullptr);
    QWidget* help() const { return help_; }

    // The open screens; one that has run its close step counts as gone.
    Screen* title() const { return open(title_); }
    Screen* menu() const { return open(menu_); }
    PlayScreen* play() const { return static_cast<PlayScreen*>(open(play_.data())); }
    Screen* version() const { return open(version_); }
    resources::SoundBoard& sounds() { return sounds_; }

Q_SIGNALS:
    // The quit button, or the menu closed by the window system: end the program now.
    void quitRequested();

private:
    void menuClosed();
    void offerHelp(Screen* screen);
    static void placeBeside(QWidget* window, QWidget* game);
    static Screen* open(Screen* screen) { return screen && !screen->isClosing() ? screen : nullptr; }

    resources::SoundBoard sounds_;
    // One generator for the whole run.
    modes::RandomSource random_;
    const MessageShow message_;
    const modes::Pace clock_;
    QPointer<Screen> title_;
    QPointer<Screen> menu_;
    QPointer<PlayScreen> play_;
    QPointer<Screen> version_;
    QPointer<QWidget> help_;
    bool leavingMenu_ = false;
};

} // namespace hop::shell
