#pragma once

// Shared helpers of the text object tests: a report with a page and a band to put text
// objects on, and drawing one onto an image.

#include "layout_fixture.h"
#include "report/model/frx_bands.h"
#include "report/model/frx_pages.h"
#include "report/model/frx_report.h"
#include "report/model/frx_views.h"
#include "report/render/item_render.h"
#include "report/text/text_context.h"

namespace memo_test {

struct Band {
    report::TfrxReport report;
    report::TfrxReportPage* page = new report::TfrxReportPage(&report);
    report::TfrxMasterData* band = new report::TfrxMasterData(page);
    Band() { band->SetBounds(0, 0, 700, 200); }

    // A text object at the band's top-left corner.
    report::TfrxMemoView* memo(const QString& text, double width = 200, double height = 40)
    {
        auto* m = new report::TfrxMemoView(band);
        m->SetBounds(0, 0, width, height);
        m->SetText(text);
        return m;
    }
};

inline void setPoints(report::TfrxComponent& object, const QString& family, int points)
{
    report::TfrxFont font = object.Font();
    font.SetName(family);
    font.SetSize(points);
    object.SetFont(font);
}

// Draws the object at scale 1 onto a white image of the given size.
inline QImage render(report::TfrxView& view, QSize size, double scale = 1)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    report::paintItem(view, {p, scale, scale, 0, 0, report::TfrxTextContext::of(view)});
    p.end();
    return image;
}

inline auto exactly(QRgb rgb)
{
    return [rgb](QRgb c) { return (c & 0xFFFFFF) == (rgb & 0xFFFFFF); };
}

} // namespace memo_test
