#include "report/calc/frx_calc.h"

#include "report/calc/detail/calc_resolver.h"
#include "report/calc/frx_aggregates.h"
#include "report/calc/frx_script_language.h"
#include "report/value/frx_variant_conv.h"
#include "report/frx_resources.h"
#include "report/model/frx_collections.h"
#include "report/model/frx_report.h"

#include <QDateTime>
#include <cmath>

namespace report {

namespace {

// Variables whose values name each other would otherwise recurse until the stack runs out.
constexpr int kMaxNesting = 64;

} // namespace

// Compiled expressions of one preparation, by their exact text: texts that differ only in
// letter case may differ inside string literals ('a' and 'A'), so they are kept apart.
struct ReportCalc::Cache {
    ScriptLanguageKind language = ScriptLanguageKind::PascalScript;
    QHash<QString, Expression> compiled;
};

TfrxVariables& frxGlobalVariables()
{
    static TfrxVariables globals;
    return globals;
}

QString copyNameText(int copyNo)
{
    const TfrxVariables& globals = frxGlobalVariables();
    const int at = globals.IndexOf(QStringLiteral("CopyName%1").arg(copyNo));
    return at < 0 ? QString() : globals[at].Value.toString();
}

ReportCalc::ReportCalc(TfrxReport& report)
    : report_(report),
      aggregates_(std::make_unique<TfrxAggregateList>(*this)),
      resolver_(std::make_unique<Resolver>(*this)),
      cache_(std::make_unique<Cache>())
{
    for (const char* name : {"PageNo", "TotalPages", "FinalPass", "DoublePass", "CurX", "CurY", "CurColumn",
                             "CurVColumn", "PageWidth", "PageHeight", "FreeSpace", "StartDate", "StartTime"})
        engine_.set(QLatin1StringView(name), Value(0));
    engine_.set(QStringLiteral("FinalPass"), Value(true));
    engine_.set(QStringLiteral("DoublePass"), Value(false));
    outline_.set(QStringLiteral("Count"), Value(0));
}

ReportCalc::~ReportCalc() = default;

void ReportCalc::StartPreparation()
{
    StartPreparation(nowAsDateTime());
}

void ReportCalc::StartPreparation(double startDayNumber)
{
    cache_->compiled.clear();
    preparing_ = true;
    cache_->language = scriptLanguageOf(report_.ScriptLanguage.isEmpty() ? QStringLiteral("PascalScript")
                                                                         : report_.ScriptLanguage);
    system_.date = std::floor(startDayNumber);
    system_.time = startDayNumber - system_.date;
    engine_.set(QStringLiteral("StartDate"), Value::fromDateTime(system_.date));
    engine_.set(QStringLiteral("StartTime"), Value::fromDateTime(system_.time));
    const QString error = checkScriptText(cache_->language, report_.ScriptText);
    if (!error.isEmpty()) {
        report_.AddError(error);
        throw CalcError(error);
    }
}

void ReportCalc::EndPreparation()
{
    cache_->compiled.clear();
    aggregates_->Clear();
    currentBand_ = nullptr;
    currentObject_.clear();
    lastValue_ = Value();
    preparing_ = false;
}

int ReportCalc::CacheSize() const
{
    return int(cache_->compiled.size());
}

QString ReportCalc::AddError(const QString& text)
{
    const QString line = currentObject_.isEmpty() ? text : currentObject_ + QStringLiteral(": ") + text;
    report_.AddError(line);
    return line;
}

Value ReportCalc::Calc(const QString& expression)
{
    if (depth_ >= kMaxNesting)
        throw CalcError(AddError(QStringLiteral("Stack overflow")));
    struct Nesting {
        int& depth;
        explicit Nesting(int& d) : depth(++d) {}
        ~Nesting() { --depth; }
    } nesting(depth_);

    Value value;
    if (ResolveName(expression, &value))
        return value;

    QString error;
    auto it = cache_->compiled.constFind(expression);
    if (it == cache_->compiled.cend()) {
        const int number = int(cache_->compiled.size());
        const QString program = wrapExpression(cache_->language, number, expression);
        const QString body = cache_->language == ScriptLanguageKind::Other
                                 ? expression
                                 : unwrapExpression(cache_->language, number, program);
        try {
            it = cache_->compiled.insert(expression, compileExpression(body, *resolver_));
        } catch (const CompileError& e) {
            error = frxGet(QStringLiteral("clExprError")) + QStringLiteral(" '") + expression + QStringLiteral("': ")
                    + e.message();
        }
    }
    if (error.isEmpty()) {
        // A copy: nested Calc calls may add to the cache while this one runs.
        const Expression compiled = *it;
        if (!preparing_)
            cache_->compiled.erase(it);
        try {
            return compiled.evaluate();
        } catch (const CalcError&) {
            throw; // a nested Calc has already added its line
        } catch (const std::exception& e) {
            error = platform::errorMessage(e);
        }
    }
    throw CalcError(AddError(error));
}

bool ReportCalc::ResolveName(const QString& name, Value* value)
{
    TfrxDataSet* source = nullptr;
    QString field;
    if (detail::splitDataReference(*this, name, &source, &field)) {
        *value = detail::readField(*this, *source, field);
        return true;
    }
    const int sys = detail::systemVariableIndex(name);
    if (sys >= 0) {
        *value = detail::systemVariableValue(*this, sys);
        return true;
    }
    if (OnGetValue) {
        Value v = Value::empty();
        if (OnGetValue(name, v)) {
            *value = v;
            return true;
        }
    }
    const int at = report_.Variables().IndexOf(name);
    if (at >= 0) {
        *value = evaluateVariable(report_.Variables()[at].Value);
        return true;
    }
    const TfrxVariables& globals = frxGlobalVariables();
    const int global = globals.IndexOf(name);
    if (global >= 0) {
        *value = valueFromVariant(globals[global].Value);
        return true;
    }
    if (name.compare(QLatin1StringView("Value"), Qt::CaseInsensitive) == 0) {
        *value = lastValue_;
        return true;
    }
    return false;
}

Value ReportCalc::evaluateVariable(const QVariant& stored)
{
    const Value v = valueFromVariant(stored);
    if (!v.isString() || v.stringValue().contains(u'\r') || v.stringValue().contains(u'\n'))
        return v;
    // A variable left blank reads as null instead of failing as an empty expression.
    if (v.stringValue().trimmed().isEmpty())
        return Value::null();
    return Calc(v.stringValue());
}

Value ReportCalc::Get(const QString& name)
{
    Value v;
    if (ResolveName(name, &v))
        return v;
    const QString trimmed = name.trimmed();
    const qsizetype open = trimmed.indexOf(u'(');
    AggregateKind kind;
    if (open > 0 && aggregateKindOf(QStringView(trimmed).left(open).trimmed(), &kind))
        return Calc(name);
    report_.AddError(frxGet(QStringLiteral("clUnknownVar")) + u' ' + name);
    return Value::null();
}

void ReportCalc::Set(const QString& name, const Value& value)
{
    TfrxVariables& vars = report_.Variables();
    int at = vars.IndexOf(name);
    if (at < 0) {
        vars.Add().Name = name;
        at = vars.Count() - 1;
    }
    vars[at].Value = variantFromValue(value);
}

} // namespace report
