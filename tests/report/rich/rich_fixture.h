#pragma once

// Shared helpers of the rich-text object tests: the quotation template's RTF values and
// drawing an object onto an image.

#include "report/model/frx_report.h"
#include "report/model/frx_views.h"
#include "report/render/item_render.h"
#include "report/storage/quotation_template.h"
#include "report/text/text_context.h"

#include <QImage>
#include <QPainter>
#include <cmath>

namespace rich_test {

// The RTF value of one of the quotation template's rich-text objects.
inline QByteArray templateRtf(const char* name)
{
    report::TfrxDBDataset lines;
    lines.SetName(QStringLiteral("frxDBDataset1"));
    report::TfrxReport report;
    report::loadQuotationTemplate(report);
    const auto* rich = dynamic_cast<report::TfrxRichView*>(report.FindObject(QString::fromLatin1(name)));
    return rich ? rich->RichText : QByteArray();
}

// Draws the object at its own place, scaled, onto a white image just its size.
inline QImage render(report::TfrxView& view, double scale)
{
    QImage image(int(std::ceil(view.Width() * scale)), int(std::ceil(view.Height() * scale)), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    report::paintItem(view, {p, scale, scale, -view.AbsLeft() * scale, -view.AbsTop() * scale,
                             report::TfrxTextContext::of(view)});
    p.end();
    return image;
}

inline bool isInk(QRgb c) { return qGray(c) < 160; }

inline QRect inkRect(const QImage& image)
{
    QRect r;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (isInk(image.pixel(x, y)))
                r |= QRect(x, y, 1, 1);
    return r;
}

inline int inkCount(const QImage& image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += isInk(image.pixel(x, y)) ? 1 : 0;
    return n;
}

} // namespace rich_test
