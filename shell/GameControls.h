// The one place where the game's controls meet their widgets: each layout entry that
// plays a part in the game names it, and this table is built from those entries.
#pragma once

#include "shell/Layout.h"

#include <map>

class QLabel;
class QObject;
class QPushButton;
class QTimer;
class QWidget;

namespace hop::shell {

class GameControls {
public:
    // Finds, under `screen`, the widget of every entry of `layout` that has a part in the game.
    GameControls(const QWidget& screen, const ScreenLayout& layout);

    // Null where this screen has no such control.
    QLabel* readout(modes::Readout readout) const;
    QPushButton* button(modes::Button button) const;
    QWidget* overlay(modes::Overlay overlay) const;
    QTimer* timer(modes::TimerId timer) const;
    // The label that names a readout, read with it.
    QLabel* caption(modes::Readout readout) const;
    const std::map<modes::Readout, QLabel*>& captions() const { return captions_; }

private:
    QObject* find(const GameRole& role) const;

    std::map<GameRole, QObject*> byRole_;
    std::map<modes::Readout, QLabel*> captions_;
};

} // namespace hop::shell
