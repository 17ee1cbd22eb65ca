// A running shell in the game's folder, with messages recorded and acknowledged and no
// audio device touched.
#pragma once

#include "shell/Messages.h"
#include "shell/PictureCell.h"
#include "shell/PlayScreen.h"
#include "shell/Shell.h"
#include "board/Solver.h"
#include "tests/support/Reveal.h"
#include "tests/support/ScreenReader.h"

#include <QCloseEvent>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace hop::test {

using namespace hop::board;
using namespace hop::modes;

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        previousDir_ = QDir::currentPath();
        QDir::setCurrent(QStringLiteral(HOPSTONE_GAME_DIR));
        newShell();
    }

    // A fresh shell, as a new run of the program has; `device`: its sounds reach the sound server.
    void newShell(modes::Pace clock = modes::Pace::Normal, bool device = false)
    {
        shell.reset();
        settle();
        played.clear();
        shell::Surroundings around{
            .random = [this, drawn = modes::gameRoulette()] { return draws ? draws() : drawn(); },
            .sound = {device, [this](const QString& file) { played.append(file), onSound ? onSound(file) : void(); }},
            .message = [this](const QString& text, QWidget* owner) {
                if (realBoxes)
                    return shell::showMessage(text, owner);
                messages.append(text);
                // A box that opens under the piece cursor would show it over the box.
                EXPECT_FALSE(QGuiApplication::overrideCursor()) << "a message opened with a cursor set";
            }};
        shell = std::make_unique<shell::Shell>(clock, std::move(around));
        QObject::connect(shell.get(), &shell::Shell::quitRequested, [this] { ++quits; });
    }

    void TearDown() override
    {
        // Leave no held button or cursor behind for the next test.
        while (QGuiApplication::overrideCursor())
            QGuiApplication::restoreOverrideCursor();
        shell.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QDir::setCurrent(previousDir_);
    }

    // Closing, deleting and showing happen in the event loop's deferred deletes too.
    static void settle() { QCoreApplication::processEvents(); QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    void toMenu(const std::function<void(shell::Screen*)>& visit = {})
    {
        shell->start();
        if (visit)
            visit(shell->title());
        QTest::mouseClick(shell->title()->control<shell::PictureCell>(QStringLiteral("Image1")), Qt::LeftButton);
        settle();
        ASSERT_TRUE(shell->menu());
    }

    shell::PlayScreen* openFromMenu(const char* button)
    {
        QTest::mouseClick(shell->menu()->control<QPushButton>(QLatin1String(button)), Qt::LeftButton);
        settle();
        return shell->play();
    }

    // The six screens, opened as the player opens them.
    void everyScreen(const std::function<void(shell::Screen*)>& visit)
    {
        toMenu(visit);
        visit(shell->menu());
        openFromMenu("Command4");
        visit(shell->version());
        QTest::mouseClick(shell->version()->control<QPushButton>(QStringLiteral("Command1")), Qt::LeftButton);
        settle();
        for (const char* button : {"Command1", "Command2", "Command3"}) {
            visit(openFromMenu(button));
            closeBox(shell->play());
            settle();
        }
    }

    shell::PlayScreen* boardAByKeys(int reveal);

    // The reveal, tick by tick as the timer would deliver it.
    static void startAndReveal(shell::PlayScreen* screen) { QTest::mouseClick(screen->control<QPushButton>(QStringLiteral("Command1")), Qt::LeftButton); finishReveal(screen); }

    // What the window manager's close button sends.
    static void closeBox(QWidget* w) { QCloseEvent e; QCoreApplication::sendEvent(w, &e); }

    static QPoint centreOf(shell::PlayScreen* screen, int k) { return screen->hole(k)->geometry().center(); }
    static QString text(QWidget* screen, const QString& label) { return screen->findChild<QLabel*>(label)->text(); }

    std::unique_ptr<shell::Shell> shell;
    // The messages shown, each acknowledged at once unless `realBoxes` brings the boxes back.
    QStringList messages;
    bool realBoxes = false;
    // The sounds asked for; each told to `onSound` too.
    QStringList played;
    std::function<void(const QString& file)> onSound;
    // The roulette's draws, when a test scripts them.
    modes::RandomSource draws;
    int quits = 0;

private:
    QString previousDir_;
};

} // namespace hop::test
