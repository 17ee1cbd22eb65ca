// Each screen exists at most once and is built afresh when shown; a transition
// closes one screen and opens the next within the same event.
#include "shell/Shell.h"

#include "modes/Texts.h"
#include "resources/BuiltinPictures.h"
#include "shell/HelpWindow.h"
#include "shell/Messages.h"
#include "shell/PictureCell.h"
#include "shell/Screen.h"

#include <QKeyEvent>
#include <QScreen>
#include <QPushButton>
#include <QShortcut>


namespace hop::shell {

namespace {

const QString kClick = QString::fromLatin1(modes::texts::kClickSound);

// The version window: Enter presses OK wherever the focus is.
class VersionWindow : public Screen {
public:
    VersionWindow() : Screen(versionLayout()) {}

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            if (auto* ok = control<QPushButton>(QStringLiteral("Command1")))
                ok->click();
            return;
        }
        Screen::keyPressEvent(event);
    }
};

} // namespace

Shell::Shell(QObject* parent) : QObject(parent)
{
    random_ = [this] { return roulette_.next(); };
}

Shell::~Shell()
{
    // Quitting runs no close step: the screens simply go.
    for (QPointer<Screen> s : {title_, menu_, static_cast<QPointer<Screen>>(play_.data()), version_}) {
        if (s) {
            s->blockSignals(true);
            delete s.data();
        }
    }
    delete help_.data();
}

void Shell::start()
{
    auto* title = new Screen(titleLayout());
    title_ = title;
    auto* picture = title->control<PictureCell>(QStringLiteral("Image1"));
    picture->setPicture(builtin::titlePicture(pictureScale(title)));
    // A click anywhere on the picture closes the title.
    connect(picture, &PictureCell::pressed, title, [title] { title->close(); });
    connect(title, &Screen::closed, this, [this] {
        sounds_.play(kClick);
        showMenu();
    });
    // The outer size is set to 3820 x 3360 twips, a little wider than the picture.
    title->setFixedSize(twipsToPixels(3820), twipsToPixels(3360));
    title->centre();
    title->show();
    sounds_.play(QString::fromLatin1(modes::texts::kOpeningSound));
}

void Shell::showMenu()
{
    if (menu())
        return;
    auto* menu = new Screen(menuLayout());
    menu_ = menu;
    auto button = [menu](const char* name) { return menu->control<QPushButton>(QString::fromLatin1(name)); };
    auto openMode = [this, menu](modes::Mode kind) {
        sounds_.play(kClick);
        leavingMenu_ = true;
        menu->close();
        leavingMenu_ = false;
        openPlay(kind);
    };
    connect(button("Command1"), &QPushButton::clicked, this, [openMode] { openMode(modes::Mode::BoardA); });
    connect(button("Command2"), &QPushButton::clicked, this, [openMode] { openMode(modes::Mode::BoardB); });
    connect(button("Command3"), &QPushButton::clicked, this, [openMode] { openMode(modes::Mode::Stages); });
    connect(button("Command4"), &QPushButton::clicked, this, [this, menu] {
        sounds_.play(kClick);
        menu->setEnabled(false);
        openVersion();
    });
    connect(button("Command5"), &QPushButton::clicked, this, [this] {
        sounds_.play(kClick);
        Q_EMIT quitRequested();
    });
    connect(menu, &Screen::closed, this, &Shell::menuClosed);
    offerHelp(menu);
    menu->centre();
    menu->show();
    menu->focusFirstControl();
}

void Shell::menuClosed()
{
    if (!leavingMenu_)
        Q_EMIT quitRequested();
}

void Shell::openPlay(modes::Mode kind)
{
    if (play())
        return;
    auto* screen = new PlayScreen(kind, sounds_, random_);
    QString error;
    if (!screen->load(&error)) {
        delete screen;
        shell::showMessage(error);
        showMenu();
        return;
    }
    play_ = screen;
    connect(screen, &Screen::closed, this, &Shell::showMenu);
    offerHelp(screen);
    screen->show();
    screen->focusFirstControl();
}

void Shell::offerHelp(QWidget* screen)
{
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), screen);
    connect(f1, &QShortcut::activated, this, &Shell::showHelp);
}

void Shell::showHelp()
{
    if (!help_) {
        help_ = new HelpWindow;
        help_->move(help_->screen()->availableGeometry().center() - help_->rect().center());
    }
    help_->show();
    help_->raise();
    help_->activateWindow();
}

void Shell::openVersion()
{
    if (version())
        return;
    auto* window = new VersionWindow;
    version_ = window;
    auto* icon = window->control<PictureCell>(QStringLiteral("Picture1"));
    const int scale = pictureScale(window);
    QImage picture = builtin::programIcon(32 * scale);
    picture.setDevicePixelRatio(scale);
    icon->setPicture(picture);
    connect(window->control<QPushButton>(QStringLiteral("Command1")), &QPushButton::clicked, window,
            [window] { window->close(); });
    connect(window, &Screen::closed, this, [this] {
        if (Screen* m = menu())
            m->setEnabled(true);
    });
    window->centre(300);
    window->show();
    window->focusFirstControl();
}

} // namespace hop::shell
