#include "platform/error.h"
#include "platform/file_operations.h"
#include "support/test_paths.h"
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

using testing_support::TempFolder;

QStringList filesIn(const TempFolder& folder)
{
    return QDir(folder.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

QByteArray bigContent()
{
    QByteArray data;
    for (qint64 i = 0; data.size() < 3 * 1024 * 1024 + 17; ++i)
        data += QByteArray::number(i * 7919) + ',';
    return data;
}

TEST(FileOperations, WriteReplacesWholeFileAndLeavesNoTemporary)
{
    TempFolder folder;
    const QString path = folder.file(QStringLiteral("qmxpcdiy.dat"));
    platform::writeFileAtomically(path, "a long first content");
    platform::writeFileAtomically(path, "short");
    EXPECT_EQ(platform::readWholeFile(path), QByteArray("short"));
    EXPECT_EQ(filesIn(folder), QStringList{QStringLiteral("qmxpcdiy.dat")});
    EXPECT_THROW(platform::writeFileAtomically(folder.file(QStringLiteral("no/such.dat")), "x"),
                 platform::Error);
}

TEST(FileOperations, CopyReplacesTargetAndKeepsSource)
{
    TempFolder folder;
    const QString source = folder.file(QStringLiteral("qmxpcdiy.dat"));
    const QString target = folder.file(QStringLiteral("qmxpcdiy2.dat"));
    const QByteArray content = bigContent(); // several copy slices
    platform::writeFileAtomically(source, content);
    platform::writeFileAtomically(target, "an older, unrelated copy");
    platform::copyFile(source, target);
    EXPECT_EQ(platform::readWholeFile(target), content);
    EXPECT_EQ(platform::readWholeFile(source), content);
    platform::copyFile(source, source); // onto itself: content survives
    EXPECT_EQ(platform::readWholeFile(source), content);
    EXPECT_EQ(filesIn(folder), (QStringList{QStringLiteral("qmxpcdiy.dat"), QStringLiteral("qmxpcdiy2.dat")}));
}

TEST(FileOperations, RenameAndDelete)
{
    TempFolder folder;
    const QString temporary = folder.file(QStringLiteral("tmpDB.mdb"));
    const QString database = folder.file(QStringLiteral("qmxpcdiy2.dat"));
    platform::writeFileAtomically(temporary, "compacted");
    platform::writeFileAtomically(database, "old");
    EXPECT_THROW(platform::renameFile(temporary, database), platform::Error); // never overwrites
    EXPECT_EQ(platform::readWholeFile(database), QByteArray("old"));
    platform::deleteFile(database);
    EXPECT_FALSE(platform::fileExists(database));
    platform::renameFile(temporary, database);
    EXPECT_FALSE(platform::fileExists(temporary));
    EXPECT_EQ(platform::readWholeFile(database), QByteArray("compacted"));
}

TEST(FileOperations, ReplaceMovesOverTheTargetInOneStep)
{
    TempFolder folder;
    const QString database = folder.file(QStringLiteral("qmxpcdiy2.dat"));
    const QString compacted = folder.file(QStringLiteral("tmpDB.mdb"));
    platform::writeFileAtomically(database, "old");
    platform::writeFileAtomically(compacted, "compacted");
    platform::replaceFile(compacted, database);
    EXPECT_EQ(platform::readWholeFile(database), QByteArray("compacted"));
    EXPECT_EQ(filesIn(folder), QStringList{QStringLiteral("qmxpcdiy2.dat")});

    // To a new name, too; a missing source or a folder in the way changes nothing.
    platform::replaceFile(database, compacted);
    EXPECT_EQ(filesIn(folder), QStringList{QStringLiteral("tmpDB.mdb")});
    EXPECT_THROW(platform::replaceFile(database, compacted), platform::Error);
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("PICS")));
    EXPECT_THROW(platform::replaceFile(compacted, folder.file(QStringLiteral("PICS"))), platform::Error);
    EXPECT_EQ(platform::readWholeFile(compacted), QByteArray("compacted"));
}

TEST(FileOperations, FailuresThrowAndLeaveFilesAlone)
{
    TempFolder folder;
    const QString missing = folder.file(QStringLiteral("missing.jpg"));
    const QString target = folder.file(QStringLiteral("17.jpg"));
    platform::writeFileAtomically(target, "picture");
    EXPECT_THROW(platform::copyFile(missing, target), platform::Error);
    EXPECT_THROW(platform::copyFile(folder.path(), target), platform::Error);
    EXPECT_EQ(platform::readWholeFile(target), QByteArray("picture"));
    EXPECT_THROW(platform::deleteFile(missing), platform::Error);
    EXPECT_THROW(platform::deleteFile(folder.path()), platform::Error);
    EXPECT_THROW(platform::renameFile(missing, folder.file(QStringLiteral("x"))), platform::Error);
    EXPECT_THROW(platform::readWholeFile(missing), platform::Error);
    EXPECT_THROW(platform::readWholeFile(folder.path()), platform::Error);
    EXPECT_FALSE(platform::fileExists(missing));
    EXPECT_FALSE(platform::fileExists(folder.path()));
    EXPECT_FALSE(platform::fileExists(QString()));
    EXPECT_TRUE(platform::fileExists(target));
    EXPECT_EQ(filesIn(folder), QStringList{QStringLiteral("17.jpg")});
    try {
        platform::readWholeFile(missing);
    } catch (const platform::Error& error) {
        EXPECT_TRUE(error.message().contains(missing)) << error.message().toStdString();
    }
}

} // namespace
