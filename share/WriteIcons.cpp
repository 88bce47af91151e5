// Writes the program's icon in the hicolor theme's sizes, <folder>/<n>x<n>/apps/kavro.png for
// each size n given, so that every size is drawn sharp rather than scaled from one picture.
#include <QDir>
#include <QGuiApplication>
#include <QPixmap>
#include <cstdio>
#include <cstdlib>

#include "ui/Glyphs.h"

int main(int argc, char* argv[]) {
    // Drawn off screen: the build has no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <folder> <size>...\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    for (int i = 2; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(size);
        if (size <= 0 || !QDir().mkpath(dir) || !KavroIcon(size).save(dir + "/kavro.png")) {
            std::fprintf(stderr, "cannot write the %s pixel icon below %s\n", argv[i], argv[1]);
            return 1;
        }
    }
    return 0;
}
