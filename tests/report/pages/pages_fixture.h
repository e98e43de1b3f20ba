#pragma once
// A small template (one page, a data band with a text, a line and a picture, a page
// footer) and a stand-in for the band engine that fills a store from it.
#include "report/pages/preview_pages.h"
#include "report/model/frx_bands.h"
#include "report/model/frx_pages.h"
#include "report/model/frx_report.h"
#include "report/model/frx_views.h"
#include "report/xml/xml_form.h"

#include <QBuffer>
#include <QImage>
#include <gtest/gtest.h>

namespace pages_test {

using namespace report;

inline QByteArray pngPicture(QColor color, int w = 8, int h = 6)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

struct Template {
    TfrxReport report;
    TfrxReportPage* page;
    TfrxMasterData* band;
    TfrxMemoView* memo;
    TfrxMemoView* memo2;
    TfrxLineView* line;
    TfrxPictureView* picture;
    TfrxPageFooter* footer;

    Template()
    {
        page = new TfrxReportPage(&report);
        page->SetName(QStringLiteral("Page1"));
        page->SetDefaults();
        band = new TfrxMasterData(page);
        band->SetName(QStringLiteral("MasterData1"));
        band->SetBounds(0, 100, 718, 20);
        memo = new TfrxMemoView(band);
        memo->SetName(QStringLiteral("Memo1"));
        memo->SetBounds(10, 0, 200, 18);
        memo->SetText(QStringLiteral("template text"));
        memo2 = new TfrxMemoView(band);
        memo2->SetName(QStringLiteral("Memo2"));
        memo2->SetBounds(300, 0, 100, 18);
        line = new TfrxLineView(band);
        line->SetName(QStringLiteral("Line1"));
        line->SetBounds(0, 19, 718, 0);
        picture = new TfrxPictureView(band);
        picture->SetName(QStringLiteral("Picture1"));
        picture->SetBounds(500, 0, 40, 18);
        footer = new TfrxPageFooter(page);
        footer->SetName(QStringLiteral("PageFooter1"));
        footer->SetBounds(0, 1000, 718, 20);
    }
};

// Plays the band engine's part: registers the page and appends bands.
struct Engine {
    Template& t;
    TfrxPreviewPages& pages;

    Engine(Template& tpl, TfrxPreviewPages& store) : t(tpl), pages(store)
    {
        pages.Clear();
        pages.Engine().Running = true;
        pages.BeginPreparation();
        pages.RegisterSourcePage(*t.page);
    }
    void newPage() { pages.StartPage(*t.page); }
    // One data row at the given top with the given text.
    void row(double top, const QString& text)
    {
        t.band->SetTop(top);
        t.memo->SetText(text);
        pages.AppendObject(*t.band);
    }
    void finish()
    {
        pages.EndPreparation();
        pages.Engine().Running = false;
    }
};

// The element of the n-th object of a page.
inline TfrxXMLItem* pageElement(TfrxPreviewPages& pages, int page)
{
    TfrxXMLItem* list = pages.Root()->childByName("previewpages");
    return page < list->count() ? list->item(page) : nullptr;
}

} // namespace pages_test
