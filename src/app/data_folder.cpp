#include "app/data_folder.h"
#include "db/catalogue_file.h"
#include "db/connection.h"
#include "db/db_error.h"
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace app {

DataFolderChoice chooseDataFolder(const QStringList& arguments, const QString& programFolder)
{
    DataFolderChoice choice;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == QLatin1String("--data-dir")) {
            if (i + 1 >= arguments.size()) {
                choice.error = QStringLiteral("--data-dir needs a folder");
                return choice;
            }
            choice.folder = QDir(arguments[i + 1]).absolutePath();
            return choice;
        }
        if (a.startsWith(QLatin1String("--data-dir="))) {
            choice.folder = QDir(a.mid(11)).absolutePath();
            return choice;
        }
    }
    if (QFileInfo(QDir(programFolder).filePath(QLatin1String(db::kDatabaseFileName))).exists()) {
        choice.folder = QDir(programFolder).absolutePath();
        return choice;
    }
    QString xdg = qEnvironmentVariable("XDG_DATA_HOME");
    if (xdg.isEmpty() || !QDir::isAbsolutePath(xdg))
        xdg = QDir::homePath() + QStringLiteral("/.local/share");
    choice.folder = QDir(xdg).absoluteFilePath(QStringLiteral("qmxdiy"));
    return choice;
}

QString withSlash(const QString& folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

QString ensureCatalogue(const QString& folder)
{
    const QString path = QDir(folder).filePath(QLatin1String(db::kDatabaseFileName));
    // exists() is false for a dangling link too; such a name is left alone all the same.
    if (QFileInfo(path).exists() || QFileInfo(path).isSymLink())
        return {};
    try {
        db::createCatalogue(path, true);
    } catch (const db::DbError& e) {
        return e.text();
    }
    return {};
}

} // namespace app
