// Program entry: the application with its title and Chinese conventions; either the preview
// of one prepared-report file (--open), or the data folder with its catalogue and the one
// main window until it is closed, brought to the front by a second start on the same folder.
#include "app/app_icon.h"
#include "app/app_identity.h"
#include "app/catalogue_choice.h"
#include "app/data_folder.h"
#include "app/desktop_conventions.h"
#include "app/main_window.h"
#include "app/prepared_report_viewer.h"
#include "app/report_dialogs.h"
#include "app/single_instance.h"
#include "app/start_options.h"
#include "app/window_placement.h"
#include "platform/error.h"
#include "platform/font_table.h"
#include <QApplication>
#include <QDir>
#include <cstdio>

namespace {

int showPreparedReport(const QString& fileName)
{
    app::PreparedReportViewer viewer;
    const QString error = viewer.open(fileName);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "qmxdiy: %s\n", qPrintable(error));
        return 2;
    }
    return QApplication::exec();
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("qmxdiy"));
    QApplication::setApplicationDisplayName(app::productTitle());
    QApplication::setDesktopFileName(QStringLiteral("qmxdiy"));
    QApplication::setWindowIcon(app::applicationIcon());
    app::useChineseConventions(application);
    platform::installFontTable();
    app::installReportDialogs();

    const QStringList arguments = QApplication::arguments();
    if (const QString report = app::preparedReportArgument(arguments); !report.isEmpty())
        return showPreparedReport(report);

    const auto choice = app::chooseDataFolder(arguments, QApplication::applicationDirPath());
    QString optionError = choice.error;
    QString server;
    if (optionError.isEmpty()) {
        try {
            server = app::serverForStart(arguments, &optionError);
        } catch (const std::exception& e) {
            optionError = platform::errorMessage(e);
        }
    }
    if (!optionError.isEmpty()) {
        std::fprintf(stderr, "qmxdiy: %s\nusage: qmxdiy [--data-dir DIR] [--server URL] [--open FILE.fp3]\n",
                     qPrintable(optionError));
        return 2;
    }
    QDir().mkpath(choice.folder);
    app::SingleInstance instance(choice.folder);
    switch (instance.claim()) {
    case app::SingleInstance::Claim::First:
        break;
    case app::SingleInstance::Claim::Asked:
        std::fprintf(stderr, "qmxdiy: 程序已在运行，已切换到它的窗口。\n");
        return 0;
    case app::SingleInstance::Claim::NoAnswer:
        std::fprintf(stderr, "qmxdiy: 程序已在运行（%s），但没有响应；请稍候再试。\n", qPrintable(choice.folder));
        return 1;
    }
    const QString creationError = app::ensureCatalogue(choice.folder);

    app::TFrm_main Frm_main(choice.folder);
    // The server chosen on this workstation, else the data folder's file (which is there in
    // any case: it is what the window offers when the server cannot be reached).
    Frm_main.setServerAddress(server);
    instance.onAnotherStart = [&Frm_main] { app::bringToFront(Frm_main); };
    if (!creationError.isEmpty())
        Frm_main.showStatus(QStringLiteral("无法建立数据库：") + creationError);
    app::restoreWindowPlacement(Frm_main);
    if (app::firstPaintProbeWanted())
        app::reportFirstPaint(Frm_main);
    // The window shows first; opening the catalogue (its key derivation alone takes a good
    // part of the start) follows its first paint, well before the first tree refresh.
    app::runAfterFirstPaint(Frm_main, [&Frm_main] { Frm_main.FormCreate(); });
    Frm_main.show();
    const int status = QApplication::exec();
    app::saveWindowPlacement(Frm_main);
    return status;
}
