// Hopstone: peg solitaire on two pyramid boards. Starts on the title screen.
#include "shell/Application.h"
#include "shell/Shell.h"

#include <QApplication>

int main(int argc, char** argv)
{
    hop::shell::StartUp startUp(argc, argv);
    if (const std::optional<int> status = startUp.answerHelpOrVersion())
        return *status;
    if (const std::optional<int> status = startUp.refuseArguments())
        return *status;
    if (!startUp.lookForDisplay())
        return 2;
    QApplication app(argc, argv);
    startUp.setUp();
    startUp.checkJapaneseFontSoon();

    int status = 0;
    {
        hop::shell::Shell shell(startUp.clock());
        QObject::connect(&shell, &hop::shell::Shell::quitRequested, &app, [] { QCoreApplication::exit(0); },
                         Qt::DirectConnection);
        shell.start();
        status = app.exec();
    }
    return hop::shell::finish(status);
}
