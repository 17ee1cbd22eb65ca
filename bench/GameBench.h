// Set-up shared by the benchmarks that run the real game (these link hopstone_ui; BenchSupport does not).
#pragma once

#include "resources/BuiltinPictures.h"

#include <QApplication>

namespace hop::bench {

// Right after the QApplication is made, so that the screens run under the same
// name, version, icon and quit rule as in the game itself.
inline void setUpAsTheGame()
{
    QApplication::setApplicationName(QStringLiteral("Hopstone"));
    QApplication::setApplicationVersion(QStringLiteral(HOPSTONE_VERSION));
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(builtin::programIconSet());
}

} // namespace hop::bench
