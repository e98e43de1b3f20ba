// Calc and the name resolution: system variables, variables, host values, Get and Set,
// errors, the expression cache and the report's script text.
#include "calc_fixture.h"

#include "report/calc/frx_script_language.h"
#include "report/frx_resources.h"

using namespace calctest;

namespace {

const QString kUndeclared = QStringLiteral("标识符未宣告:");

TEST_F(CalcTest, DateAndTimeAreTheStartOfThePreparationInAnyCase)
{
    EXPECT_TRUE(calc.Calc(QStringLiteral("date")).sameAs(Value::fromDateTime(46000.0)));
    EXPECT_TRUE(calc.Calc(QStringLiteral("DATE")).sameAs(Value::fromDateTime(46000.0)));
    EXPECT_TRUE(calc.Calc(QStringLiteral("<Time>")).sameAs(Value::fromDateTime(0.75)));
    // "Date" inside a larger expression is the library's current date, not the start.
    calc.System().pageNo = 2;
    calc.System().totalPagesAll = 0;
    EXPECT_TRUE(calc.Calc(QStringLiteral("<TotalPages#> - <Page#>")).sameAs(Value(-2)));
    EXPECT_TRUE(calc.Calc(QStringLiteral("Page#")).sameAs(Value(2)));
}

TEST_F(CalcTest, VariablesHoldingExpressionsAreEvaluated)
{
    auto add = [this](const char* name, const QVariant& value) {
        TfrxVariable& v = report.Variables().Add();
        v.Name = QString::fromUtf8(name);
        v.Value = value;
    };
    add("Sum3", QStringLiteral("1+2"));
    add("Two", QStringLiteral("a\r\nb"));
    add("Blank", QStringLiteral("  "));
    add("Number", 7);
    add("Self", QStringLiteral("Self"));
    add("价格", QStringLiteral("<Sum3> * 10"));
    EXPECT_TRUE(calc.Calc(QStringLiteral("Sum3")).sameAs(Value(3)));
    EXPECT_TRUE(calc.Calc(QStringLiteral("<sum3> + 1")).sameAs(Value(4)));
    EXPECT_TRUE(calc.Calc(QStringLiteral("Two")).sameAs(Value("a\r\nb")));
    EXPECT_TRUE(calc.Calc(QStringLiteral("Blank")).isNull());
    EXPECT_TRUE(calc.Calc(QStringLiteral("<Number> * 2")).sameAs(Value(14)));
    EXPECT_TRUE(calc.Calc(QStringLiteral("<价格>")).sameAs(Value(30)));
    // A variable naming itself fails instead of exhausting the stack.
    EXPECT_THROW(calc.Calc(QStringLiteral("Self")), CalcError);
    // Bare names in a larger expression are the script's: variables are not among them.
    EXPECT_TRUE(calcOrError(QStringLiteral("Sum3 + 1")).stringValue().contains(kUndeclared + QStringLiteral("'Sum3'")));
}

TEST_F(CalcTest, ResolutionOrder)
{
    setRows({row(5)});
    TfrxVariable& page = report.Variables().Add();
    page.Name = QStringLiteral("Page");
    page.Value = 99;
    TfrxVariable& shadow = report.Variables().Add();
    shadow.Name = QStringLiteral("Shared");
    shadow.Value = QStringLiteral("'report'");
    TfrxVariable& global = frxGlobalVariables().Add();
    global.Name = QStringLiteral("Shared");
    global.Value = QStringLiteral("'global'");
    TfrxVariable& onlyGlobal = frxGlobalVariables().Add();
    onlyGlobal.Name = QStringLiteral("OnlyGlobal");
    onlyGlobal.Value = QStringLiteral("1+2");
    calc.System().page = 4;

    EXPECT_TRUE(calc.Calc(QStringLiteral("Page")).sameAs(Value(4))); // system before variables
    EXPECT_TRUE(calc.Calc(QStringLiteral("Shared")).sameAs(Value("report")));
    EXPECT_TRUE(calc.Calc(QStringLiteral("OnlyGlobal")).sameAs(Value("1+2"))); // globals as they are
    calc.OnGetValue = [](const QString& name, Value& v) {
        if (name.compare(QLatin1String("Shared"), Qt::CaseInsensitive) != 0 && name != QLatin1String("Page")
            && name != QLatin1String("ds.\"A\""))
            return false;
        v = Value("host");
        return true;
    };
    EXPECT_TRUE(calc.Calc(QStringLiteral("Shared")).sameAs(Value("host")));
    EXPECT_TRUE(calc.Calc(QStringLiteral("Page")).sameAs(Value(4)));
    EXPECT_TRUE(calc.Calc(QStringLiteral("ds.\"A\"")).sameAs(Value(5)));
    frxGlobalVariables().Clear();
}

TEST_F(CalcTest, UnknownNamesWithAndWithoutAngleBrackets)
{
    calc.SetCurrentObjectName(QStringLiteral("Memo1"));
    const QString compileLine = QStringLiteral("Memo1: ") + frxGet(QStringLiteral("clExprError"))
                                + QStringLiteral(" 'Foo': ") + kUndeclared + QStringLiteral("'Foo'");
    EXPECT_TRUE(calcOrError(QStringLiteral("Foo")).sameAs(Value(QStringLiteral("error: ") + compileLine)));
    EXPECT_TRUE(calc.Calc(QStringLiteral("<Foo>")).isNull());
    const QString unknown = frxGet(QStringLiteral("clUnknownVar")) + QStringLiteral(" Foo");
    EXPECT_EQ(report.Errors(), QStringList({compileLine, unknown}) );
    // An aggregate call read as a name is evaluated, not reported.
    EXPECT_TRUE(calc.Get(QStringLiteral(" sum (<ds.\"A\">)")).isNull());
    EXPECT_EQ(report.Errors().size(), 2);
}

TEST_F(CalcTest, ErrorLinesAreSortedAndKeptOnce)
{
    for (int i = 0; i < 3; ++i) {
        calc.SetCurrentObjectName(QStringLiteral("Memo2"));
        EXPECT_THROW(calc.Calc(QStringLiteral("1 div 0")), CalcError);
        calc.SetCurrentObjectName(QStringLiteral("Memo1"));
        EXPECT_THROW(calc.Calc(QStringLiteral("'x' * 2")), CalcError);
    }
    ASSERT_EQ(report.Errors().size(), 2);
    EXPECT_TRUE(report.Errors()[0].startsWith(QStringLiteral("Memo1: ")));
    EXPECT_TRUE(report.Errors()[1].startsWith(QStringLiteral("Memo2: ")));
    // A failure inside IIF's branch is reported once, with one object prefix.
    report.ClearErrors();
    EXPECT_THROW(calc.Calc(QStringLiteral("IIF(True, 1 div 0, 0)")), CalcError);
    ASSERT_EQ(report.Errors().size(), 1);
    EXPECT_FALSE(report.Errors()[0].startsWith(QStringLiteral("Memo1: Memo1: ")));
}

TEST_F(CalcTest, IifEvaluatesOnlyTheChosenBranch)
{
    calc.System().lineThrough = 1;
    const QString e = QStringLiteral("IIF(<Line#> = 1, 'first', 1/0)");
    EXPECT_TRUE(calc.Calc(e).sameAs(Value("first")));
    calc.System().lineThrough = 2;
    EXPECT_THROW(calc.Calc(e), CalcError);
    EXPECT_TRUE(calc.Calc(QStringLiteral("IIF(<Line#> > 1, '[x]', '')")).sameAs(Value("[x]")));
    EXPECT_TRUE(calcOrError(QStringLiteral("IIF(1, 2)")).stringValue().startsWith(QStringLiteral("error: ")));
}

TEST_F(CalcTest, GetSetAndValue)
{
    EXPECT_TRUE(calc.Calc(QStringLiteral("Set('Total', 40 + 2)")).isEmpty());
    EXPECT_TRUE(calc.Calc(QStringLiteral("<total>")).sameAs(Value(42)));
    EXPECT_TRUE(calc.Calc(QStringLiteral("Get('To' + 'tal') + 1")).sameAs(Value(43)));
    ASSERT_EQ(report.Variables().Count(), 1);
    calc.Set(QStringLiteral("TOTAL"), Value("2*3"));
    EXPECT_EQ(report.Variables().Count(), 1);
    EXPECT_TRUE(calc.Calc(QStringLiteral("Total")).sameAs(Value(6)));
    calc.SetLastValue(Value(12.5));
    EXPECT_TRUE(calc.Calc(QStringLiteral("Value * 2")).sameAs(Value(25.0)));
}

TEST_F(CalcTest, ObjectsAndTheirMembers)
{
    TfrxMemoView* m = memo(master, QStringLiteral("Memo1"), QStringLiteral("one\r\ntwo"));
    m->Value = 5;
    TfrxVariable& v = report.Variables().Add();
    v.Name = QStringLiteral("Raw");
    v.Value = QStringLiteral("1+2");
    EXPECT_TRUE(calc.Calc(QStringLiteral("Memo1.Text")).sameAs(Value("one\r\ntwo")));
    EXPECT_TRUE(calc.Calc(QStringLiteral("Memo1.Lines.Count + Memo1.Value")).sameAs(Value(7)));
    EXPECT_TRUE(calc.Calc(QStringLiteral("Memo1.Lines[1]")).sameAs(Value("two")));
    EXPECT_TRUE(calc.Calc(QStringLiteral("memo1.Font.Name")).sameAs(Value(m->Font().Name())));
    EXPECT_TRUE(calc.Calc(QStringLiteral("MasterData1.Name + Report.ScriptLanguage")).sameAs(Value(QStringLiteral("MasterData1") + report.ScriptLanguage)));
    EXPECT_TRUE(calc.Calc(QStringLiteral("Report.Variables['raw']")).sameAs(Value("1+2")));
    EXPECT_TRUE(calc.Calc(QStringLiteral("(Memo1 is TfrxMemoView) and not (Memo1 is TfrxMasterData)")).sameAs(Value(true)));
    calc.EngineMembers().set(QStringLiteral("CurY"), Value(120.5));
    EXPECT_TRUE(calc.Calc(QStringLiteral("Engine.CurY")).sameAs(Value(120.5)));
    // Members are checked when the expression is compiled.
    EXPECT_TRUE(calcOrError(QStringLiteral("Memo1.NoSuch")).stringValue().contains(kUndeclared + QStringLiteral("'NoSuch'")));
    EXPECT_TRUE(calcOrError(QStringLiteral("Engine.NoSuch")).stringValue().contains(QStringLiteral("'NoSuch'")));
    // Changes after compiling are seen: members are read when the expression runs.
    m->SetText(QStringLiteral("three"));
    EXPECT_TRUE(calc.Calc(QStringLiteral("Memo1.Text")).sameAs(Value("three")));
}

TEST_F(CalcTest, CacheKeepsEachTextOncePerPreparation)
{
    calc.Calc(QStringLiteral("'a' + 'b'"));
    calc.Calc(QStringLiteral("'a' + 'b'"));
    EXPECT_EQ(calc.CacheSize(), 1);
    // Texts differing in letter case differ in their literals.
    EXPECT_TRUE(calc.Calc(QStringLiteral("'A' + 'b'")).sameAs(Value("Ab")));
    EXPECT_EQ(calc.CacheSize(), 2);
    calc.Calc(QStringLiteral("Date")); // a name: not compiled
    EXPECT_EQ(calc.CacheSize(), 2);
    calc.StartPreparation();
    EXPECT_EQ(calc.CacheSize(), 0);
}

TEST(ScriptLanguage, WrappersAndTheEmptyScript)
{
    EXPECT_EQ(wrapExpression(ScriptLanguageKind::PascalScript, 3, QStringLiteral("1+2")),
              QStringLiteral("function fr3f3: Variant; begin Result := 1+2 end; begin end."));
    EXPECT_EQ(wrapExpression(ScriptLanguageKind::CppScript, 0, QStringLiteral("x")),
              QStringLiteral("Variant fr3f0() { return x; } {}"));
    EXPECT_EQ(wrapExpression(ScriptLanguageKind::BasicScript, 1, QStringLiteral("x")),
              QStringLiteral("function fr3f1\r\nreturn x\r\nend function"));
    EXPECT_EQ(wrapExpression(ScriptLanguageKind::JScript, 2, QStringLiteral("x")),
              QStringLiteral("function fr3f2() { return x; }"));
    EXPECT_EQ(scriptLanguageOf(QStringLiteral("c++script")), ScriptLanguageKind::CppScript);
    for (int lang = 0; lang < 4; ++lang) {
        const auto kind = ScriptLanguageKind(lang);
        EXPECT_EQ(unwrapExpression(kind, 7, wrapExpression(kind, 7, QStringLiteral("a end; b"))), QStringLiteral("a end; b"));
        EXPECT_TRUE(unwrapExpression(kind, 8, wrapExpression(kind, 7, QStringLiteral("a"))).isNull());
    }

    const auto pascal = ScriptLanguageKind::PascalScript;
    EXPECT_TRUE(checkScriptText(pascal, {QStringLiteral("begin"), QString(), QStringLiteral("end.")}).isEmpty());
    EXPECT_TRUE(checkScriptText(pascal, {QStringLiteral("{ nothing } BEGIN // here"), QStringLiteral("  End .")}).isEmpty());
    EXPECT_TRUE(checkScriptText(pascal, {}).isEmpty());
    const QString error = checkScriptText(pascal, {QStringLiteral("begin"), QStringLiteral("  x := 1;"), QStringLiteral("end.")});
    EXPECT_TRUE(error.contains(QStringLiteral("2:3")));
    EXPECT_FALSE(checkScriptText(pascal, {QStringLiteral("beginx end.")}).isEmpty());
    EXPECT_TRUE(checkScriptText(ScriptLanguageKind::CppScript, {QStringLiteral("{"), QStringLiteral("}")}).isEmpty());
}

TEST_F(CalcTest, OtherLanguagesEvaluateExpressionsAndAStatementScriptFails)
{
    report.ScriptLanguage = QStringLiteral("JScript");
    report.ScriptText.clear();
    calc.StartPreparation();
    EXPECT_TRUE(calc.Calc(QStringLiteral("2 * 3")).sameAs(Value(6)));
    report.ScriptLanguage = QStringLiteral("PascalScript");
    report.ScriptText = QStringList{QStringLiteral("begin ShowMessage('x') end.")};
    EXPECT_THROW(calc.StartPreparation(), CalcError);
    EXPECT_EQ(report.Errors().size(), 1);
}

} // namespace
