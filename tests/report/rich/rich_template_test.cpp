// The quotation template's thirteen rich-text values: each reads back to its text and is
// drawn where it stands.
#include "rich_fixture.h"

#include "report/model/frx_bands.h"
#include "report/rich/rich_view.h"

#include <gtest/gtest.h>

using namespace report;
using namespace rich_test;

namespace {

TEST(RichTemplate, EveryValueReadsBackToItsTextAndDrawsInItsBox)
{
    TfrxDBDataset lines;
    lines.SetName(QStringLiteral("frxDBDataset1"));
    TfrxReport report;
    loadQuotationTemplate(report);
    const QString title = QStringLiteral("QMX电脑装机写单DIY  V1.0");
    const struct {
        const char* name;
        QString text;
        rich::ParaAlign align;
        int halfPoints;
        bool bold;
    } riches[] = {
        {"Rich10", {}, rich::ParaAlign::Center, 40, true},
        {"Rich8", QStringLiteral("编号"), rich::ParaAlign::Left, 24, true},
        {"Rich9", QStringLiteral("打印日期"), rich::ParaAlign::Left, 24, true},
        {"Rich3", QStringLiteral("类别项目"), rich::ParaAlign::Left, 24, true},
        {"Rich4", QStringLiteral("具体型号参数"), rich::ParaAlign::Center, 24, true},
        {"Rich5", QStringLiteral("数量"), rich::ParaAlign::Left, 24, true},
        {"Rich6", QStringLiteral("单价"), rich::ParaAlign::Left, 24, true},
        {"Rich7", QStringLiteral("金额"), rich::ParaAlign::Left, 24, true},
        {"Rich13", QStringLiteral("……"), rich::ParaAlign::Right, 28, false},
        {"Rich1", QStringLiteral("合计金额"), rich::ParaAlign::Left, 28, false},
        {"Rich2", QStringLiteral("元"), rich::ParaAlign::Left, 28, false},
        {"Rich11", title, rich::ParaAlign::Center, 20, true},
        {"Rich12", title, rich::ParaAlign::Center, 20, true},
    };
    for (const auto& r : riches) {
        SCOPED_TRACE(r.name);
        auto* view = dynamic_cast<TfrxRichView*>(report.FindObject(QString::fromLatin1(r.name)));
        ASSERT_NE(view, nullptr);
        const rich::RichDocument doc = richContent(*view);
        ASSERT_EQ(doc.paragraphCount(), 1);
        EXPECT_EQ(doc.paragraph(0).align, r.align);
        if (r.text.isEmpty()) {
            EXPECT_TRUE(doc.isEmpty());
            EXPECT_EQ(calcItemHeight(*view), 0);
            continue;
        }
        // The product title is followed by the maker's credits.
        if (r.text == title)
            EXPECT_TRUE(doc.plainText().startsWith(title + QStringLiteral("  ")));
        else
            EXPECT_EQ(doc.plainText(), r.text);
        EXPECT_EQ(doc.formatAt(0).face, QStringLiteral("宋体"));
        EXPECT_EQ(doc.formatAt(0).halfPoints, r.halfPoints);
        EXPECT_EQ(doc.formatAt(0).bold, r.bold);
        EXPECT_EQ(doc.endFormat().face, QStringLiteral("MS Sans Serif")); // the closing mark
        EXPECT_EQ(doc.endFormat().halfPoints, 16);

        // One line in its box, drawn inside it after the left gap.
        EXPECT_EQ(richPlainText(view->RichText), doc.plainText());
        const QImage image = render(*view, 2);
        const QRect ink = inkRect(image);
        ASSERT_FALSE(ink.isEmpty());
        EXPECT_GE(ink.left(), 2 * 2);
        EXPECT_LT(ink.right(), image.width() - 2 * 2 + 1);
        EXPECT_GE(ink.top(), 1 * 2);
    }
    EXPECT_EQ(richPlainText(static_cast<TfrxRichView*>(report.FindObject(QStringLiteral("Rich11")))->RichText),
              richPlainText(static_cast<TfrxRichView*>(report.FindObject(QStringLiteral("Rich12")))->RichText));
}

} // namespace
