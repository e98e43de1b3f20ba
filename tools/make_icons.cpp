// Writes the program's icon at the icon theme's sizes: OUT/hicolor/NxN/apps/qmxdiy.png and
// the prepared-report file's icon beside it in mimetypes/. Run by the build.
#include "app/app_icon.h"
#include <QDir>
#include <QImage>
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fputs("usage: qmxdiy-icons OUTDIR\n", stderr);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    for (int size : app::kIconSizes) {
        const QString folder = QStringLiteral("hicolor/%1x%1").arg(size);
        const QImage image = app::applicationIconImage(size);
        for (const auto& [kind, name] : {std::pair{"apps", "qmxdiy"}, {"mimetypes", "application-x-qmxdiy-report"}}) {
            const QString path = out.filePath(folder + QLatin1Char('/') + QLatin1String(kind));
            if (!QDir().mkpath(path) || !image.save(path + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png"))) {
                std::fprintf(stderr, "qmxdiy-icons: cannot write %s\n", qPrintable(path));
                return 1;
            }
        }
    }
    return 0;
}
