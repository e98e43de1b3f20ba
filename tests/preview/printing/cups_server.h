#pragma once

// The CUPS server of the printing tests: the one scripts/test started (QMX_CUPS_TEST_DIR
// names its folder), or a private one this test process starts and stops (it also stops
// when the process dies). Clients reach it through CUPS_SERVER, set before any printer
// is listed: the CUPS library keeps the server it first talked to for the whole process,
// which is why CTest's one process per test case matters here. cups-pdf writes each job as "<title>...-job_<n>.pdf" into its PDF folder.

#include <QString>
#include <QStringList>
#include <QSizeF>

namespace printtest {

class CupsServer {
public:
    // The server, started on first use; error() says why it is not there.
    static CupsServer& instance();

    bool ok() const { return error_.isEmpty(); }
    const QString& error() const { return error_; }
    QString socket() const { return dir_ + QStringLiteral("/cups.sock"); }
    QString pdfFolder() const { return dir_ + QStringLiteral("/pdf"); }
    const QString& queue() const { return queue_; }

    // The PDF of the job titled so (a title of letters and digits), once cups-pdf has
    // finished it; empty when none came within the bound (a minute).
    QString waitForPdf(const QString& title) const;
    // Whether a PDF of that title exists now.
    bool hasPdf(const QString& title) const;

    ~CupsServer();

private:
    CupsServer();
    QString dir_, queue_, error_;
    bool owned_ = false;
};

// A title no other test uses.
QString uniqueTitle(const QString& stem);

// What poppler reads from a PDF.
int pdfPageCount(const QString& pdf);
QSizeF pdfPageSize(const QString& pdf, int page); // points
QString pdfText(const QString& pdf, int page);    // one page (1-based), 0 = all
QStringList pdfPageTexts(const QString& pdf);

} // namespace printtest
