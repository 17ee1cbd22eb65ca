// Everything the game sets on its QApplication before the first screen opens.
#include "shell/Application.h"

#include <QApplication>

#include <cstdio>

namespace hop::shell {

bool displayAvailable()
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY") ||
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return true;
    std::fputs("Hopstone needs a graphical display: start it from a desktop session (DISPLAY or WAYLAND_DISPLAY is not set).\n",
               stderr);
    return false;
}

void setUpApplication()
{
    // The name only, not a display name: Qt would append a display name to every
    // window caption that does not already end with it.
    QApplication::setApplicationName(QStringLiteral("Hopstone"));
    QApplication::setApplicationVersion(QStringLiteral(HOPSTONE_VERSION));
    // Screens close and open within one event; only the shell decides when the program ends.
    QApplication::setQuitOnLastWindowClosed(false);
    // No application-wide icon: it would become the default of every window, and the
    // title and the version window carry none. The desktop entry names the icon.
}

} // namespace hop::shell
