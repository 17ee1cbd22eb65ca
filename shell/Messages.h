// The game's modal message: one OK button, no icon, the application title.
#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace hop::shell {

// Shows the message and returns once it has been acknowledged. The box belongs to
// `owner`, the screen it speaks for: the window manager treats it as that screen's dialog.
void showMessage(const QString& text, QWidget* owner = nullptr);
// How a run shows its messages: showMessage, unless a test or a benchmark stands in.
using MessageShow = std::function<void(const QString& text, QWidget* owner)>;

// The text as the box shows it: the game's CR LF line breaks as plain line breaks.
QString displayText(const QString& text);

} // namespace hop::shell
