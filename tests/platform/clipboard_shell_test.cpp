#include "platform/widgets/clipboard.h"
#include "platform/widgets/shell_open.h"
#include "support/test_paths.h"
#include <QDesktopServices>
#include <QFile>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

// Takes the desktop's place for the URL schemes the shell hands out.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    UrlCatcher()
    {
        for (const char* scheme : {"http", "https", "file"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), this, "open");
    }
    ~UrlCatcher() override
    {
        for (const char* scheme : {"http", "https", "file"})
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    }
    QList<QUrl> opened;

public slots:
    void open(const QUrl& url) { opened.append(url); }
};

TEST(ClipboardHelpers, TextAndPictureRoundTrip)
{
    platform::putClipboardText(QStringLiteral("华硕主板 B760"));
    EXPECT_EQ(platform::clipboardText(), QStringLiteral("华硕主板 B760"));
    EXPECT_TRUE(platform::clipboardPicture().isNull());

    QImage picture(20, 10, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    picture.setPixel(3, 4, qRgb(250, 10, 10));
    platform::putClipboardPicture(picture);
    const QImage back = platform::clipboardPicture();
    ASSERT_FALSE(back.isNull());
    EXPECT_EQ(back.convertToFormat(QImage::Format_RGB32), picture);
}

TEST(ShellOpen, HandsCheckedAddressesAndDocumentsToTheDesktopAndNothingElse)
{
    testing_support::TempFolder folder;
    QFile document(folder.file(QStringLiteral("说明.txt")));
    ASSERT_TRUE(document.open(QIODevice::WriteOnly));
    document.close();
    QFile script(folder.file(QStringLiteral("update.sh")));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.close();

    UrlCatcher catcher;
    EXPECT_TRUE(platform::openCheckedAddress(QStringLiteral("http://www.example.com/a?b=1"), folder.path()));
    EXPECT_TRUE(platform::openCheckedAddress(QStringLiteral("www.example.com"), folder.path()));
    EXPECT_TRUE(platform::openCheckedAddress(QStringLiteral("说明.txt"), folder.path()));
    // Text from a price list or a report that would start a program, or name nothing.
    for (const char* refused : {"update.sh", "file:///bin/sh", "javascript:alert(1)", "smb://server/share", "没有.txt", ""})
        EXPECT_FALSE(platform::openCheckedAddress(QString::fromUtf8(refused), folder.path())) << refused;

    ASSERT_EQ(catcher.opened.size(), 3);
    EXPECT_EQ(catcher.opened[0], QUrl(QStringLiteral("http://www.example.com/a?b=1")));
    EXPECT_EQ(catcher.opened[1].host(), QStringLiteral("www.example.com"));
    EXPECT_EQ(catcher.opened[2], QUrl::fromLocalFile(document.fileName()));
}

} // namespace

#include "clipboard_shell_test.moc"
