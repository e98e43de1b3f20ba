// qmxdiy-report rich-text: plain text, height and picture of an RTF file.
#include "../tool_run.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(RichTool, PrintsTextHeightAndDraws)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("quote's note.rtf"));
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write("{\\rtf1\\ansi\\ansicpg936{\\fonttbl{\\f0\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}\\f0\\fs24 "
              "\\'c0\\'e0\\'b1\\'f0\\tab A\\par second\\par\r\n}\r\n");
    out.close();

    ToolRun r = run({QStringLiteral("rich-text"), file});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("类别\tA\nsecond\n"));

    r = run({QStringLiteral("rich-text"), file, QStringLiteral("--width"), QStringLiteral("50")});
    EXPECT_EQ(r.out, QStringLiteral("类别\tA\nsecond\nheight: 36\n"));

    const QString png = dir.filePath(QStringLiteral("out.png"));
    r = run({QStringLiteral("rich-text"), file, QStringLiteral("--width"), QStringLiteral("50"), QStringLiteral("--png"),
             png, QStringLiteral("--scale"), QStringLiteral("2")});
    EXPECT_EQ(r.code, 0);
    const QImage image(png);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.height(), 72);

    // 4,000 lines at scale 20 would be 1.4 million rows: refused before any memory is taken,
    // and no empty file is left where the picture was asked for.
    QFile tall(dir.filePath(QStringLiteral("tall.rtf")));
    ASSERT_TRUE(tall.open(QIODevice::WriteOnly));
    tall.write("{\\rtf1 " + QByteArray("x\\par ").repeated(4000) + "}");
    tall.close();
    const QString big = dir.filePath(QStringLiteral("big.png"));
    r = run({QStringLiteral("rich-text"), tall.fileName(), QStringLiteral("--png"), big, QStringLiteral("--scale"),
             QStringLiteral("20")});
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("too large"))) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(big));

    EXPECT_EQ(run({QStringLiteral("rich-text"), dir.filePath(QStringLiteral("missing.rtf"))}).code, 2);
    EXPECT_EQ(run({QStringLiteral("rich-text"), dir.path()}).code, 2);
    EXPECT_EQ(run({QStringLiteral("rich-text"), file, QStringLiteral("--width"), QStringLiteral("-3")}).code, 2);
}

} // namespace
