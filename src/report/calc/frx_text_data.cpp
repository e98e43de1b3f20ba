#include "report/calc/frx_text_data.h"

#include "report/calc/frx_calc.h"
#include "report/value/frx_variant_conv.h"
#include "report/format/frx_display_format.h"
#include "report/frx_resources.h"
#include "report/model/frx_bands.h"
#include "report/model/frx_views.h"
#include "report/model/item_kind.h"
#include "report/text/text_context.h"
#include "report/script/frx_brackets.h"

namespace report {

namespace {

DisplayFormat displayFormatOf(const TfrxFormat& format)
{
    DisplayFormat f;
    f.kind = DisplayKind(int(format.Kind));
    f.formatStr = format.FormatStr;
    f.decimalSeparator = format.DecimalSeparator;
    return f;
}

// HideZeros empties numbers equal to 0; strings (even "0") are kept.
bool hiddenZero(const TfrxCustomMemoView& memo, const Value& v)
{
    return memo.HideZeros && v.isNumber() && v.toDouble() == 0;
}

QString fieldReference(const TfrxDataSet& source, const QString& field)
{
    return source.UserName() + QStringLiteral(".\"") + field + u'"';
}

// A data-bound object shows its field: the blob's bytes as lines, or the formatted value
// or the source's display text.
void getFieldData(ReportCalc& calc, TfrxCustomMemoView& memo)
{
    TfrxDataSet& source = *memo.DataSet();
    const QString& field = memo.DataField;
    if (source.IsBlobField(field)) {
        memo.SetText(QString::fromUtf8(source.GetBlobBytes(field)));
        return;
    }
    const Value v = valueFromVariant(source.GetValue(field));
    if (!source.HasField(field)) {
        // Whatever the kind of source, the missing field shows on the page as well.
        const QString notFound = frxGet(QStringLiteral("dbFldNotFound")) + u' ' + fieldReference(source, field);
        calc.AddError(notFound);
        memo.Value = QVariant();
        memo.SetText(notFound);
        return;
    }
    memo.Value = variantFromValue(v);
    QString text = memo.DisplayFormat().Kind != TfrxFormatKind::fkText
                       ? formatDisplayValue(v, displayFormatOf(memo.DisplayFormat()))
                       : source.GetDisplayText(field);
    if (hiddenZero(memo, v))
        text.clear();
    memo.SetText(text);
}

} // namespace

QString evaluateBracket(ReportCalc& calc, TfrxCustomMemoView& memo, const QString& expression)
{
    const InlineFormat split = splitInlineFormat(expression);
    Value v;
    if (split.expression.compare(QLatin1StringView("TOTALPAGES#"), Qt::CaseInsensitive) == 0)
        v = Value(QStringLiteral("[TotalPages#]"));
    else if (split.expression.compare(QLatin1StringView("COPYNAME#"), Qt::CaseInsensitive) == 0)
        v = Value(QStringLiteral("[CopyName#]"));
    else
        v = calc.Calc(split.expression);
    memo.Value = variantFromValue(v);
    if (hiddenZero(memo, v))
        return {};
    return formatDisplayValue(v, split.format ? *split.format : displayFormatOf(memo.DisplayFormat()));
}

QString expandMemoText(ReportCalc& calc, TfrxCustomMemoView& memo, const QString& text)
{
    return expandBrackets(text, parseDelimiters(memo.ExpressionDelimiters),
                          [&](const QString& e) { return evaluateBracket(calc, memo, e); });
}

void getMemoData(ReportCalc& calc, TfrxCustomMemoView& memo)
{
    if (memo.IsDataField())
        getFieldData(calc, memo);
    else if (memo.AllowExpressions)
        memo.SetText(expandMemoText(calc, memo, memo.Text()));

    calc.SetLastValue(valueFromVariant(memo.Value));

    TfrxHighlight& highlight = memo.Highlight();
    highlight.Active = false;
    if (!highlight.Condition.isEmpty()) {
        const Value c = calc.Calc(highlight.Condition);
        highlight.Active = c.type() == ValueType::Bool && c.boolValue();
    }

    if (memo.SuppressRepeated) {
        const QString text = memo.Text();
        if (text == memo.LastValue)
            memo.SetText(QString());
        else
            memo.LastValue = text;
    }

    if (TfrxCustomMemoView* next = memo.FlowTo()) {
        // The text is cut at this object's height; what does not fit goes on in the next
        // object, as text (its brackets were expanded here already).
        const ItemMeasurer& measurer = *itemKindOf(memo.classInfo()).measurer;
        measurer.initPart(memo);
        measurer.drawPart(memo, TfrxTextContext::of(memo));
        next->SetText(memo.PartRemainder());
        next->AllowExpressions = false;
    }
}

void forgetRepeatedTexts(TfrxBand& band)
{
    for (TfrxComponent* c : band.AllObjects()) {
        if (auto* memo = dynamic_cast<TfrxCustomMemoView*>(c)) {
            memo->LastValue.clear();
            memo->Value = QVariant();
        }
    }
}

ViewTexts expandViewTexts(ReportCalc& calc, TfrxView& view)
{
    ViewTexts designed{view.TagStr, view.URL};
    const Delimiters square;
    const auto evaluate = [&calc](const QString& e) { return plainText(calc.Calc(e)); };
    if (view.TagStr.contains(u'['))
        view.TagStr = expandBrackets(view.TagStr, square, evaluate);
    if (view.URL.contains(u'['))
        view.URL = expandBrackets(view.URL, square, evaluate);
    return designed;
}

void restoreViewTexts(TfrxView& view, const ViewTexts& designed)
{
    view.TagStr = designed.tagStr;
    view.URL = designed.url;
}

} // namespace report
