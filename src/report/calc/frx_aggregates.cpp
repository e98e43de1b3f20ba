#include "report/calc/frx_aggregates.h"

#include "report/calc/frx_calc.h"
#include "report/value/frx_variant_conv.h"
#include "report/model/frx_bands.h"
#include "report/model/frx_collections.h"
#include "report/model/frx_pages.h"
#include "report/model/frx_report.h"
#include "report/model/frx_views.h"
#include "report/script/frx_brackets.h"
#include "report/value/frx_value_ops.h"

#include <QSet>

namespace report {

namespace {

bool isNameStart(QChar c)
{
    return c.isLetter() || c == u'_' || c.unicode() >= 128;
}

bool isNameChar(QChar c)
{
    return isNameStart(c) || c.isDigit();
}

// The position after a quoted piece that starts at i.
qsizetype skipQuoted(QStringView s, qsizetype i)
{
    const QChar q = s[i];
    const qsizetype end = s.indexOf(q, i + 1);
    return end < 0 ? s.size() : end + 1;
}

// The position of the ")" that closes the "(" at i, outside quotes; -1 when unclosed.
qsizetype closingParen(QStringView s, qsizetype i)
{
    int depth = 0;
    while (i < s.size()) {
        const QChar c = s[i];
        if (c == u'\'' || c == u'"') {
            i = skipQuoted(s, i);
            continue;
        }
        if (c == u'(')
            ++depth;
        else if (c == u')' && --depth == 0)
            return i;
        ++i;
    }
    return -1;
}

// Arguments split at commas outside quotes and nested parentheses, each trimmed.
QStringList splitArguments(QStringView s)
{
    QStringList parts;
    if (s.trimmed().isEmpty())
        return parts;
    int depth = 0;
    qsizetype start = 0;
    for (qsizetype i = 0; i < s.size();) {
        const QChar c = s[i];
        if (c == u'\'' || c == u'"') {
            i = skipQuoted(s, i);
            continue;
        }
        if (c == u'(')
            ++depth;
        else if (c == u')')
            --depth;
        else if (c == u',' && depth == 0) {
            parts.append(s.mid(start, i - start).trimmed().toString());
            start = i + 1;
        }
        ++i;
    }
    parts.append(s.mid(start).trimmed().toString());
    return parts;
}

void scanCalls(const QString& text, const std::function<QString(const QString&)>& variableText,
               QSet<QString>& seenVariables, std::vector<AggregateCall>& out)
{
    const QStringView s(text);
    qsizetype i = 0;
    while (i < s.size()) {
        const QChar c = s[i];
        if (c == u'\'' || c == u'"') {
            i = skipQuoted(s, i);
        } else if (c.isDigit()) {
            while (i < s.size() && isNameChar(s[i]))
                ++i;
        } else if (isNameStart(c)) {
            qsizetype j = i;
            while (j < s.size() && isNameChar(s[j]))
                ++j;
            const QStringView name = s.mid(i, j - i);
            AggregateKind kind;
            if (j < s.size() && s[j] == u'(' && aggregateKindOf(name, &kind)) {
                const qsizetype close = closingParen(s, j);
                if (close >= 0) {
                    out.push_back({kind, s.mid(i, close - i + 1).trimmed().toString(),
                                   splitArguments(s.mid(j + 1, close - j - 1))});
                }
                i = j + 1; // calls nested in the arguments count too
                continue;
            }
            const QString lower = name.toString().toLower();
            if (variableText && !seenVariables.contains(lower)) {
                const QString value = variableText(name.toString());
                if (!value.isNull()) {
                    seenVariables.insert(lower);
                    scanCalls(value, variableText, seenVariables, out);
                }
            }
            i = j;
        } else {
            ++i;
        }
    }
}

int flagsOf(const QString& text)
{
    qint64 n = 0;
    return text.isEmpty() || !parseInteger(text, &n) ? 0 : int(n);
}

// Folds a new value into an accumulated one by the item's rule.
void fold(AggregateKind kind, Value& acc, const Value& v)
{
    if (acc.isNull()) {
        acc = v;
        return;
    }
    if (v.isNullOrEmpty())
        return;
    switch (kind) {
    case AggregateKind::Sum:
    case AggregateKind::Avg:
        acc = opAdd(acc, v);
        break;
    case AggregateKind::Min:
        if (compareValues(v, acc) < 0)
            acc = v;
        break;
    case AggregateKind::Max:
        if (compareValues(v, acc) > 0)
            acc = v;
        break;
    case AggregateKind::Count:
        break;
    }
}

int itemFlags(const TfrxAggregateItem& item)
{
    return (item.countInvisible ? 1 : 0) | (item.running ? 2 : 0);
}

} // namespace

bool aggregateKindOf(QStringView name, AggregateKind* kind)
{
    static const char* const names[] = {"SUM", "AVG", "MIN", "MAX", "COUNT"};
    for (int i = 0; i < 5; ++i) {
        if (name.compare(QLatin1StringView(names[i]), Qt::CaseInsensitive) == 0) {
            *kind = AggregateKind(i);
            return true;
        }
    }
    return false;
}

std::vector<AggregateCall> findAggregateCalls(const QString& expression,
                                              const std::function<QString(const QString& name)>& variableText)
{
    std::vector<AggregateCall> calls;
    QSet<QString> seen;
    scanCalls(expression, variableText, seen, calls);
    return calls;
}

TfrxBand* TfrxAggregateList::bandNamed(const QString& name) const
{
    QString n = name;
    if (n.size() >= 2 && (n.front() == u'\'' || n.front() == u'"') && n.back() == n.front())
        n = n.mid(1, n.size() - 2);
    return dynamic_cast<TfrxBand*>(calc_.Report().FindObject(n));
}

void TfrxAggregateList::AddObject(TfrxComponent& object, TfrxBand* parentBand, TfrxBand* defaultDataBand)
{
    auto* memo = dynamic_cast<TfrxCustomMemoView*>(&object);
    if (!memo || !memo->AllowExpressions)
        return;
    const Delimiters delimiters = parseDelimiters(memo->ExpressionDelimiters);
    const QString text = memo->Text();
    TfrxVariables& vars = calc_.Report().Variables();
    const auto variableText = [&vars](const QString& name) -> QString {
        const int at = vars.IndexOf(name);
        return at < 0 ? QString() : vars[at].Value.toString();
    };
    for (qsizetype pos = 0;;) {
        const BracketMatch m = matchBracket(text, pos, delimiters);
        if (!m.found)
            break;
        pos = m.end;
        for (const AggregateCall& call : findAggregateCalls(m.expression, variableText)) {
            TfrxAggregateItem item;
            item.kind = call.kind;
            const QStringList& a = call.arguments;
            const int bandArg = call.kind == AggregateKind::Count ? 0 : 1;
            if (call.kind != AggregateKind::Count)
                item.expression = a.value(0);
            const QString bandName = a.value(bandArg);
            item.dataBand = bandName.isEmpty() ? defaultDataBand : bandNamed(bandName);
            const int flags = flagsOf(a.value(bandArg + 1));
            item.countInvisible = flags & 1;
            item.running = flags & 2;
            item.parentBand = parentBand;
            item.pageFooter = dynamic_cast<TfrxPageFooter*>(parentBand) != nullptr;
            item.callText = call.callText;
            item.objectName = memo->Name();
            items_.push_back(std::move(item));
        }
    }
}

void TfrxAggregateList::addFromBandChain(TfrxBand* band, TfrxBand* defaultDataBand)
{
    QSet<TfrxBand*> seen;
    for (TfrxBand* b = band; b && !seen.contains(b); b = b->Child()) {
        seen.insert(b);
        for (TfrxComponent* c : b->AllObjects())
            AddObject(*c, b, defaultDataBand);
    }
}

void TfrxAggregateList::addDataBand(TfrxBand* dataBand)
{
    if (dataBand->Footer)
        addFromBandChain(dataBand->Footer, dataBand);
    for (TfrxBand* group : dataBand->Groups)
        if (group->Footer)
            addFromBandChain(group->Footer, dataBand);
    if (dataBand->Vertical)
        for (TfrxComponent* c : dataBand->AllObjects())
            AddObject(*c, dataBand, dataBand);
    for (TfrxBand* sub : dataBand->SubBands)
        if (sub != dataBand)
            addDataBand(sub);
}

void TfrxAggregateList::AddItems(TfrxReportPage& page)
{
    QList<TfrxDataBand*> masters;
    for (TfrxComponent* c : page.Objects())
        if (auto* master = dynamic_cast<TfrxMasterData*>(c))
            masters.append(master);
    AddItems(page, masters);
}

void TfrxAggregateList::AddItems(TfrxReportPage& page, const QList<TfrxDataBand*>& masters)
{
    for (TfrxDataBand* master : masters)
        addDataBand(master);
    if (masters.isEmpty())
        return;
    for (TfrxComponent* c : page.Objects())
        if (dynamic_cast<TfrxPageFooter*>(c) || dynamic_cast<TfrxColumnFooter*>(c) || dynamic_cast<TfrxReportSummary*>(c))
            addFromBandChain(static_cast<TfrxBand*>(c), masters.front());
}

void TfrxAggregateList::AddValue(TfrxBand* dataBand, bool bandVisible)
{
    for (TfrxAggregateItem& item : items_) {
        if (item.dataBand != dataBand || (!bandVisible && !item.countInvisible))
            continue;
        Value v = item.kind == AggregateKind::Count ? Value::null() : calc_.Calc(item.expression);
        if (v.type() == ValueType::Bool)
            v = Value(v.boolValue() ? 1 : 0);
        const bool held = item.pageFooter && item.holding;
        int& count = held ? item.heldCount : item.count;
        Value& acc = held ? item.heldValue : item.value;
        item.previousCount = count;
        item.previousValue = acc;
        if (item.kind != AggregateKind::Avg || !v.isNullOrEmpty())
            ++count;
        fold(item.kind, acc, v);
    }
}

void TfrxAggregateList::DeleteValue(TfrxBand* dataBand)
{
    for (TfrxAggregateItem& item : items_) {
        if (item.dataBand != dataBand)
            continue;
        const bool held = item.pageFooter && item.holding;
        (held ? item.heldCount : item.count) = item.previousCount;
        (held ? item.heldValue : item.value) = item.previousValue;
    }
}

Value TfrxAggregateList::GetValue(TfrxBand* parentBand, AggregateKind kind, const QStringList& arguments) const
{
    const bool count = kind == AggregateKind::Count;
    const QString expression = count ? QString() : arguments.value(0).trimmed();
    const QString bandName = arguments.value(count ? 0 : 1).trimmed();
    TfrxBand* band = bandName.isEmpty() ? nullptr : bandNamed(bandName);
    const int flags = flagsOf(arguments.value(count ? 1 : 2).trimmed());
    for (const TfrxAggregateItem& item : items_) {
        if (item.parentBand != parentBand || item.kind != kind
            || item.expression.compare(expression, Qt::CaseInsensitive) != 0
            || (!bandName.isEmpty() && item.dataBand != band) || itemFlags(item) != flags)
            continue;
        switch (kind) {
        case AggregateKind::Count:
            return Value(item.count);
        case AggregateKind::Avg:
            return item.value.isNullOrEmpty() || item.count == 0 ? Value(0)
                                                                  : Value(item.value.toDouble() / item.count);
        default:
            return item.value.isNullOrEmpty() ? Value(0) : item.value;
        }
    }
    return Value::null();
}

void TfrxAggregateList::Reset(TfrxBand* parentBand)
{
    for (TfrxAggregateItem& item : items_) {
        if (item.parentBand != parentBand || (item.running && item.count != 0))
            continue;
        item.count = 0;
        item.value = Value::null();
    }
}

void TfrxAggregateList::ClearValues()
{
    for (TfrxAggregateItem& item : items_) {
        item.count = item.previousCount = item.heldCount = 0;
        item.value = item.previousValue = item.heldValue = Value::null();
        item.holding = false;
    }
}

void TfrxAggregateList::StartKeep()
{
    for (TfrxAggregateItem& item : items_) {
        if (!item.pageFooter)
            continue;
        item.holding = true;
        item.heldCount = 0;
        item.heldValue = Value::null();
    }
}

void TfrxAggregateList::EndKeep()
{
    for (TfrxAggregateItem& item : items_) {
        if (!item.pageFooter || !item.holding)
            continue;
        item.holding = false;
        item.count += item.heldCount;
        fold(item.kind, item.value, item.heldValue);
        item.heldCount = 0;
        item.heldValue = Value::null();
    }
}

} // namespace report
