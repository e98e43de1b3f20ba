// A text object over several pages, and the print cycle that keeps the template unchanged.
#include "memo_fixture.h"

#include "report/render/item_render.h"
#include "report/render/memo_render.h"

using namespace report;
using namespace layout_test;
using namespace memo_test;

namespace {

// 12 points: 100 reference pixels, 16 units, and 2 of line spacing make an exact 18.
constexpr double kLine = 18;

TfrxMemoView* partMemo(Band& b, const QString& text, int lines)
{
    TfrxMemoView* memo = b.memo(text, 160, lines * kLine - 1 + 2);
    setPoints(*memo, QStringLiteral("Arial"), 12);
    memo->AllowHTMLTags = true;
    return memo;
}

// The style of the first character of a text as the layout reads it.
TfrxHTMLTag firstStyle(const QString& text)
{
    Settings s;
    s.html = true;
    Layout l(s, text);
    return l.engine.LineTags(0).at(0);
}

// Outputs the object part by part, each `lines` lines high, and returns the lines printed.
QStringList linesOfParts(TfrxCustomMemoView& memo, int lines, QStringList* starts)
{
    initItemPart(memo);
    QStringList printed;
    for (int guard = 0; guard < 20 && !memo.PartRemainder().isEmpty(); ++guard) {
        starts->append(memo.PartRemainder());
        const double free = drawItemPart(memo);
        const QStringList part = memoOutputLines(memo);
        EXPECT_LE(part.size(), lines);
        EXPECT_GT(free, 0);
        printed << part;
    }
    EXPECT_TRUE(memo.PartRemainder().isEmpty());
    return printed;
}

TEST(MemoPart, StyleOpenAtTheCutContinuesOnTheNextPart)
{
    Band b;
    const QString text = QStringLiteral(
        "The quotation lists every part with its price. <b>Prices are valid for seven days and "
        "include <font color=\"#C00000\">the assembly of the computer</font> and a test of every part</b> "
        "before delivery.");
    TfrxMemoView* whole = b.memo(text, 160, 1000);
    setPoints(*whole, QStringLiteral("Arial"), 12);
    whole->AllowHTMLTags = true;
    const QStringList allLines = memoOutputLines(*whole);
    ASSERT_GE(allLines.size(), 7);

    TfrxMemoView* memo = partMemo(b, text, 3);
    QStringList starts; // the text each part began with
    // The parts together break exactly where the whole text does.
    EXPECT_EQ(linesOfParts(*memo, 3, &starts), allLines);

    // Every part after the first starts with the style in force where the one before ended.
    ASSERT_GE(starts.size(), 3);
    const QString second = starts[1];
    EXPECT_TRUE(second.startsWith(QStringLiteral("<b>"))) << second.toStdString();
    EXPECT_TRUE(firstStyle(second).Style & fsBold);
    bool sawColour = false;
    for (const QString& start : starts.mid(1)) {
        if (start.startsWith(QStringLiteral("<b><font color=\"#C00000\">"))) {
            sawColour = true;
            EXPECT_EQ(firstStyle(start).Color & 0xFFFFFF, 0xC00000u);
        }
    }
    // The text is built so that a cut falls inside the coloured run.
    EXPECT_TRUE(sawColour);
}

TEST(MemoPart, HyphenatedWordAtTheCutKeepsItsHyphen)
{
    Band b;
    const QString text = u8("Компьютерная конфигурация включает процессор материнскую плату оперативную память");
    TfrxMemoView* whole = b.memo(text, 30 * kUnitsPerMm, 1000);
    setPoints(*whole, QStringLiteral("Arial"), 12);
    whole->WordBreak = true;
    const QStringList allLines = memoOutputLines(*whole);
    ASSERT_GE(allLines.size(), 6);
    ASSERT_TRUE(allLines[1].endsWith(u'-'));

    TfrxMemoView* memo = partMemo(b, text, 2);
    memo->SetWidth(whole->Width());
    memo->AllowHTMLTags = false;
    memo->WordBreak = true;
    QStringList starts;
    EXPECT_EQ(linesOfParts(*memo, 2, &starts), allLines);
}

TEST(MemoPart, FreeHeightBelowTheKeptLines)
{
    Band b;
    const QString text = QStringLiteral("one two three four five six seven eight nine ten eleven twelve "
                                        "thirteen fourteen fifteen sixteen seventeen eighteen nineteen twenty");
    // Three lines fill the area exactly: the result is a tiny positive height.
    TfrxMemoView* exact = partMemo(b, text, 3);
    initItemPart(*exact);
    EXPECT_EQ(drawItemPart(*exact), 0.0001);
    EXPECT_EQ(memoOutputLines(*exact).size(), 3);
    EXPECT_FALSE(exact->PartRemainder().isEmpty());
    EXPECT_FALSE(exact->PartRemainder().startsWith(u' '));

    // Half a line more stays free.
    TfrxMemoView* loose = partMemo(b, text, 3);
    loose->SetHeight(loose->Height() + kLine / 2);
    initItemPart(*loose);
    EXPECT_DOUBLE_EQ(drawItemPart(*loose), kLine / 2);

    // No line fits: the whole height is reported and the text waits for the next page.
    TfrxMemoView* none = partMemo(b, text, 0);
    none->SetHeight(kLine);
    initItemPart(*none);
    EXPECT_EQ(drawItemPart(*none), kLine);
    EXPECT_EQ(none->PartRemainder(), text);
    EXPECT_TRUE(none->Memo.isEmpty());

    // Everything fits: nothing remains, and the rest of the area is free.
    TfrxMemoView* all = partMemo(b, QStringLiteral("short text"), 3);
    initItemPart(*all);
    EXPECT_DOUBLE_EQ(drawItemPart(*all), 3 * kLine - 1 + 1 - kLine);
    EXPECT_TRUE(all->PartRemainder().isEmpty());
    EXPECT_EQ(all->Text(), "short text");
}

TEST(MemoPart, CutAtAParagraphEnd)
{
    Band b;
    TfrxMemoView* memo = partMemo(b, QStringLiteral("first\r\nsecond\r\nthird\r\nfourth"), 2);
    memo->AllowHTMLTags = false;
    initItemPart(*memo);
    drawItemPart(*memo);
    EXPECT_EQ(memo->Memo, QStringList({QStringLiteral("first"), QStringLiteral("second")}));
    EXPECT_EQ(memo->PartRemainder(), "third\r\nfourth");
}

TEST(MemoPart, AfterPrintRestoresTheDesignTextAndBounds)
{
    Band b;
    TfrxMemoView* memo = b.memo(QStringLiteral("[Total]"), 120, 20);
    memo->SetLeft(30);
    memo->BeforePrint();
    memo->SetText(QStringLiteral("1234.00"));
    memo->SetBounds(0, 5, 60, 80);
    memo->AfterPrint();
    EXPECT_EQ(memo->Text(), "[Total]");
    EXPECT_EQ(memo->Left(), 30);
    EXPECT_EQ(memo->Top(), 0);
    EXPECT_EQ(memo->Width(), 120);
    EXPECT_EQ(memo->Height(), 20);

    // Printed again, the same template gives the same start.
    memo->BeforePrint();
    memo->SetText(QStringLiteral("99.00"));
    memo->AfterPrint();
    EXPECT_EQ(memo->Text(), "[Total]");

    // A data-bound object takes its text from the data; there is no design text to put back.
    TfrxUserDataSet data;
    data.SetName(QStringLiteral("Lines"));
    memo->SetDataSet(&data);
    memo->DataField = QStringLiteral("Amount");
    memo->BeforePrint();
    memo->SetText(QStringLiteral("12.50"));
    memo->AfterPrint();
    EXPECT_EQ(memo->Text(), "12.50");
}

} // namespace
