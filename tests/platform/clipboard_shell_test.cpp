#include "platform/widgets/clipboard.h"
#include "platform/widgets/shell_open.h"
#include "support/test_paths.h"
#include <QDesktopServices>
#include <QDir>
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

TEST(ShellOpen, HandsAddressesAndFilesToTheDesktop)
{
    testing_support::TempFolder folder;
    QFile file(folder.file(QStringLiteral("说明.txt")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const QString oldCurrent = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(folder.path()));

    UrlCatcher catcher;
    EXPECT_TRUE(platform::openWithShell(QStringLiteral("http://www.example.com/a?b=1")));
    EXPECT_TRUE(platform::openWithShell(QStringLiteral("www.example.com")));
    EXPECT_TRUE(platform::openWithShell(QStringLiteral("说明.txt")));
    EXPECT_FALSE(platform::openWithShell(QString()));
    QDir::setCurrent(oldCurrent);

    ASSERT_EQ(catcher.opened.size(), 3);
    EXPECT_EQ(catcher.opened[0], QUrl(QStringLiteral("http://www.example.com/a?b=1")));
    EXPECT_EQ(catcher.opened[1].host(), QStringLiteral("www.example.com"));
    EXPECT_EQ(catcher.opened[2], QUrl::fromLocalFile(file.fileName()));
}

} // namespace

#include "clipboard_shell_test.moc"
