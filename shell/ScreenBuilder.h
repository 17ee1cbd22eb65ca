// Turns a layout's control list into widgets named after their controls.
#pragma once

#include "shell/Layout.h"

#include <QFont>
#include <QWidget>

namespace hop::shell {

// Builds the controls under `parent` and returns the focusable ones in tab order.
QList<QWidget*> buildControls(QWidget* parent, const std::vector<ControlEntry>& controls, const FontStyle& baseFont);

QRect twipsRect(int left, int top, int width, int height);

// The game's face at a layout's size and style: the designed Gothic, or a stand-in.
QFont gameFont(const FontStyle& entry);

} // namespace hop::shell
