// Hopstone: peg solitaire on two pyramid boards. Starts on the title screen.
#include "resources/BuiltinPictures.h"
#include "shell/Shell.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.isEmpty() && qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        std::fputs("Hopstone needs a graphical display: start it from a desktop session (DISPLAY or WAYLAND_DISPLAY is not set).\n",
                   stderr);
        return 2;
    }
    QApplication app(argc, argv);
    // The name only, not a display name: Qt would append a display name to every
    // window caption that does not already end with it.
    QApplication::setApplicationName(QStringLiteral("Hopstone"));
    QApplication::setApplicationVersion(QStringLiteral(HOPSTONE_VERSION));
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(builtin::programIconSet());

    hop::shell::Shell shell;
    QObject::connect(&shell, &hop::shell::Shell::quitRequested, &app, [] { QCoreApplication::exit(0); },
                     Qt::DirectConnection);
    shell.start();
    return app.exec();
}
