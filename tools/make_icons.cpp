// Writes the program icon as PNGs for the desktop's hicolor theme, each size drawn for itself.
#include "resources/BuiltinPictures.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("usage: make_icons <hicolor-folder>\n", stderr);
        return 2;
    }
    const QDir root(QString::fromLocal8Bit(argv[1]));
    for (int size : {32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("%1x%1/apps").arg(size);
        if (!root.mkpath(folder) ||
            !builtin::programIcon(size).save(root.filePath(folder + QStringLiteral("/hopstone.png")), "PNG")) {
            std::fprintf(stderr, "make_icons: cannot write the %d pixel icon\n", size);
            return 1;
        }
    }
    return 0;
}
