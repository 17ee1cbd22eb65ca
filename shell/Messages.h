// The game's modal message: one OK button, no icon, the application title.
#pragma once

#include <QString>

#include <functional>

namespace hop::shell {

// Shows the message and returns once it has been acknowledged.
void showMessage(const QString& text);

// Tests replace the box to record and acknowledge messages; pass nothing to restore it.
using MessageHook = std::function<void(const QString& text)>;
void setMessageHook(MessageHook hook);

// The text as the box shows it: the game's CR LF line breaks as plain line breaks.
QString displayText(const QString& text);

} // namespace hop::shell
