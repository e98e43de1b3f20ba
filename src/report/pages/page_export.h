#pragma once

// Writing prepared pages to files: PDF documents and PNG pictures, each an export filter
// found in one list (the preview's export button lists them) or by a file name.

#include <QList>
#include <QString>
#include <functional>

namespace report {

class TfrxPreviewPages;

struct TfrxExportSettings {
    // Page indexes (0-based) in the order they are written; empty: every page.
    QList<int> Pages;
    // Resolution of pictures, dots per inch.
    int Dpi = 96;
    // Told after each page with the pages written so far and the total; returning false
    // stops the export and nothing is written.
    std::function<bool(int done, int total)> OnProgress;
};

class TfrxPageExport {
public:
    virtual ~TfrxPageExport() = default;
    // Short name, also the file extension: "pdf", "png".
    virtual QString Name() const = 0;
    // A file-dialog filter, e.g. "PDF (*.pdf)".
    virtual QString FileFilter() const = 0;
    // Writes the pages to fileName through temporary files renamed into place, so a
    // failed or stopped export leaves earlier files of those names as they were. Returns
    // false when OnProgress stopped it; throws platform::Error when a file cannot be
    // written or a page index is out of range.
    virtual bool Export(TfrxPreviewPages& pages, const QString& fileName,
                        const TfrxExportSettings& settings) const = 0;
};

// Every export filter, in the order an export menu shows them.
const QList<const TfrxPageExport*>& exportFilters();
// The filter whose name is the file's extension (ignoring case), or null.
const TfrxPageExport* exportFilterFor(const QString& fileName);

// The PDF filter: one PDF page per prepared page at the page's paper size and
// orientation, fonts embedded, text kept as text.
const TfrxPageExport& pdfExport();
// The picture filter: one PNG file per page at the settings' resolution. "%d" in the file
// name stands for the page number (1-based); without it a single page takes the name and
// several pages are numbered beside it ("sheet.png": "sheet-1.png", "sheet-2.png", ...).
const TfrxPageExport& pngExport();

namespace detail {
// The pages an export writes: the settings' list checked against the store, or all.
QList<int> exportedPages(TfrxPreviewPages& pages, const TfrxExportSettings& settings);
} // namespace detail

} // namespace report
