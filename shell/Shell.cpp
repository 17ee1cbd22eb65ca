// Each screen exists at most once and is built afresh when shown; a transition
// closes one screen and opens the next within the same event.
#include "shell/Shell.h"

#include "modes/Texts.h"
#include "resources/BuiltinPictures.h"
#include "shell/Application.h"
#include "shell/HelpWindow.h"
#include "shell/Keys.h"
#include "shell/Messages.h"
#include "shell/ModeFaces.h"
#include "shell/PictureCell.h"
#include "shell/Screen.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>

#include <algorithm>

namespace hop::shell {

namespace {

constexpr int kHelpWidth = 480;
constexpr int kHelpMinWidth = 240;
constexpr int kHelpHeight = 420;
const QString kClick = QString::fromLatin1(modes::texts::kClickSound);

// The version window: Enter presses OK wherever the focus is; Escape is its close box.
class VersionWindow : public Screen {
public:
    explicit VersionWindow(QWidget* owner) : Screen(versionLayout(), owner) {}

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        switch (keyAction(KeyPlace::Version, *event)) {
        case KeyAction::PressOk:
            if (auto* ok = control<QPushButton>(QStringLiteral("Command1")))
                ok->click();
            return;
        case KeyAction::CloseWindow: close(); return;
        default: Screen::keyPressEvent(event);
        }
    }
};

// The title: a left click on the picture closes it, and so do the keys a dialog is
// passed with, for a player without a mouse.
class TitleScreen : public Screen {
public:
    TitleScreen() : Screen(titleLayout()) {}

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (keyAction(KeyPlace::Title, *event) == KeyAction::PassTitle)
            close();
        else
            Screen::keyPressEvent(event);
    }
};

} // namespace

Shell::Shell(modes::Pace clock, Surroundings surroundings, QObject* parent)
    : QObject(parent), sounds_(std::move(surroundings.sound)), random_(std::move(surroundings.random)),
      message_(std::move(surroundings.message)), clock_(clock)
{
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
    auto* title = new TitleScreen;
    title_ = title;
    // The caption is empty; a screen reader is told what the window is and how to pass it.
    title->setSpokenName(QString::fromUtf8(modes::texts::kApplicationTitle) +
                         QStringLiteral(" タイトル：%1 キーでメニューへ。ボードでは%2 で穴へ、%3 で跳べる駒へ、%4 で残り時間。%5 でヘルプ")
                             .arg(anyKeyOf(KeyPlace::Title, KeyAction::PassTitle), anyKeyOf(KeyPlace::Board, KeyAction::MarkHole),
                                  anyKeyOf(KeyPlace::Board, KeyAction::MarkNext), anyKeyOf(KeyPlace::Board, KeyAction::TellState),
                                  helpKey().toString()));
    auto* picture = title->control<PictureCell>(QStringLiteral("Image1"));
    picture->setPicture(resources::titlePicture(pictureScale(title)));
    // A click is a left press and its release on the picture: another button, or a
    // press dragged off the picture before release, leaves the title up.
    connect(picture, &PictureCell::pressed, title, [picture](QMouseEvent* e) {
        picture->setProperty("leftHeld", e->button() == Qt::LeftButton);
    });
    connect(picture, &PictureCell::released, title, [title, picture](QMouseEvent* e) {
        const bool click = e->button() == Qt::LeftButton && picture->property("leftHeld").toBool() &&
                           picture->rect().contains(e->position().toPoint());
        picture->setProperty("leftHeld", false);
        if (click)
            title->close();
    });
    connect(title, &Screen::closed, this, [this] {
        sounds_.play(kClick);
        if (!japaneseFontMissing()) {
            showMenu();
            return;
        }
        // Once the title has gone, so that the hint stands alone; the menu waits for it.
        QTimer::singleShot(0, this, [this] {
            message_(japaneseFontHint(), nullptr);
            showMenu();
        });
    });
    // The outer size is set to 3820 x 3360 twips, a little wider than the picture.
    title->setFixedSize(twipsToPixels(3820), twipsToPixels(3360));
    title->centre();
    title->show();
    title->activateWindow();
    sounds_.play(QString::fromLatin1(modes::texts::kOpeningSound));
}

void Shell::showMenu()
{
    if (menu())
        return;
    auto* menu = new Screen(menuLayout());
    menu->setWindowTitle(menu->windowTitle() + clockNote(clock_));
    menu_ = menu;
    auto button = [menu](const char* name) { return menu->control<QPushButton>(QString::fromLatin1(name)); };
    auto openMode = [this, menu](modes::Mode kind) {
        sounds_.play(kClick);
        leavingMenu_ = true;
        menu->close();
        leavingMenu_ = false;
        openPlay(kind);
    };
    for (const ModeFace& face : modeFaces())
        connect(button(face.menuButton), &QPushButton::clicked, this, [openMode, kind = face.mode] { openMode(kind); });
    connect(button("Command4"), &QPushButton::clicked, this, [this, menu] {
        sounds_.play(kClick);
        menu->setInputBlocked(true);
        openVersion();
        menu->setInputBlocked(true, version());
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
    auto* screen = new PlayScreen(kind, sounds_, message_, random_, clock_);
    QString error;
    if (!screen->load(&error)) {
        delete screen;
        message_(error, nullptr);
        showMenu();
        return;
    }
    play_ = screen;
    connect(screen, &Screen::closed, this, &Shell::showMenu);
    offerHelp(screen);
    screen->show();
    screen->focusFirstControl();
}

void Shell::offerHelp(Screen* screen)
{
    auto* f1 = new QShortcut(helpKey(), screen);
    connect(f1, &QShortcut::activated, this, [this, screen] {
        if (!screen->inputBlocked())
            showHelp(screen);
    });
}

void Shell::showHelp(QWidget* beside)
{
    if (!help_)
        help_ = new HelpWindow;
    if (beside)
        placeBeside(help_, beside);
    help_->show();
    help_->raise();
    help_->activateWindow();
}

void Shell::placeBeside(QWidget* window, QWidget* game)
{
    // Help stays off the game, whose clock keeps running while the player reads, when
    // the screen has room beside it; otherwise it goes over the game, wholly on the screen.
    // Its own frame is not known before it is shown: the game's frame stands in for it.
    const QRect area = game->screen()->availableGeometry();
    const QRect frame = game->frameGeometry();
    const QSize frameSize = frame.size() - game->size();
    // Two pixels spare for a frame that a fractional scale rounds differently.
    const QSize spare(2, 2);
    const int rightRoom = area.right() - frame.right() - frameSize.width();
    const int leftRoom = frame.left() - area.left() - frameSize.width();
    const int room = std::max(rightRoom, leftRoom);
    const int height = std::min(kHelpHeight, area.height() - frameSize.height() - spare.height());
    if (room >= kHelpMinWidth) {
        window->resize(std::min(room - spare.width(), kHelpWidth), height);
        const int x = rightRoom >= leftRoom ? frame.right() + 1 : frame.left() - window->width() - frameSize.width();
        window->move(x, reachable(QRect(frame.topLeft(), window->size() + frameSize + spare), area).y());
        return;
    }
    window->resize(std::min(kHelpWidth, area.width() - frameSize.width() - spare.width()), height);
    window->move(reachable(QRect(frame.topLeft(), window->size() + frameSize + spare), area));
}

void Shell::openVersion()
{
    if (version())
        return;
    auto* window = new VersionWindow(menu());
    version_ = window;
    auto* icon = window->control<PictureCell>(QStringLiteral("Picture1"));
    const int scale = pictureScale(window);
    QImage picture = resources::programIcon(32 * scale);
    picture.setDevicePixelRatio(scale);
    icon->setPicture(picture);
    icon->setAccessibleName(QString::fromUtf8(modes::texts::kApplicationTitle) + QStringLiteral(" のアイコン"));
    // Read with the caption as the window opens (a screen reader skips a two-word line).
    if (auto* line = window->control<QLabel>(QStringLiteral("Label1")))
        window->setSpokenName(window->windowTitle() + QLatin1Char(' ') + line->text());
    connect(window->control<QPushButton>(QStringLiteral("Command1")), &QPushButton::clicked, window,
            [window] { window->close(); });
    connect(window, &Screen::closed, this, [this] {
        Screen* m = menu();
        if (!m)
            return;
        m->setInputBlocked(false);
        // The keyboard player carries on from the button that opened the window.
        m->control(QStringLiteral("Command4"))->setFocus(Qt::OtherFocusReason);
        m->activateWindow();
    });
    window->centre(300);
    window->show();
    // A window manager may leave a newly mapped tool window unfocused; Enter must reach OK.
    window->activateWindow();
    window->focusFirstControl();
}

} // namespace hop::shell
