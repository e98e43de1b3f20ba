// What a text object shows: data-bound fields, brackets with inline formats and
// placeholders, hidden zeros, highlight, SuppressRepeated, FlowTo, TagStr and URL.
#include "calc_fixture.h"

#include "report/calc/frx_text_data.h"
#include "report/frx_resources.h"

using namespace calctest;

namespace {

class TextDataTest : public CalcTest {
protected:
    TextDataTest()
    {
        m = memo(master, QStringLiteral("Memo1"), QString());
        calc.SetCurrentBand(master);
        calc.SetCurrentObjectName(QStringLiteral("Memo1"));
        setRows({row(12.5, 0, QStringLiteral("text")), row(3, 4, QStringLiteral("more"))});
    }

    QString show(const QString& text)
    {
        m->SetText(text);
        getMemoData(calc, *m);
        return m->Text();
    }

    TfrxMemoView* m = nullptr;
};

TEST_F(TextDataTest, DataBoundObjectsShowTheFieldAndIgnoreTheirText)
{
    // The expression and the bound field both give the value's plain text.
    EXPECT_EQ(show(QStringLiteral("[ds.\"A\"]")), QStringLiteral("12.5"));
    m->SetDataSet(&ds);
    m->DataField = QStringLiteral("A");
    EXPECT_EQ(show(QStringLiteral("[1 div 0]")), QStringLiteral("12.5")); // the text is not evaluated
    EXPECT_TRUE(calc.LastValue().sameAs(Value(12.5)));
    m->DisplayFormat().Kind = TfrxFormatKind::fkNumeric;
    m->DisplayFormat().FormatStr = QStringLiteral("%2.2f");
    m->DisplayFormat().DecimalSeparator = QStringLiteral(",");
    EXPECT_EQ(show(QString()), QStringLiteral("12,50"));
    m->DataField = QStringLiteral("B");
    m->HideZeros = true;
    EXPECT_EQ(show(QString()), QString());
    m->DataField = QStringLiteral("Missing");
    show(QString());
    EXPECT_EQ(report.Errors(), QStringList(QStringLiteral("Memo1: ") + frxGet(QStringLiteral("dbFldNotFound"))
                                           + QStringLiteral(" ds.\"Missing\"")));
}

TEST_F(TextDataTest, BracketsWithInlineFormatsPlaceholdersAndHiddenZeros)
{
    calc.System().pageNo = 2;
    EXPECT_EQ(show(QStringLiteral("[<Page#> #n%2,2f] [3.14159 #n%2.2f] [True #bYes,No] [False #bYes,No]")),
              QStringLiteral("2,00 3.14 Yes No"));
    EXPECT_EQ(show(QStringLiteral("[<Date> #dyyyy.mm.dd]|[Copy('a #b)', 1, 4)]")), QStringLiteral("2025.12.09|a #b"));
    EXPECT_EQ(show(QStringLiteral("[Page#]   /   [TotalPages#]  [copyname#]")),
              QStringLiteral("2   /   [TotalPages#]  [CopyName#]"));

    m->HideZeros = true;
    EXPECT_EQ(show(QStringLiteral("<[0]|[0.0]|['0']|[1-1 #n%2.2f]>")), QStringLiteral("<||0|>"));
    // Null prints as an empty text with every format.
    EXPECT_EQ(show(QStringLiteral("[Null #n%2.2f]|[<Foo>]")), QStringLiteral("|"));
}

TEST_F(TextDataTest, DelimitersNestingAndQuotes)
{
    TfrxVariable& a = report.Variables().Add();
    a.Name = QStringLiteral("a");
    a.Value = 5;
    EXPECT_EQ(show(QStringLiteral("[<a> in [5, 6]]|['x]y']|[IIF(1 > 0, '[x]', '')]")), QStringLiteral("True|x]y|[x]"));
    m->ExpressionDelimiters = QStringLiteral("<%,%>");
    EXPECT_EQ(show(QStringLiteral("<%<a> + 1%> [Page#]")), QStringLiteral("6 [Page#]"));
    m->AllowExpressions = false;
    EXPECT_EQ(show(QStringLiteral("<%1%>")), QStringLiteral("<%1%>"));
}

TEST_F(TextDataTest, ValueHighlightAndSuppressRepeated)
{
    m->Highlight().Condition = QStringLiteral("Value > 10");
    show(QStringLiteral("[<ds.\"A\">]"));
    EXPECT_TRUE(m->Highlight().Active);
    EXPECT_TRUE(calc.Calc(QStringLiteral("Memo1.Value = 12.5")).sameAs(Value(true)));
    ds.Next();
    show(QStringLiteral("[<ds.\"A\">]"));
    EXPECT_FALSE(m->Highlight().Active);

    m->SuppressRepeated = true;
    EXPECT_EQ(show(QStringLiteral("same")), QStringLiteral("same"));
    EXPECT_EQ(show(QStringLiteral("same")), QString());
    EXPECT_EQ(show(QStringLiteral("other")), QStringLiteral("other"));
    forgetRepeatedTexts(*master); // a new run of rows prints the text again
    EXPECT_EQ(show(QStringLiteral("other")), QStringLiteral("other"));
    EXPECT_FALSE(m->Value.isValid());
}

TEST_F(TextDataTest, FlowToReceivesTheOverflowWithoutExpressions)
{
    // Room for one line: the rest goes on in Memo2, whose own text and brackets give way.
    TfrxMemoView* next = memo(master, QStringLiteral("Memo2"), QStringLiteral("[1+1]"));
    next->SetBounds(0, 40, 200, 100);
    m->SetBounds(0, 0, 200, 20);
    m->SetFlowTo(next);
    m->SetText(QStringLiteral("first [1+2]\r\nrest ['[x]']\r\nlast"));
    getMemoData(calc, *m);
    EXPECT_EQ(m->Text(), QStringLiteral("first 3"));
    EXPECT_EQ(next->Text(), QStringLiteral("rest [x]\r\nlast"));
    EXPECT_FALSE(next->AllowExpressions);
    getMemoData(calc, *next);
    EXPECT_EQ(next->Text(), QStringLiteral("rest [x]\r\nlast"));

    // Everything fits: the next object gets nothing to show.
    next->AllowExpressions = true;
    next->SetText(QStringLiteral("[1+1]"));
    m->SetText(QStringLiteral("short"));
    getMemoData(calc, *m);
    EXPECT_EQ(m->Text(), QStringLiteral("short"));
    EXPECT_EQ(next->Text(), QString());
}

TEST_F(TextDataTest, TagStrAndUrlAreExpandedAndRestored)
{
    m->TagStr = QStringLiteral("id=[<ds.\"A\"> * 2]");
    m->URL = QStringLiteral("http://x/[Copy('价格', 1, 1)]?p=[<ds.\"S\">]");
    const ViewTexts designed = expandViewTexts(calc, *m);
    EXPECT_EQ(m->TagStr, QStringLiteral("id=25"));
    EXPECT_EQ(m->URL, QStringLiteral("http://x/价?p=text"));
    restoreViewTexts(*m, designed);
    EXPECT_EQ(m->TagStr, QStringLiteral("id=[<ds.\"A\"> * 2]"));
}

TEST_F(TextDataTest, ConvertNullsByFieldType)
{
    setRows({row(QVariant(), QVariant(), QVariant())});
    ds.Fields.append(QStringLiteral("Flag"));
    report.EngineOptions().ConvertNulls = true;
    EXPECT_TRUE(calc.Calc(QStringLiteral("<ds.\"A\">")).sameAs(Value(0)));
    report.EngineOptions().ConvertNulls = false;
    EXPECT_TRUE(calc.Calc(QStringLiteral("<ds.\"A\">")).isNull());
    EXPECT_TRUE(calc.Calc(QStringLiteral("<ds.\"A\"> + 1")).isNull());
    EXPECT_TRUE(report.Errors().isEmpty());
    EXPECT_TRUE(calc.Calc(QStringLiteral("<ds.\"Nope\">")).isNull());
    EXPECT_EQ(report.Errors().size(), 1);
    // A source that is not among the report's data sets is not a data reference.
    EXPECT_THROW(calc.Calc(QStringLiteral("other.\"A\"")), CalcError);
}

} // namespace
