// Program entry: the application with its title, the data folder with its catalogue, and the
// one main window until it is closed.
#include "app/app_icon.h"
#include "app/app_identity.h"
#include "app/data_folder.h"
#include "app/main_window.h"
#include "app/report_dialogs.h"
#include "platform/font_table.h"
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QScreen>
#include <cstdio>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("qmxdiy"));
    QApplication::setApplicationDisplayName(app::productTitle());
    QApplication::setWindowIcon(app::applicationIcon());
    platform::installFontTable();
    app::installReportDialogs();

    const auto choice = app::chooseDataFolder(QApplication::arguments(), QApplication::applicationDirPath());
    if (!choice.error.isEmpty()) {
        std::fprintf(stderr, "qmxdiy: %s\nusage: qmxdiy [--data-dir DIR]\n", qPrintable(choice.error));
        return 2;
    }
    QDir().mkpath(choice.folder);
    const QString creationError = app::ensureCatalogue(choice.folder);

    app::TFrm_main Frm_main(choice.folder);
    if (!creationError.isEmpty())
        Frm_main.showStatus(QStringLiteral("无法建立数据库：") + creationError);
    Frm_main.FormCreate();
    // Centred on the desktop.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        Frm_main.move(screen->availableGeometry().center() - Frm_main.rect().center());
    Frm_main.show();
    return QApplication::exec();
}
