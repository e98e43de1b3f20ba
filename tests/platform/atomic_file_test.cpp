// The atomic writer: what a reader of the target can find, and what every failure leaves.
// The tests run as root, whom permission bits do not stop, so the failures are ones root
// meets too: missing folders, a file where a folder should be, a folder where the file
// should be, sysfs, the file-size limit.
#include "platform/atomic_file.h"
#include "platform/error.h"
#include "platform/file_failure.h"
#include "platform/file_operations.h"
#include "support/test_paths.h"
#include <QDir>
#include <QFile>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {

using platform::AtomicFile;
using testing_support::TempFolder;

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// The message of the platform::Error that `write` throws; empty when it throws none.
template <typename Write>
QString failureOf(Write write)
{
    try {
        write();
    } catch (const platform::Error& e) {
        return e.message();
    }
    return {};
}

QString expected(const QString& path, const char* cause)
{
    return QStringLiteral("无法写入文件“%1”：%2").arg(path, QString::fromUtf8(cause));
}

TEST(AtomicFile, StreamedPiecesArriveWholeAndKeepTheReplacedFilesPermissions)
{
    TempFolder folder;
    const QString path = folder.file(QStringLiteral("报价单.pdf"));
    platform::writeFileAtomically(path, "old");
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup));

    QByteArray expectedContent;
    {
        AtomicFile file(path);
        // Small pieces are gathered, a large one goes through beside them.
        for (int i = 0; i < 5000; ++i) {
            const QByteArray piece = QByteArray::number(i) + ';';
            EXPECT_EQ(file.write(piece), piece.size());
            expectedContent += piece;
        }
        const QByteArray large(300 * 1024, 'x');
        EXPECT_EQ(file.write(large), large.size());
        expectedContent += large;
        EXPECT_EQ(platform::readWholeFile(path), QByteArray("old")); // nothing shows before the commit
        file.commit();
    }
    EXPECT_EQ(platform::readWholeFile(path), expectedContent);
    const QFileDevice::Permissions ownerGroupOther = QFile::permissions(path)
        & ~(QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser);
    EXPECT_EQ(ownerGroupOther, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
    EXPECT_EQ(filesIn(folder.path()), QStringList{QStringLiteral("报价单.pdf")});
}

TEST(AtomicFile, WithoutACommitTheTargetStaysAndNoTemporaryRemains)
{
    TempFolder folder;
    const QString path = folder.file(QStringLiteral("qmxpcdiy.csv"));
    platform::writeFileAtomically(path, "old");
    {
        AtomicFile file(path);
        file.write("half of a new content");
        EXPECT_TRUE(QFile::exists(file.temporaryPath()));
    } // an exception or a stopped export ends here
    EXPECT_EQ(platform::readWholeFile(path), QByteArray("old"));
    EXPECT_EQ(filesIn(folder.path()), QStringList{QStringLiteral("qmxpcdiy.csv")});
}

TEST(AtomicFile, PathsThatCannotHoldAFileSayWhyInOneText)
{
    TempFolder folder;
    const QString plain = folder.file(QStringLiteral("a.txt"));
    platform::writeFileAtomically(plain, "text");
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("PICS")));

    const QString missing = folder.file(QStringLiteral("no/such/out.pdf"));
    EXPECT_EQ(failureOf([&] { AtomicFile file(missing); }), expected(missing, "文件夹不存在"));
    const QString underFile = plain + QStringLiteral("/out.pdf");
    EXPECT_EQ(failureOf([&] { platform::writeFileAtomically(underFile, "x"); }), expected(underFile, "文件夹不存在"));
    const QString onFolder = folder.file(QStringLiteral("PICS"));
    EXPECT_EQ(failureOf([&] { platform::writeFileAtomically(onFolder, "x"); }), expected(onFolder, "同名的文件夹已存在"));
    // sysfs lets nobody, root included, make a file.
    const QString sysfs = QStringLiteral("/sys/qmx-test.pdf");
    EXPECT_EQ(failureOf([&] { platform::writeFileAtomically(sysfs, "x"); }), expected(sysfs, "没有权限"));
    EXPECT_FALSE(QFile::exists(sysfs));

    EXPECT_EQ(platform::readWholeFile(plain), QByteArray("text"));
    EXPECT_EQ(filesIn(folder.path()), (QStringList{QStringLiteral("PICS"), QStringLiteral("a.txt")}));
    EXPECT_TRUE(filesIn(onFolder).isEmpty());
}

TEST(AtomicFile, AWriteThatFailsMidwayKeepsTheOldFile)
{
    TempFolder folder;
    const QString path = folder.file(QStringLiteral("pages.fp3"));
    const QByteArray old(4096, 'o');
    platform::writeFileAtomically(path, old);

    // The file-size limit stops a write as a full disk would: part of the file is written,
    // then the system refuses the rest.
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
    const rlimit saved = limit;
    limit.rlim_cur = 100 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    QString message;
    qint64 written = 0;
    {
        AtomicFile file(path);
        for (int i = 0; i < 4 && written >= 0; ++i)
            written = file.write(QByteArray(64 * 1024, 'n'));
        message = failureOf([&] { file.commit(); });
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(written, -1);
    EXPECT_EQ(message, expected(path, "文件太大"));
    EXPECT_EQ(platform::readWholeFile(path), old);
    EXPECT_EQ(filesIn(folder.path()), QStringList{QStringLiteral("pages.fp3")});
}

TEST(AtomicFile, ACommitThatCannotRenameLeavesEverythingAsItWas)
{
    TempFolder folder;
    const QString path = folder.file(QStringLiteral("report.png"));
    QString message;
    {
        AtomicFile file(path);
        file.write("picture");
        // Something else takes the name while the picture is written.
        ASSERT_TRUE(QDir(folder.path()).mkpath(QStringLiteral("report.png/inside")));
        message = failureOf([&] { file.commit(); });
    }
    EXPECT_EQ(message, expected(path, "同名的文件夹已存在"));
    EXPECT_EQ(filesIn(folder.path()), QStringList{QStringLiteral("report.png")});
    EXPECT_EQ(filesIn(path), QStringList{QStringLiteral("inside")});
}

TEST(AtomicFile, ANewFileNeverReplacesOneMadeMeanwhile)
{
    TempFolder folder;
    const QString path = folder.file(QStringLiteral("qmxpcdiy.dat"));
    {
        AtomicFile file(path);
        file.write("mine");
        platform::writeFileAtomically(path, "theirs"); // another copy of the program was quicker
        EXPECT_EQ(failureOf([&] { file.commit(AtomicFile::Replace::Never); }), expected(path, "文件已存在"));
    }
    EXPECT_EQ(platform::readWholeFile(path), QByteArray("theirs"));
    EXPECT_EQ(filesIn(folder.path()), QStringList{QStringLiteral("qmxpcdiy.dat")});

    const QString fresh = folder.file(QStringLiteral("new.dat"));
    AtomicFile file(fresh);
    file.write("mine");
    file.commit(AtomicFile::Replace::Never);
    EXPECT_EQ(platform::readWholeFile(fresh), QByteArray("mine"));
}

TEST(AtomicFile, ALinkIsWrittenThroughAndStaysALink)
{
    // The linked file lives elsewhere, perhaps on another file system: the temporary is made
    // beside it, where a rename can put it in place.
    TempFolder here;
    TempFolder elsewhere;
    ASSERT_TRUE(QFile::link(elsewhere.file(QStringLiteral("template.fr3")), here.file(QStringLiteral("link.fr3"))));
    for (const char* content : {"first", "second"})
        platform::writeFileAtomically(here.file(QStringLiteral("link.fr3")), content);
    EXPECT_TRUE(QFileInfo(here.file(QStringLiteral("link.fr3"))).isSymLink());
    EXPECT_EQ(platform::readWholeFile(elsewhere.file(QStringLiteral("template.fr3"))), QByteArray("second"));
    EXPECT_EQ(filesIn(here.path()), QStringList{QStringLiteral("link.fr3")});
    EXPECT_EQ(filesIn(elsewhere.path()), QStringList{QStringLiteral("template.fr3")});
}

} // namespace
