// Fuzz target: a prepared-report file (".fp3") loaded from arbitrary bytes, its pages
// rebuilt, measured and drawn, and the store saved and loaded again.
//
// Whatever the bytes, loading must end (a malformed file keeps what was read and says
// so), every page must rebuild and draw, and what is saved must load again with as many
// pages.
#include "report/model/frx_report.h"
#include "report/pages/preview_pages.h"

#include "fuzz_check.h"
#include "fuzz_gui_application.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>

#include <cstddef>
#include <cstdint>
#include <exception>

namespace {

using namespace report;

// Pages drawn per input: enough to reach every kind of element, few enough to keep each
// run short.
constexpr int kPagesDrawn = 6;

void load(TfrxPreviewPages& pages, const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    try {
        pages.LoadFromStream(buffer);
    } catch (const std::exception&) {
        // Malformed: what was read stays in the store.
    }
}

void drawPages(TfrxPreviewPages& pages)
{
    QImage image(80, 110, QImage::Format_RGB32);
    QPainter painter(&image);
    for (int i = 0; i < pages.PageCount() && i < kPagesDrawn; ++i) {
        FUZZ_CHECK(pages.GetPreparedPage(i) != nullptr);
        const QSize size = pages.GetPreparedPageSize(i);
        (void)size;
        pages.PaintPage(i, painter, 0.1, 0.1, 0, 0);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Drawing text needs fonts, and fonts need a GUI application object.
    ensureGuiApplication();

    TfrxReport report;
    TfrxPreviewPages pages(report);
    load(pages, QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    drawPages(pages);

    QByteArray saved;
    {
        QBuffer buffer(&saved);
        buffer.open(QIODevice::WriteOnly);
        pages.SaveToStream(buffer);
    }
    TfrxReport again;
    TfrxPreviewPages reloaded(again);
    QBuffer buffer;
    buffer.setData(saved);
    buffer.open(QIODevice::ReadOnly);
    try {
        reloaded.LoadFromStream(buffer);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "saved:\n%s\n", saved.constData());
        FUZZ_FAIL("a saved prepared report does not load");
    }
    FUZZ_CHECK(reloaded.PageCount() == pages.PageCount());
    drawPages(reloaded);
    return 0;
}
