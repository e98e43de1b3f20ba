// A text object over several pages, and the print cycle that keeps its template unchanged.

#include "report/layout/draw_text.h"
#include "report/model/frx_views.h"
#include "report/text/detail/memo_layout.h"
#include "report/text/text_context.h"

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

void TfrxCustomMemoView::InitPart() { partRemainder_ = Text(); }

double TfrxCustomMemoView::DrawPart()
{
    TfrxDrawText& drawText = TfrxTextContext::of(*this).drawText();
    TfrxDrawTextLock lock(drawText);
    const QString whole = partRemainder_;
    const QRectF area = detail::memoTextArea(*this);
    detail::layOutForMeasure(*this, drawText, whole, area.width(), area.height());
    const TfrxTextSplit split = drawText.Split(area.height());

    if (split.KeptLines == 0 && drawText.LineCount() > 0) {
        // Nothing fits: nothing is output here and the whole text waits for the next page.
        Memo.clear();
        return Height();
    }
    if (!split.Cut) {
        SetText(whole);
        partRemainder_.clear();
    } else {
        QString kept = withoutCutSeparator(whole.left(whole.size() - split.Remainder.size()));
        // A word hyphenated at the cut keeps its hyphen on this part.
        if (drawText.Line(split.KeptLines - 1).endsWith(u'-') && !kept.endsWith(u'-'))
            kept += u'-';
        SetText(kept);
        QString rest = split.Remainder;
        if (rest.startsWith(u' '))
            rest.remove(0, 1);
        if (AllowHTMLTags)
            rest.prepend(htmlStyleRestoringTags(split.CutStyle, detail::memoTextColor(*this).rgb()));
        partRemainder_ = rest;
    }
    return split.FreeHeight > 0 ? split.FreeHeight : 0.0001;
}

void TfrxCustomMemoView::BeforePrint()
{
    TfrxStretcheable::BeforePrint();
    // A data-bound object takes its text from the data each time; nothing to keep.
    designTextSaved_ = !IsDataField();
    if (designTextSaved_)
        designText_ = Memo;
}

void TfrxCustomMemoView::AfterPrint()
{
    if (designTextSaved_) {
        Memo = designText_;
        designTextSaved_ = false;
    }
    TfrxStretcheable::AfterPrint();
}

} // namespace report
