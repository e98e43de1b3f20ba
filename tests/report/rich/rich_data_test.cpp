// What a rich-text object does each print: data, expressions in the bracket's formatting,
// output in parts over pages, FlowTo, keeping the template, and its plain text.
#include "../calc_fixture.h"
#include "rich_fixture.h"

#include "platform/error.h"
#include "report/format/frx_display_format.h"
#include "report/rich/rtf_reader.h"
#include "report/rich/rtf_writer.h"
#include "report/rich/rich_view.h"

using namespace report;
using namespace calctest;

namespace {

class RichData : public CalcTest {
protected:
    TfrxRichView* rich(const QByteArray& rtf, double height = 40)
    {
        auto* view = new TfrxRichView(master);
        view->SetBounds(0, 0, 300, height);
        view->RichText = rtf;
        view->AllowExpressions = true;
        view->ExpressionDelimiters = QStringLiteral("[,]");
        return view;
    }
};

TEST_F(RichData, DateTakesTheFormattingOfTheOpeningBracket)
{
    TfrxRichView* view = rich("{\\rtf1{\\colortbl ;\\red255\\green0\\blue0;}Printed: {\\b\\cf1 [}Date{\\i ]} on "
                              "[Missing_Name] end [open\\par}");
    getRichData(calc, *view);
    const rich::RichDocument doc = richContent(*view);
    const QString date = plainText(calc.Calc(QStringLiteral("Date")));
    ASSERT_FALSE(date.isEmpty());
    // An unclosed bracket stays as written; a failing expression shows nothing and leaves
    // its line in the report's errors.
    EXPECT_EQ(doc.plainText(), QStringLiteral("Printed: ") + date + QStringLiteral(" on  end [open"));
    EXPECT_FALSE(report.Errors().isEmpty());
    for (int i = 9; i < 9 + date.size(); ++i) {
        EXPECT_TRUE(doc.formatAt(i).bold);
        EXPECT_FALSE(doc.formatAt(i).italic);
        EXPECT_EQ(doc.formatAt(i).color & 0xFFFFFF, 0xFF0000u);
    }
    EXPECT_FALSE(doc.formatAt(9 + int(date.size())).bold);
}

// Values that break paragraphs or join them: new paragraphs take the format of the
// bracket's, a bracket over a paragraph break joins the next paragraph to its own.
TEST_F(RichData, ValuesBreakAndJoinParagraphs)
{
    TfrxRichView* view = rich("{\\rtf1\\pard\\qc {\\b [}'a'#13#10'b'{\\i ]} x [1+\\par\\pard\\qr 1] y ['z'#13#10'w']"
                              "\\par\\pard\\qj [3]!\\par}");
    getRichData(calc, *view);
    const rich::RichDocument doc = richContent(*view);
    ASSERT_EQ(doc.plainText(), "a\r\nb x 2 y z\r\nw\r\n3!");
    ASSERT_EQ(doc.paragraphCount(), 4);
    for (int p = 0; p < 3; ++p)
        EXPECT_EQ(doc.paragraph(p).align, rich::ParaAlign::Center) << p;
    EXPECT_EQ(doc.paragraph(3).align, rich::ParaAlign::Justify);
    EXPECT_TRUE(doc.formatAt(0).bold);
    EXPECT_TRUE(doc.formatAt(2).bold);
    EXPECT_FALSE(doc.formatAt(3).bold);
    EXPECT_FALSE(doc.formatAt(int(doc.text().indexOf(u'2'))).bold);
}

// Thousands of brackets in a text: each value in the formatting of its own bracket.
TEST_F(RichData, EveryBracketOfALongTextTakesItsOwnFormatting)
{
    QByteArray rtf = "{\\rtf1 ";
    QString expected;
    for (int i = 0; i < 3000; ++i) {
        rtf += (i % 2 ? "{\\i [" : "{\\b [") + QByteArray::number(i) + "*2]}" + (i % 10 == 9 ? "\\par " : " ");
        expected += QString::number(i * 2) + (i % 10 == 9 ? QStringLiteral("\r\n") : QStringLiteral(" "));
    }
    TfrxRichView* view = rich(rtf + "}");
    getRichData(calc, *view);
    const rich::RichDocument doc = richContent(*view);
    ASSERT_EQ(doc.plainText() + QStringLiteral("\r\n"), expected);
    EXPECT_EQ(doc.paragraphCount(), 300);
    int value = 0;
    for (int i = 0; i < doc.length(); ++i) {
        const QChar c = doc.text()[i];
        if (c.isDigit()) {
            ASSERT_EQ(doc.formatAt(i).bold, value % 2 == 0) << i;
            ASSERT_EQ(doc.formatAt(i).italic, value % 2 == 1) << i;
        } else {
            ++value;
        }
    }
}

TEST_F(RichData, DataFieldsReplaceTheContent)
{
    setRows({row(QStringLiteral("电脑配置单 [not an expression]")), row(QStringLiteral("{\\rtf1 {\\b bold} data\\par}")),
             row(QVariant())});
    TfrxRichView* view = rich("{\\rtf1\\qc\\b\\fs40 stored\\par}");
    view->SetDataSet(&ds);
    view->DataField = QStringLiteral("A");
    view->AllowExpressions = true;

    // Plain text takes the stored content's format (its first character's and paragraph's),
    // and brackets in it are text, never an expression.
    getRichData(calc, *view);
    rich::RichDocument doc = richContent(*view);
    EXPECT_EQ(doc.plainText(), QStringLiteral("电脑配置单 [not an expression]"));
    EXPECT_TRUE(doc.formatAt(0).bold);
    EXPECT_EQ(doc.formatAt(0).halfPoints, 40);
    EXPECT_EQ(doc.paragraph(0).align, rich::ParaAlign::Center);
    EXPECT_EQ(doc.paragraphCount(), 1);
    EXPECT_TRUE(report.Errors().isEmpty()) << report.Errors().join(u'\n').toStdString();
    EXPECT_GT(calcItemHeight(*view), 0);

    // RTF is taken as RTF.
    ds.Next();
    getRichData(calc, *view);
    doc = richContent(*view);
    EXPECT_EQ(doc.plainText(), "bold data");
    EXPECT_TRUE(doc.formatAt(0).bold);
    EXPECT_FALSE(doc.formatAt(5).bold);

    // A null field empties the object.
    ds.Next();
    getRichData(calc, *view);
    EXPECT_EQ(calcItemHeight(*view), 0);
}

// A long report reads a content once: the same value into the same content gives the kept
// result, and another value, or a content changed meanwhile, is read afresh.
TEST_F(RichData, RepeatedValuesAndContentsGiveWhatReadingThemGives)
{
    setRows({row(QStringLiteral("甲")), row(QStringLiteral("甲")), row(QStringLiteral("乙")), row(QStringLiteral("乙"))});
    TfrxRichView* view = rich("{\\rtf1\\b stored\\par}");
    view->SetDataSet(&ds);
    view->DataField = QStringLiteral("A");
    const QByteArray stored = view->RichText;
    QStringList printed;
    for (int k = 0; k < 4; ++k, ds.Next()) {
        if (k == 3)
            view->RichText = "{\\rtf1\\i other\\par}"; // as a script or another band may set it
        getRichData(calc, *view);
        const rich::RichDocument doc = richContent(*view);
        printed << doc.plainText() + (doc.formatAt(0).bold ? QStringLiteral(" bold") : QString())
                       + (doc.formatAt(0).italic ? QStringLiteral(" italic") : QString());
        if (k < 2)
            view->RichText = stored; // what printing puts back after each row
    }
    EXPECT_EQ(printed, QStringList({"甲 bold", "甲 bold", "乙 bold", "乙 italic"}));

    // Expressions: a content without one is left as it is every time; one that gains a
    // bracket is expanded.
    TfrxRichView* plain = rich("{\\rtf1 no brackets here\\par}");
    plain->DataField.clear();
    for (int k = 0; k < 2; ++k) {
        getRichData(calc, *plain);
        EXPECT_EQ(richContent(*plain).plainText(), "no brackets here");
    }
    plain->RichText = "{\\rtf1 sum [1+2]\\par}";
    getRichData(calc, *plain);
    EXPECT_EQ(richContent(*plain).plainText(), "sum 3");
}

// RTF held as text: its characters past ASCII are read back as they are, whatever number
// of fallback characters the RTF declares for its own \u escapes.
TEST_F(RichData, RtfHeldAsTextKeepsItsCharacters)
{
    setRows({row(QStringLiteral("{\\rtf1\\uc2 中文abc\\par}")), row(QStringLiteral("{\\rtf1\\uc0 中文abc\\par}")),
             row(QStringLiteral("{\\rtf1\\uc2 中\\u25991??abc\\uc0 中\\u25991 abc\\par}")),
             row(QStringLiteral("{\\rtf1{\\fonttbl{\\f0\\fcharset134 宋体;}}\\uc0\\f0 😊\\\\中\\\\\\文{\\b 中}\\par}"))});
    TfrxRichView* view = rich("{\\rtf1 stored\\par}");
    view->SetDataSet(&ds);
    view->DataField = QStringLiteral("A");
    view->AllowExpressions = false;
    const QString expected[] = {QStringLiteral("中文abc"), QStringLiteral("中文abc"),
                                QStringLiteral("中文abc中文abc"), QStringLiteral("😊\\中\\文中")};
    for (const QString& text : expected) {
        getRichData(calc, *view);
        const rich::RichDocument doc = richContent(*view);
        EXPECT_EQ(doc.plainText(), text);
        ds.Next();
    }
    const rich::RichDocument last = richContent(*view);
    EXPECT_EQ(last.formatAt(0).face, QStringLiteral("宋体"));
    EXPECT_TRUE(last.formatAt(last.length() - 1).bold);
    EXPECT_FALSE(last.formatAt(last.length() - 2).bold);
}

// A long text output over two pages continues on the second with its formatting intact,
// also when the remainder travels as RTF (a prepared-report file keeps it so).
TEST_F(RichData, LongTextSplitsOverPagesKeepingItsFormatting)
{
    QByteArray rtf = "{\\rtf1{\\colortbl ;\\red0\\green0\\blue255;}\\fs24 ";
    for (int i = 0; i < 12; ++i)
        rtf += (i % 2 ? "\\pard\\qr\\i\\cf1 line " : "\\pard\\qc\\b line ") + QByteArray::number(i) + "\\plain\\fs24\\par ";
    rtf += "}";
    TfrxRichView* view = rich(rtf, 16 * 5 + 2 + 1); // five 16-unit lines and the gaps
    const QString whole = richContent(*view).plainText();

    initItemPart(*view);
    const double free = drawItemPart(*view);
    const rich::RichDocument first = richContent(*view);
    EXPECT_EQ(first.plainText(), "line 0\r\nline 1\r\nline 2\r\nline 3\r\nline 4");
    EXPECT_NEAR(free, view->Height() - (80 + 2 + 0.1), 1e-9);
    ASSERT_FALSE(view->PartRemainder.isEmpty());

    // The next page's part starts with "line 5", right-aligned, italic and blue.
    const rich::RichDocument rest = rich::readRtf(view->PartRemainder);
    EXPECT_EQ(first.plainText() + QStringLiteral("\r\n") + rest.plainText(), whole);
    EXPECT_EQ(rest.paragraph(0).align, rich::ParaAlign::Right);
    EXPECT_TRUE(rest.formatAt(0).italic);
    EXPECT_EQ(rest.formatAt(0).color & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(rest.paragraph(1).align, rich::ParaAlign::Center);
    EXPECT_TRUE(rest.formatAt(int(rest.text().indexOf(u'\r')) + 1).bold);

    // The second part takes the rest; then nothing is left.
    view->SetHeight(400);
    EXPECT_EQ(drawItemPart(*view), 0);
    EXPECT_EQ(richContent(*view).plainText(), rest.plainText());
    EXPECT_TRUE(view->PartRemainder.isEmpty());

    // When not even one line fits, nothing is output and the whole text waits.
    view->RichText = rtf;
    view->SetHeight(8);
    initItemPart(*view);
    EXPECT_EQ(drawItemPart(*view), view->Height());
    EXPECT_TRUE(richContent(*view).isEmpty());
    EXPECT_EQ(rich::readRtf(view->PartRemainder).plainText(), whole);
}

TEST_F(RichData, PrintingKeepsTheTemplateAndFlowsTheRest)
{
    const QByteArray stored = "{\\rtf1 a [1+1]\\par b\\par c\\par d\\par}";
    TfrxRichView* view = rich(stored, 16 * 2 + 2);
    auto* next = new TfrxRichView(master);
    next->SetBounds(0, 100, 300, 100);
    next->AllowExpressions = true;
    view->SetFlowTo(next);

    view->BeforePrint();
    getRichData(calc, *view);
    EXPECT_EQ(richContent(*view).plainText(), "a 2\r\nb");
    EXPECT_EQ(richContent(*next).plainText(), "c\r\nd");
    EXPECT_FALSE(next->AllowExpressions);
    view->AfterPrint();
    EXPECT_EQ(view->RichText, stored);
}

TEST(RichObject, ComponentTextAndFailedLoads)
{
    const TfrxRichObject frxRichObject1;
    TfrxRichView view;
    view.RichText = rich_test::templateRtf("Rich4");
    EXPECT_EQ(view.GetComponentText(), QStringLiteral("具体型号参数"));
    view.RichText = "plain bytes\r\nsecond";
    EXPECT_EQ(view.GetComponentText(), QStringLiteral("plain bytes\r\nsecond"));

    // Content the object cannot take fails to load, with the message of the platform.
    view.RichText = QByteArray((64 << 20) + 1, 'x');
    try {
        (void)richContent(view);
        ADD_FAILURE() << "loaded";
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.message(), "Failed to Load Stream");
    }
    EXPECT_EQ(view.GetComponentText(), QString());
    EXPECT_EQ(calcItemHeight(view), 0); // measured as empty, not thrown at the band engine
}

} // namespace
