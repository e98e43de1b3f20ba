// libFuzzer target for the report expression compiler and evaluator, the bracket finder and
// the display formats.
//
// The input is read as UTF-8 text and used three ways:
// 1. as an expression: compiled against a small resolver (variables a, b, s, n, d, 金额, an
//    object Memo1 with the member Text, references <ds."A">, <Line#>, <Page#> and the macro
//    functions SUM and COUNT), evaluated, and its value formatted with each display kind;
// 2. as the text of a text object: its brackets found with "[,]" and "<%,%>" delimiters,
//    each bracket split at its inline format, compiled, evaluated and formatted;
// 3. as a pattern of Format, FormatFloat and FormatDateTime.
// Compile errors and run-time errors (platform::Error) are expected results; anything else
// (a crash, a sanitizer report, another exception, a hang) is a bug.
#include "report/format/frx_display_format.h"
#include "report/format/frx_format.h"
#include "report/script/frx_brackets.h"
#include "report/script/frx_expression.h"
#include "report/value/frx_value.h"

#include <QHash>

#include <cstddef>
#include <cstdint>

namespace {

using report::Value;

class CellOperand final : public report::Operand {
public:
    explicit CellOperand(Value v) : value_(std::move(v)) {}
    Value evaluate() const override { return value_; }

private:
    Value value_;
};

class TextOperand final : public report::Operand {
public:
    TextOperand(report::OperandPtr object, QString member) : object_(std::move(object)), member_(std::move(member)) {}
    Value evaluate() const override { return Value(object_->evaluate().typeName() + member_); }

private:
    report::OperandPtr object_;
    QString member_;
};

int objectTag;

class FuzzResolver final : public report::NameResolver {
public:
    FuzzResolver()
    {
        names_.insert(QStringLiteral("a"), Value(6));
        names_.insert(QStringLiteral("b"), Value(2.5));
        names_.insert(QStringLiteral("s"), Value(QStringLiteral("text [x] 'q'")));
        names_.insert(QStringLiteral("n"), Value::null());
        names_.insert(QStringLiteral("d"), Value::fromDateTime(45292.75));
        names_.insert(QString::fromUtf8("金额"), Value(qint64(1) << 40));
        names_.insert(QStringLiteral("memo1"), Value(report::ObjectRef{&objectTag, nullptr}));
        references_.insert(QStringLiteral("ds.\"A\""), Value(3));
        references_.insert(QStringLiteral("Line#"), Value(1));
        references_.insert(QStringLiteral("Page#"), Value(2));
    }

    report::OperandPtr resolveName(const QString& name, report::CallArguments* call) override
    {
        if (call && isMacroFunction(name))
            return std::make_unique<CellOperand>(Value(QString::number(call->texts.size())));
        const auto it = names_.constFind(name.toLower());
        if (it == names_.cend() || call)
            return nullptr;
        return std::make_unique<CellOperand>(*it);
    }
    bool isMacroFunction(const QString& name) override
    {
        return name.compare(QLatin1String("SUM"), Qt::CaseInsensitive) == 0
            || name.compare(QLatin1String("COUNT"), Qt::CaseInsensitive) == 0;
    }
    report::OperandPtr resolveReference(const QString& text) override
    {
        const auto it = references_.constFind(text);
        return it == references_.cend() ? nullptr : std::make_unique<CellOperand>(*it);
    }
    report::OperandPtr resolveMember(report::OperandPtr& object, const QString& member,
                                     report::CallArguments*) override
    {
        if (member.compare(QLatin1String("Text"), Qt::CaseInsensitive) != 0)
            return nullptr;
        return std::make_unique<TextOperand>(std::move(object), member);
    }

private:
    QHash<QString, Value> names_;
    QHash<QString, Value> references_;
};

QString formatAll(const Value& v)
{
    QString out;
    for (const report::DisplayFormat& f : {
             report::DisplayFormat{report::DisplayKind::fkText, {}, {}},
             report::DisplayFormat{report::DisplayKind::fkNumeric, QStringLiteral("%2.2f"), QStringLiteral(",")},
             report::DisplayFormat{report::DisplayKind::fkNumeric, QStringLiteral("#,##0.00"), {}},
             report::DisplayFormat{report::DisplayKind::fkNumeric, QStringLiteral("%d"), {}},
             report::DisplayFormat{report::DisplayKind::fkDateTime, QStringLiteral("yyyy.mm.dd hh:nn"), {}},
             report::DisplayFormat{report::DisplayKind::fkBoolean, QStringLiteral("Yes,No"), {}},
         })
        out += report::formatDisplayValue(v, f);
    return out;
}

QString evaluateBracket(FuzzResolver& resolver, const QString& bracket)
{
    const report::InlineFormat split = report::splitInlineFormat(bracket);
    try {
        const Value v = report::compileExpression(split.expression, resolver).evaluate();
        return split.format ? report::formatDisplayValue(v, *split.format) : report::plainText(v);
    } catch (const platform::Error& e) {
        return e.message();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    FuzzResolver resolver;

    // 1. An expression.
    try {
        const report::Expression e = report::compileExpression(text, resolver);
        const Value v = e.evaluate();
        (void)formatAll(v);
    } catch (const platform::Error&) {
    }

    // 2. The text of a text object.
    for (const char* delimiters : {"[,]", "<%,%>"}) {
        (void)report::expandBrackets(text, report::parseDelimiters(QString::fromLatin1(delimiters)),
                                     [&](const QString& e) { return evaluateBracket(resolver, e); });
    }

    // 3. A pattern.
    const Value args[] = {Value(42), Value(-3.25), Value(QStringLiteral("x"))};
    for (const auto& run : {
             +[](const QString& t, const Value* a) { return report::formatPrintf(t, a, 3); },
             +[](const QString& t, const Value*) { return report::formatFloatPicture(t, -1234.5678); },
             +[](const QString& t, const Value*) { return report::formatDateTimePattern(t, 45292.5123); },
         }) {
        try {
            (void)run(text, args);
        } catch (const platform::Error&) {
        }
    }
    return 0;
}
