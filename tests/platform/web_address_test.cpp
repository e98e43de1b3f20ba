// Which product addresses may be opened.
#include "platform/web_address.h"
#include "support/test_paths.h"
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using platform::safeOpenTarget;

TEST(WebAddress, WebAndMailAddressesOpen)
{
    const QString data = QDir::tempPath();
    EXPECT_EQ(safeOpenTarget("http://www.asus.com.cn/主板?id=1", data).host(), "www.asus.com.cn");
    EXPECT_EQ(safeOpenTarget("  HTTPS://www.msi.cn  ", data), QUrl("https://www.msi.cn"));
    EXPECT_EQ(safeOpenTarget("ftp://ftp.example.com/drivers/", data).scheme(), "ftp");
    EXPECT_EQ(safeOpenTarget("mailto:sales@example.com", data).scheme(), "mailto");
    EXPECT_EQ(safeOpenTarget("www.gigabyte.cn", data), QUrl("http://www.gigabyte.cn"));
    EXPECT_EQ(safeOpenTarget("www.shop.cn:8080/显卡", data).port(), 8080);

    for (const char* refused : {"", "   ", "http://", "mailto:", "javascript:alert(1)", "vbscript:msgbox", "smb://host/share",
                                "ms-settings:display", "data:text/html,<b>x</b>", "cmd /c del", "calc.exe",
                                "www.x.com\n/bin/sh", "http://a b"})
        EXPECT_FALSE(safeOpenTarget(QString::fromUtf8(refused), data).isValid()) << refused;
}

TEST(WebAddress, ExistingDocumentsAndFoldersOpenButProgramsDoNot)
{
    testing_support::TempFolder data;
    QDir(data.path()).mkpath("PICS");
    auto make = [&](const QString& name, bool executable) {
        QFile f(data.file(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("x");
        f.close();
        if (executable)
            f.setPermissions(f.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser);
        return f.fileName();
    };
    const QString sheet = make("参数表.txt", false);
    const QString picture = make("PICS/7.jpg", false);
    make("tool", true);
    make("launcher.desktop", false);
    make("setup.exe", false);

    EXPECT_EQ(safeOpenTarget("参数表.txt", data.path()), QUrl::fromLocalFile(sheet));
    EXPECT_EQ(safeOpenTarget(".\\PICS\\7.jpg", data.path()), QUrl::fromLocalFile(picture));
    EXPECT_EQ(safeOpenTarget(QUrl::fromLocalFile(sheet).toString(), data.path()), QUrl::fromLocalFile(sheet));
    EXPECT_EQ(safeOpenTarget("PICS", data.path()), QUrl::fromLocalFile(data.file("PICS")));

    for (const char* refused : {"tool", "launcher.desktop", "setup.exe", "missing.txt", "/bin/ls", "/usr/bin",
                                "file:///bin/ls"}) {
        const QUrl url = safeOpenTarget(QString::fromUtf8(refused), data.path());
        if (QString::fromUtf8(refused) == "/usr/bin") {
            EXPECT_TRUE(url.isValid()); // a folder opens in a file window
            continue;
        }
        EXPECT_FALSE(url.isValid()) << refused;
    }
}
