// Measuring a text object for the band engine (the height its text needs at the current
// width, the width of its widest line) and its output in parts over several pages.

#include "report/render/memo_render.h"

#include "report/layout/draw_text.h"
#include "report/model/frx_views.h"
#include "report/render/detail/memo_kind.h"
#include "report/text/memo_layout.h"
#include "report/text/text_context.h"

#include <cmath>

namespace report {

static_assert(int(TfrxHAlign::haBlock) == int(TextHAlign::haBlock) && int(TfrxHAlign::haCenter) == int(TextHAlign::haCenter));
static_assert(int(TfrxVAlign::vaCenter) == int(TextVAlign::vaCenter) && int(TfrxVAlign::vaBottom) == int(TextVAlign::vaBottom));

namespace {

// The kept part ends where the next line begins; the line break or the space dropped there
// is not part of it.
QString withoutCutSeparator(QString kept)
{
    if (kept.endsWith(QLatin1StringView("\r\n")))
        kept.chop(2);
    else if (kept.endsWith(u'\n') || kept.endsWith(u'\r') || kept.endsWith(u' '))
        kept.chop(1);
    return kept;
}

} // namespace

QStringList memoOutputLines(TfrxCustomMemoView& memo)
{
    TfrxDrawText& drawText = TfrxTextContext::of(memo).drawText();
    TfrxDrawTextLock lock(drawText);
    layOutAtWidth(memo, drawText);
    QStringList lines;
    for (int i = 0; i < drawText.LineCount(); ++i)
        lines << drawText.Line(i);
    return lines;
}

namespace detail {

double MemoMeasurer::calcHeight(TfrxView& view, TfrxTextContext& texts) const
{
    const auto& memo = static_cast<const TfrxCustomMemoView&>(view);
    TfrxDrawText& drawText = texts.drawText();
    TfrxDrawTextLock lock(drawText);
    layOutAtWidth(memo, drawText);
    return std::round(drawText.LineCount() * drawText.LineHeight() + memoInsets(memo).vertical());
}

double MemoMeasurer::calcWidth(TfrxView& view, TfrxTextContext& texts) const
{
    const auto& memo = static_cast<const TfrxCustomMemoView&>(view);
    TfrxDrawText& drawText = texts.drawText();
    TfrxDrawTextLock lock(drawText);
    return memoWidthOf(memo, drawText, memo.Text());
}

void MemoMeasurer::initPart(TfrxView& view) const
{
    auto& memo = static_cast<TfrxCustomMemoView&>(view);
    memo.SetPartRemainder(memo.Text());
}

double MemoMeasurer::drawPart(TfrxView& view, TfrxTextContext& texts) const
{
    auto& memo = static_cast<TfrxCustomMemoView&>(view);
    TfrxDrawText& drawText = texts.drawText();
    TfrxDrawTextLock lock(drawText);
    const QString whole = memo.PartRemainder();
    const QRectF area = memoTextArea(memo);
    layOutForMeasure(memo, drawText, whole, area.width(), area.height());
    const TfrxTextSplit split = drawText.Split(area.height());

    if (split.KeptLines == 0 && drawText.LineCount() > 0) {
        // Nothing fits: nothing is output here and the whole text waits for the next page.
        memo.Memo.clear();
        return memo.Height();
    }
    if (!split.Cut) {
        memo.SetText(whole);
        memo.SetPartRemainder(QString());
    } else {
        QString kept = withoutCutSeparator(whole.left(whole.size() - split.Remainder.size()));
        // A word hyphenated at the cut keeps its hyphen on this part.
        if (drawText.Line(split.KeptLines - 1).endsWith(u'-') && !kept.endsWith(u'-'))
            kept += u'-';
        memo.SetText(kept);
        QString rest = split.Remainder;
        if (rest.startsWith(u' '))
            rest.remove(0, 1);
        if (memo.AllowHTMLTags)
            rest.prepend(htmlStyleRestoringTags(split.CutStyle, memoTextColor(memo).rgb()));
        memo.SetPartRemainder(rest);
    }
    return split.FreeHeight > 0 ? split.FreeHeight : 0.0001;
}

} // namespace detail

} // namespace report
