#pragma once
#include <QString>
#include <QStringList>

namespace app {

// Where the shop's data lives: the catalogue file, its compaction copy and the PICS folder.
// A program folder is no place for data a rebuild would lose, so the folder is, in order:
// the one given with --data-dir; the program's own folder when it already holds the
// catalogue (portable use); else $XDG_DATA_HOME/qmxdiy (usually ~/.local/share/qmxdiy).
struct DataFolderChoice {
    QString folder;       // absolute, without a trailing slash
    QString error;        // non-empty when the command line was wrong
};

DataFolderChoice chooseDataFolder(const QStringList& arguments, const QString& programFolder);

// The folder with its trailing slash, as paths are built from it.
QString withSlash(const QString& folder);

// Creates the catalogue with the sample data when the folder holds none at all. An existing
// file, even one that cannot be opened, is never touched. Answers an error text, or empty.
QString ensureCatalogue(const QString& folder);

} // namespace app
