// Hopstone: peg solitaire on two pyramid boards. Starts on the title screen.
#include "shell/Application.h"
#include "shell/Shell.h"

#include <QApplication>

int main(int argc, char** argv)
{
    if (const std::optional<int> status = hop::shell::handleCommandLine(argc, argv))
        return *status;
    if (!hop::shell::displayAvailable())
        return 2;
    QApplication app(argc, argv);
    hop::shell::setUpApplication();
    if (const std::optional<int> status = hop::shell::refuseArguments())
        return *status;
    hop::shell::checkJapaneseFontSoon();

    int status = 0;
    {
        hop::shell::Shell shell(hop::shell::chosenClock());
        QObject::connect(&shell, &hop::shell::Shell::quitRequested, &app, [] { QCoreApplication::exit(0); },
                         Qt::DirectConnection);
        shell.start();
        status = app.exec();
    }
    return hop::shell::finish(status);
}
