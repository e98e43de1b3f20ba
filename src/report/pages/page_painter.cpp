// Drawing a prepared page on a screen, printer or metafile canvas.

#include "report/calc/frx_calc.h"
#include "report/model/frx_report.h"
#include "report/model/frx_views.h"
#include "report/pages/detail/pages_state.h"
#include "report/render/frame_paint.h"
#include "report/render/item_render.h"
#include "report/text/text_context.h"

#include <QImage>
#include <QPaintDevice>
#include <QPainter>

namespace report {

namespace {

// Objects this close to the visible part are drawn: frames and shadows reach beyond the
// object's rectangle.
constexpr double kVisibilityMargin = 20;

// Margins exchanged for the even pages of a mirrored page, put back on leaving.
class MirroredMargins {
public:
    MirroredMargins(TfrxReportPage& page, bool active) : page_(page), active_(active)
    {
        if (active_)
            std::swap(page_.LeftMargin, page_.RightMargin);
    }
    ~MirroredMargins()
    {
        if (active_)
            std::swap(page_.LeftMargin, page_.RightMargin);
    }
    MirroredMargins(const MirroredMargins&) = delete;
    MirroredMargins& operator=(const MirroredMargins&) = delete;

private:
    TfrxReportPage& page_;
    bool active_;
};

// The page total, copy name and print scale a drawn page hands to its text objects; the
// report's text context has its earlier values back afterwards, so a template object drawn
// later (in the designer, say) does not fill in a prepared report's total or take a
// printer's scale. A print job sets the copy name of each copy; any other drawing (preview,
// export) takes the name of copy `copyNo`.
class DrawTimeValues {
public:
    DrawTimeValues(TfrxTextContext& texts, int totalPages, int copyNo, double printScale)
        : texts_(texts), totalPages_(texts.TotalPages), copyName_(texts.CopyName), printScale_(texts.PrintScale)
    {
        texts_.TotalPages = totalPages;
        if (!texts_.CopyName)
            texts_.CopyName = copyNameText(copyNo);
        texts_.PrintScale = printScale;
    }
    ~DrawTimeValues()
    {
        texts_.TotalPages = totalPages_;
        texts_.CopyName = copyName_;
        texts_.PrintScale = printScale_;
    }
    DrawTimeValues(const DrawTimeValues&) = delete;
    DrawTimeValues& operator=(const DrawTimeValues&) = delete;

private:
    TfrxTextContext& texts_;
    std::optional<int> totalPages_;
    std::optional<QString> copyName_;
    double printScale_;
};

// The paper's colour, background picture and frame inside the rectangle.
void drawPaper(const TfrxReportPage& page, QPainter& canvas, const QRectF& paper, double scale)
{
    canvas.save();
    drawBackground(canvas, page.Color, TBrushStyle::bsSolid, paper);
    if (!page.BackPicture.isEmpty()) {
        const QImage image = QImage::fromData(page.BackPicture);
        if (!image.isNull())
            canvas.drawImage(paper, image);
    }
    drawFrame(canvas, page.Frame(), paper, scale, scale);
    canvas.restore();
}

} // namespace

void TfrxPreviewPages::PaintPage(int index, QPainter& canvas, double scaleX, double scaleY, double offsetX,
                                 double offsetY, Output output)
{
    TfrxReportPage* page = GetPreparedPage(index);
    if (!page || !canvas.isActive())
        return;
    const int deviceType = canvas.device() ? canvas.device()->devType() : QInternal::Widget;
    const bool printer = deviceType == QInternal::Printer;
    const bool metafile = deviceType == QInternal::Picture;

    MirroredMargins mirrored(*page, page->MirrorMargins && index % 2 == 1);
    canvas.save();
    const QRectF paper(offsetX, offsetY, page->PaperWidth() * fr01cm * scaleX, page->PaperHeight() * fr01cm * scaleY);
    if (!printer)
        canvas.setClipRect(paper, Qt::IntersectClip);
    drawPaper(*page, canvas, paper, scaleX);

    // The part of the canvas that can show anything, in the painter's coordinates.
    QRectF visible;
    if (!metafile) {
        const QPaintDevice* device = canvas.device();
        visible = canvas.transform().inverted().mapRect(QRectF(0, 0, device->width(), device->height()));
        if (canvas.hasClipping())
            visible = visible.intersected(canvas.clipBoundingRect());
    }

    const double left = offsetX + page->LeftMargin * fr01cm * scaleX;
    const double top = offsetY + page->TopMargin * fr01cm * scaleY;
    // Text objects fill "[TotalPages#]" with the number of prepared pages (or the count a print
    // job hands over) and "[CopyName#]" with the copy's name, and enlarge printer fonts by the
    // job's scale, for this page only.
    TfrxTextContext& texts = Report().TextContext();
    const DrawTimeValues drawTime(texts, PrintTotalPages > 0 ? PrintTotalPages : PageCount(), PrintCopyNo, PrintScale);
    const PaintTarget target{canvas, scaleX, scaleY, left, top, texts};
    for (TfrxComponent* object : page->AllObjects()) {
        auto* view = dynamic_cast<TfrxView*>(object);
        if (!view || ((printer || output == Output::Paper) && !view->Printable))
            continue;
        if (!metafile) {
            const QRectF r(left + view->AbsLeft() * scaleX, top + view->AbsTop() * scaleY, view->Width() * scaleX,
                           view->Height() * scaleY);
            const QRectF widened = r.adjusted(-kVisibilityMargin, -kVisibilityMargin, kVisibilityMargin,
                                              kVisibilityMargin);
            if (!widened.intersects(visible))
                continue;
        }
        paintItem(*view, target);
    }
    canvas.restore();
}

} // namespace report
