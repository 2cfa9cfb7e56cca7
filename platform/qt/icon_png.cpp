// Writes an icon of the program's resources as a PNG file, for the
// desktop to show: icon_png ID FILE.
#include <QImage>
#include <cstdio>
#include <cstdlib>

#include "res/resources.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: icon_png ID FILE\n");
        return 2;
    }
    const IconResource* icon = delvaro::FindIconResource(static_cast<unsigned>(std::atoi(argv[1])));
    if (icon == nullptr) {
        std::fprintf(stderr, "icon_png: no icon %s\n", argv[1]);
        return 1;
    }
    if (!QImage(icon->xpm).save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "icon_png: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
