// Draws the title picture once at build time at the scales screens commonly have, so
// the game shows it at start-up without first loading fonts to draw its name.
#include "resources/BuiltinPictures.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_title <folder>\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    for (int scale = 1; scale <= 3; ++scale) {
        if (!hop::resources::drawTitlePicture(scale).save(QStringLiteral("%1/title@%2.png").arg(folder).arg(scale))) {
            std::fprintf(stderr, "make_title: cannot write into %s\n", argv[1]);
            return 1;
        }
    }
    return 0;
}
