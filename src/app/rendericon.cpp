// Build tool: renders the icon's SVG as the PNG sizes the hicolor theme installs.
#include "app/iconrender.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s SVG SIZE PNG\n", argv[0]);
        return 2;
    }
    const int size = std::atoi(argv[2]);
    const QImage image = renderIcon(QString::fromLocal8Bit(argv[1]), size);
    if (size <= 0 || image.isNull() || !image.save(QString::fromLocal8Bit(argv[3]), "PNG")) {
        std::fprintf(stderr, "%s: cannot render %s at %s pixels into %s\n", argv[0], argv[1],
                     argv[2], argv[3]);
        return 1;
    }
    return 0;
}
