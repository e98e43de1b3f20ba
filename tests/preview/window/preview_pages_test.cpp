// The page rectangles in rows with their binary searches, the page area drawn as the page
// alone is drawn, and the page settings applied to the shown page or to the whole report.
#include "preview_fixture.h"
#include "../printing/print_fixture.h"

#include "preview/window/page_list.h"
#include "preview/window/page_settings_apply.h"
#include "preview/window/page_settings_dialog.h"
#include "report/layout/draw_text.h"
#include "report/model/frx_pages.h"
#include "report/model/frx_views.h"
#include "report/text/text_context.h"

#include <QBuffer>
#include <QPainter>
#include <QTimer>
#include <QApplication>

using namespace previewtest;
using preview::TfrxPageList;

TEST(PageList, PagesFillRowsThatAreCentredAndAlwaysHoldOnePage)
{
    TfrxPageList list;
    list.setPages({{100, 200}, {100, 150}, {100, 200}, {300, 100}}, 1);
    list.layOut(250);
    // Row 1: pages 1 and 2 (w = 220); d = (250 - 220 + 10) / 2 = 20, shifted by 30.
    EXPECT_EQ(list.item(0).rect(), QRect(30, 10, 100, 200));
    EXPECT_EQ(list.item(1).rect(), QRect(140, 10, 100, 150));
    // Row 2 starts below the tallest page of row 1.
    EXPECT_EQ(list.item(2).rect(), QRect(85, 220, 100, 200));
    // A page wider than the room gets a row of its own, shifted by 10 only.
    EXPECT_EQ(list.item(3).rect(), QRect(10, 430, 300, 100));
    EXPECT_EQ(list.scrollSize(), QSize(320, 540));

    list.setPages({{794, 1123}, {794, 1123}}, 0.5);
    list.layOut(1000);
    EXPECT_EQ(list.item(0).width, 397);
    EXPECT_EQ(list.item(1).top, 10);
    list.clear();
    EXPECT_EQ(list.pageAt({5, 5}), -1);
    EXPECT_EQ(list.pageAtTop(100), 0);
}

TEST(PageList, BinarySearchesFindTheTopPageAndThePageUnderTheMouse)
{
    TfrxPageList list;
    list.setPages(std::vector<QSize>(1000, QSize(100, 100)), 1);
    list.layOut(150); // one page a row, each 110 pixels further down
    EXPECT_EQ(list.item(500).top, 10 + 500 * 110);
    // Current: the last page whose top is at most a fifth of its height below the view's top.
    EXPECT_EQ(list.pageAtTop(10 + 500 * 110 - 21), 499);
    EXPECT_EQ(list.pageAtTop(10 + 500 * 110 - 20), 500);
    EXPECT_EQ(list.pageAt({50, 10 + 700 * 110 + 50}), 700);
    // In the gap between two pages the binary search's page is taken.
    EXPECT_EQ(list.pageAt({50, 10 + 700 * 110 + 105}), 700);
    EXPECT_EQ(list.pageAt({50, 1000000}), 999);

    // Side by side: the mouse finds the page among the neighbours of the search's answer.
    list.layOut(1500); // thirteen to a row, as the smallest zoom gives on a wide screen
    EXPECT_EQ(list.item(14).top, 120);
    EXPECT_EQ(list.pageAt(list.item(14).rect().center()), 14);
    EXPECT_EQ(list.pageAt(list.item(25).rect().center()), 25);
}

TEST_F(PreviewTest, ThePageAreaShowsEachPageAsItIsDrawnAlone)
{
    prepare(20); // a two-page quotation
    openWindow({1100, 900});
    for (const double zoom : {1.0, 0.5}) {
        pv().setZoom(zoom);
        pv().setPageNo(2);
        const QImage window = area().viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QRect onView = area().pageList().item(1).rect().translated(-area().scrollPos());
        const QRect visible = onView.intersected(window.rect()).adjusted(1, 1, -1, -1);
        ASSERT_GT(visible.height(), 100);

        QImage alone(onView.size(), QImage::Format_RGB32);
        alone.fill(Qt::white);
        {
            QPainter painter(&alone);
            shell->PreviewPages().PaintPage(1, painter, zoom, zoom, 0, 0);
        }
        int differing = 0, inked = 0;
        for (int y = visible.top(); y <= visible.bottom(); ++y)
            for (int x = visible.left(); x <= visible.right(); ++x) {
                const QRgb a = window.pixel(x, y), b = alone.pixel(x - onView.left(), y - onView.top());
                differing += a != b ? 1 : 0;
                inked += qGray(b) < 128 ? 1 : 0;
            }
        EXPECT_GT(inked, 1000) << zoom; // the page really has text and rules on it
        EXPECT_EQ(differing, 0) << zoom;
    }
}

TEST_F(PreviewTest, PageSettingsForTheShownPageReplaceItInFull)
{
    prepare(40);
    openWindow();
    pv().setPageNo(2);
    const QSize before = shell->PreviewPages().GetPreparedPageSize(0);
    report::TfrxReportPage* page = shell->PreviewPages().GetPreparedPage(1);
    page->SetOrientation(report::TPrinterOrientation::poLandscape);
    form->applyPageSettings(int(preview::PageSettingsApply::CurrentPage), *page);
    EXPECT_EQ(shell->PreviewPages().GetPreparedPageSize(1), before.transposed());
    EXPECT_EQ(shell->PreviewPages().GetPreparedPageSize(0), before);
    EXPECT_EQ(area().pageList().item(1).width, before.height());
    EXPECT_EQ(pv().pageNo(), 2);
    EXPECT_FALSE(pv().locked());
    // Saved afterwards, the page is stored in full.
    QBuffer file;
    file.open(QIODevice::WriteOnly);
    shell->PreviewPages().SaveToStream(file);
    EXPECT_TRUE(file.data().contains("<previewpages><page0") && file.data().contains("</page0><TfrxReportPage"));

    // Cancelled: nothing happens.
    page = shell->PreviewPages().GetPreparedPage(0);
    form->applyPageSettings(int(preview::PageSettingsApply::Cancelled), *page);
    EXPECT_EQ(shell->PreviewPages().GetPreparedPageSize(0), before);
}

TEST_F(PreviewTest, FindAfterTheShownPageWasReplacedReadsItsNewTexts)
{
    prepare(40);
    openWindow();
    pv().setPageNo(2);
    report::TfrxReportPage* page = shell->PreviewPages().GetPreparedPage(1);
    report::TfrxCustomMemoView* memo = nullptr;
    for (report::TfrxComponent* object : page->AllObjects())
        if (auto* m = dynamic_cast<report::TfrxCustomMemoView*>(object); m && m->Text().startsWith(u'Q'))
            memo = m;
    ASSERT_TRUE(memo);
    const QString old = memo->Text();
    pv().find(old, false, true); // the page's texts are drawn and kept for the next find
    ASSERT_TRUE(pv().searchState().hit);
    ASSERT_EQ(pv().searchState().page, 1);

    memo->SetText(QStringLiteral("改过的文字"));
    form->applyPageSettings(int(preview::PageSettingsApply::CurrentPage), *page);
    pv().setPageNo(2);
    pv().find(QStringLiteral("改过的文字"), false, true);
    EXPECT_TRUE(pv().searchState().hit);
    EXPECT_EQ(pv().searchState().page, 1);
}

TEST_F(PreviewTest, ThePrintDialogOpensOverThePaintedPages)
{
    preview::setFrxPrinters(printtest::recordingPrinters());
    prepare(20);
    openWindow();
    bool seen = false, lockedWhileAsked = true;
    QTimer answer;
    answer.setInterval(20);
    QObject::connect(&answer, &QTimer::timeout, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog || seen)
            return;
        seen = true;
        lockedWhileAsked = pv().locked();
        dialog->close(); // Cancel: nothing is printed
    });
    answer.start();
    form->button(QStringLiteral("PrintB"))->trigger();
    EXPECT_TRUE(seen);
    EXPECT_FALSE(lockedWhileAsked);
    EXPECT_FALSE(pv().locked());
    preview::setFrxPrinters(nullptr);
}

TEST_F(PreviewTest, PageSettingsForAllPagesPrepareTheQuotationAgainOnTheNewPaper)
{
    prepare(40);
    openWindow();
    ASSERT_EQ(pv().pageCount(), 3);
    report::TfrxReportPage* page = shell->PreviewPages().GetPreparedPage(0);
    page->SetOrientation(report::TPrinterOrientation::poLandscape);
    page->LeftMargin = 15;
    form->applyPageSettings(int(preview::PageSettingsApply::AllPages), *page);
    const int pages = pv().pageCount();
    EXPECT_GT(pages, 3); // fewer lines fit a landscape page
    for (int i = 0; i < pages; ++i) {
        const QSize size = shell->PreviewPages().GetPreparedPageSize(i);
        EXPECT_GT(size.width(), size.height()) << i;
    }
    auto* templatePage = dynamic_cast<report::TfrxReportPage*>(report->Pages(1));
    ASSERT_NE(templatePage, nullptr);
    EXPECT_EQ(templatePage->Orientation(), report::TPrinterOrientation::poLandscape);
    EXPECT_DOUBLE_EQ(templatePage->LeftMargin, 15);
    EXPECT_EQ(area().pageList().count(), pages);
    EXPECT_EQ(form->statusText(0), preview::pageOfText(1, pages));
}

TEST_F(PreviewTest, APaintWhileTheTextLayoutIsInUseWaitsInsteadOfHanging)
{
    prepare(20);
    openWindow();
    report::TfrxDrawText& layout = report->TextContext().drawText();
    QImage busy;
    {
        // As when the engine lets events run while it measures a text.
        const report::TfrxDrawTextLock held(layout);
        busy = area().viewport()->grab().toImage();
    }
    const QImage later = area().viewport()->grab().toImage();
    const QPoint middle = area().pageList().item(0).rect().translated(-area().scrollPos()).center();
    EXPECT_EQ(busy.pixelColor(middle), QColor(0x80, 0x80, 0x80));
    EXPECT_NE(later, busy);
}
