// The PDF export filter: every page drawn by PaintPage on Qt's PDF writer, which embeds
// the fonts it draws with and keeps text as text.

#include "report/pages/detail/export_paper.h"
#include "report/pages/detail/pdf_text_map.h"
#include "report/pages/preview_pages.h"
#include "report/model/frx_pages.h"
#include "report/model/frx_types.h"
#include "platform/error.h"
#include "platform/file_failure.h"
#include "platform/file_operations.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

namespace report {

namespace {

// Fine enough that lines and text positions lose nothing to rounding.
constexpr int kPdfDpi = 1200;
constexpr double kScreenDpi = 96; // prepared pages are laid out in pixels of 1/96 inch

QPageLayout layoutOf(const TfrxReportPage& page)
{
    const QSizeF paper = detail::paperMillimetres(page);
    const bool landscape = paper.width() > paper.height();
    const QSizeF portrait = landscape ? paper.transposed() : paper;
    return QPageLayout(QPageSize(portrait, QPageSize::Millimeter), landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

// False when the progress callback stopped it.
bool writeDocument(TfrxPreviewPages& pages, QIODevice& out, const QList<int>& list,
                   const TfrxExportSettings& settings)
{
    QPdfWriter writer(&out);
    writer.setResolution(kPdfDpi);
    writer.setCreator(QStringLiteral("qmxdiy"));
    QPainter painter;
    const double scale = kPdfDpi / kScreenDpi;
    int done = 0;
    try {
        for (const int index : list) {
            const TfrxReportPage* page = pages.GetPreparedPage(index);
            // A page that cannot be rebuilt still takes its place, blank on A4.
            writer.setPageLayout(page ? layoutOf(*page) : QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, {}));
            if (done == 0) {
                if (!painter.begin(&writer))
                    throw platform::Error(QStringLiteral("无法开始写PDF文件"));
            } else if (!writer.newPage()) {
                throw platform::Error(QStringLiteral("无法向PDF文件添加新页"));
            }
            pages.PaintPage(index, painter, scale, scale, 0, 0, TfrxPreviewPages::Output::Paper);
            if (!detail::reportProgress(settings, ++done, int(list.size()))) {
                painter.end();
                return false;
            }
        }
    } catch (...) {
        if (painter.isActive())
            painter.end();
        throw;
    }
    painter.end();
    return true;
}

class PdfExport final : public TfrxPageExport {
public:
    QString Name() const override { return QStringLiteral("pdf"); }
    QString FileFilter() const override { return QStringLiteral("PDF (*.pdf)"); }

    bool Export(TfrxPreviewPages& pages, const QString& fileName, const TfrxExportSettings& settings) const override
    {
        const QList<int> list = detail::exportedPages(pages, settings);
        if (list.isEmpty())
            platform::throwWriteFailure(fileName, QStringLiteral("报表没有页"));
        // Made in memory, where its text maps are mended, then written in one piece.
        QByteArray document;
        {
            QBuffer buffer(&document);
            buffer.open(QIODevice::WriteOnly);
            if (!writeDocument(pages, buffer, list, settings))
                return false;
        }
        detail::mendPdfTextMaps(document);
        platform::writeFileAtomically(fileName, document);
        return true;
    }
};

} // namespace

const TfrxPageExport& pdfExport()
{
    static const PdfExport filter;
    return filter;
}

} // namespace report
