#include "report/rich/rich_view.h"

#include "platform/error.h"
#include "report/calc/frx_calc.h"
#include "report/value/frx_variant_conv.h"
#include "report/format/frx_display_format.h"
#include "report/frx_resources.h"
#include "report/model/frx_views.h"
#include "report/rich/rich_layout.h"
#include "report/rich/rtf_reader.h"
#include "report/rich/rtf_writer.h"
#include "report/script/frx_brackets.h"

#include <QStringDecoder>

#include <cmath>
#include <utility>

namespace report {

const char* const kRichLoadFailed = "Failed to Load Stream";
const char* const kRichSaveFailed = "Failed to Save Stream";

namespace {

constexpr qsizetype kMaxContentBytes = qsizetype(64) << 20;

QString decodePlainBytes(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder gbk("GBK", QStringDecoder::Flag::Stateless);
    return gbk.isValid() ? QString(gbk.decode(bytes)) : QString::fromLatin1(bytes);
}

// True when the bytes end in a backslash that escapes what comes next.
bool endsInEscape(const QByteArray& bytes)
{
    qsizetype n = 0;
    while (n < bytes.size() && bytes[bytes.size() - 1 - n] == '\\')
        ++n;
    return n % 2 == 1;
}

// RTF given as text: ASCII as it is, anything else as \u escapes, so no code page is
// needed to read it back. Each run of escapes is a group of its own that gives them one
// fallback character each, whatever \uc the text has in force there (a backslash before
// the run would escape the group's brace and goes).
QByteArray rtfBytes(const QString& text)
{
    QByteArray out;
    out.reserve(text.size());
    bool inRun = false;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80) {
            if (std::exchange(inRun, false))
                out += '}';
            out += char(u);
            continue;
        }
        if (!std::exchange(inRun, true)) {
            if (endsInEscape(out))
                out.chop(1);
            out += "{\\uc1";
        }
        out += "\\u" + QByteArray::number(u >= 0x8000 ? int(u) - 65536 : int(u)) + '?';
    }
    if (inRun)
        out += '}';
    return out;
}

int referenceLength(double units) { return int(std::lround(units * rich::kReferencePerUnit)); }

// Reference pixels → report units, through the twips the measurement is made in.
double unitsOf(int referencePixels)
{
    return std::round(referencePixels * rich::kTwipsPerReference / rich::kTwipsPerUnit);
}

} // namespace

rich::RichDocument readRichContent(const QByteArray& content)
{
    if (content.size() > kMaxContentBytes)
        throw platform::Error(QString::fromLatin1(kRichLoadFailed));
    if (rich::looksLikeRtf(content))
        return rich::readRtf(content);
    QByteArray bytes = content;
    // Stored content ends with the zero byte the control writes.
    while (bytes.endsWith('\0'))
        bytes.chop(1);
    return rich::RichDocument::fromPlainText(decodePlainBytes(bytes));
}

rich::RichDocument richContent(const TfrxRichView& view) { return readRichContent(view.RichText); }

void setRichContent(TfrxRichView& view, const rich::RichDocument& document)
{
    QByteArray bytes = rich::writeRtf(document);
    if (bytes.size() > kMaxContentBytes)
        throw platform::Error(QString::fromLatin1(kRichSaveFailed));
    view.RichText = std::move(bytes);
}

void loadRichData(TfrxRichView& view, const QString& data)
{
    if (rich::looksLikeRtf(data.left(16).toLatin1()))
        loadRichData(view, rtfBytes(data));
    else
        setRichContent(view, rich::RichDocument::fromPlainText(data));
}

void loadRichData(TfrxRichView& view, const QByteArray& data)
{
    if (data.size() > kMaxContentBytes)
        throw platform::Error(QString::fromLatin1(kRichLoadFailed));
    if (rich::looksLikeRtf(data))
        view.RichText = data;
    else
        setRichContent(view, readRichContent(data));
}

QString richPlainText(const QByteArray& content)
{
    try {
        return readRichContent(content).plainText();
    } catch (const platform::Error&) {
        return {};
    }
}

double richCalcHeight(const TfrxRichView& view)
{
    const rich::RichDocument doc = richContent(view);
    if (doc.isEmpty())
        return 0;
    const rich::RichLayout layout = rich::layOutRich(doc, referenceLength(view.Width() - 2 * view.GapX));
    return unitsOf(layout.height) + 2 * view.GapY + 2;
}

void richInitPart(TfrxRichView& view) { view.PartRemainder = view.RichText; }

double richDrawPart(TfrxRichView& view)
{
    rich::RichDocument doc = readRichContent(view.PartRemainder);
    const rich::RichLayout layout = rich::layOutRich(doc, referenceLength(view.Width() - 2 * view.GapX));
    const rich::RichFit fit = rich::fitRich(doc, layout, referenceLength(view.Height() - 2 * view.GapY));
    if (fit.firstUnfit >= doc.length()) {
        // All of it fits: this part is the rest of the text.
        setRichContent(view, doc);
        view.PartRemainder.clear();
        return 0;
    }
    if (fit.keptLines == 0) {
        // Nothing fits: nothing is output here and the whole text waits for the next page.
        setRichContent(view, rich::RichDocument());
        return view.Height();
    }
    view.PartRemainder = rich::writeRtf(doc, fit.firstUnfit);
    doc.truncate(fit.firstUnfit);
    setRichContent(view, doc);
    const double used = unitsOf(fit.height) + 2 * view.GapY + 0.1;
    return std::max(view.Height() - used, 0.0001);
}

namespace {

void loadFieldData(ReportCalc& calc, TfrxRichView& view)
{
    TfrxDataSet& source = *view.DataSet();
    const QString& field = view.DataField;
    if (source.IsBlobField(field)) {
        loadRichData(view, source.GetBlobBytes(field));
        return;
    }
    if (!source.HasField(field))
        calc.AddError(frxGet(QStringLiteral("dbFldNotFound")) + u' ' + source.UserName() + QStringLiteral(".\"")
                      + field + u'"');
    const QString value = plainText(valueFromVariant(source.GetValue(field)));
    if (rich::looksLikeRtf(value.left(16).toLatin1())) {
        loadRichData(view, value);
        return;
    }
    // The same value into the same content (a page header's title, page after page).
    TfrxRichView::ContentMemo& memo = view.RunMemo;
    if (view.RichText.isSharedWith(memo.valueInto) && !memo.valueInto.isNull() && value == memo.value) {
        view.RichText = memo.valueResult;
        return;
    }
    const QByteArray into = view.RichText;
    // A plain value takes the place of the stored content in its format: the first
    // character's (or, in an empty content, the paragraph mark's) and the first paragraph's,
    // so a title designed as an empty 20 pt centred paragraph prints its value that way.
    rich::RichDocument doc;
    try {
        doc = richContent(view);
    } catch (const platform::Error&) {
        // stored content that cannot be read leaves the default format
    }
    doc.replace(0, doc.length(), value);
    setRichContent(view, doc);
    memo.valueInto = into;
    memo.value = value;
    memo.valueResult = view.RichText;
}

void expandExpressions(ReportCalc& calc, TfrxRichView& view)
{
    const Delimiters delimiters = parseDelimiters(view.ExpressionDelimiters);
    if (delimiters.open.isEmpty() || delimiters.close.isEmpty())
        return;
    // Most rich texts hold no expression; reading them only to find that out is most of
    // the time a long report spends on them.
    TfrxRichView::ContentMemo& memo = view.RunMemo;
    const char16_t open = delimiters.open[0].unicode();
    if (view.RichText.isSharedWith(memo.withoutExpressions) && !memo.withoutExpressions.isNull() && memo.open == open)
        return; // this very content was read before
    if (rich::looksLikeRtf(view.RichText) && !rich::mayHoldCharacter(view.RichText, open)) {
        memo.withoutExpressions = view.RichText;
        memo.open = open;
        return;
    }
    rich::RichDocument doc = richContent(view);
    if (!doc.text().contains(delimiters.open)) {
        memo.withoutExpressions = view.RichText;
        memo.open = open;
        return;
    }
    // The brackets are found in the text as it was (a value is never scanned again) and
    // all replaced at once.
    std::vector<rich::RichDocument::Replacement> values;
    for (qsizetype from = 0;;) {
        const BracketMatch m = matchBracket(doc.text(), from, delimiters);
        if (!m.found)
            break;
        QString value;
        try {
            value = plainText(calc.Calc(m.expression));
        } catch (const CalcError&) {
            // the line is in the report's errors; the bracket shows nothing
        }
        values.push_back({int(m.begin), int(m.end - m.begin), std::move(value)});
        from = m.end;
    }
    doc.replace(values);
    setRichContent(view, doc);
}

} // namespace

void getRichData(ReportCalc& calc, TfrxRichView& view)
{
    // A value that comes from data is text: brackets in it are never run as expressions.
    if (view.IsDataField())
        loadFieldData(calc, view);
    else if (view.AllowExpressions)
        expandExpressions(calc, view);
    if (TfrxRichView* next = view.FlowTo()) {
        richInitPart(view);
        richDrawPart(view);
        next->RichText = view.PartRemainder;
        next->AllowExpressions = false;
    }
}

TfrxRichObject::TfrxRichObject()
{
    // The painter and measurer come with the render table; the component text needs the
    // reader installed here, since searching may come before anything is drawn.
    TfrxRichView::SetTextReader(&richPlainText);
}

} // namespace report
