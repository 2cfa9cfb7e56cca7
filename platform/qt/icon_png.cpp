// Writes an icon of the program's resources as an image file, for the
// desktop to show: icon_png ID FILE [SIZE]. The format follows the file's
// extension (PNG unless it says otherwise); SIZE, in pixels, scales the
// square icon.
#include <QFileInfo>
#include <QImage>
#include <cstdio>
#include <cstdlib>

#include "res/resources.h"

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: icon_png ID FILE [SIZE]\n");
        return 2;
    }
    const IconResource* icon = delvaro::FindIconResource(static_cast<unsigned>(std::atoi(argv[1])));
    if (icon == nullptr) {
        std::fprintf(stderr, "icon_png: no icon %s\n", argv[1]);
        return 1;
    }
    QImage image(icon->xpm);
    if (argc == 4) {
        const int size = std::atoi(argv[3]);
        if (size < 16 || size > 1024) {
            std::fprintf(stderr, "icon_png: the size %s is not from 16 to 1024\n", argv[3]);
            return 2;
        }
        // Whole multiples keep the drawing's hard pixel edges; other sizes
        // would get uneven pixels that way, so they are smoothed instead.
        const Qt::TransformationMode mode =
            size % image.width() == 0 ? Qt::FastTransformation : Qt::SmoothTransformation;
        image = image.convertToFormat(QImage::Format_ARGB32)
                    .scaled(size, size, Qt::IgnoreAspectRatio, mode);
    }
    const QString file = QString::fromLocal8Bit(argv[2]);
    QByteArray format = QFileInfo(file).suffix().toLower().toLatin1();
    if (format.isEmpty()) format = "png";
    if (!image.save(file, format.constData())) {
        std::fprintf(stderr, "icon_png: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
