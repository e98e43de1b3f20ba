// "导出PDF..." and "导出图片...": the open quotation for the customer, as a PDF or as one PNG
// picture per page at a resolution that reads well on a phone, named after its number and
// customer; the folder is shown in the file manager afterwards when the desktop offers one.
#include "app/main_window.h"
#include "app/quotation_printout.h"
#include "db/connection.h"
#include "db/quotation_records.h"
#include "platform/widgets/dialogs.h"
#include "platform/widgets/shell_open.h"
#include "report/pages/page_export.h"
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

namespace app {

namespace {

// About 150 dpi: an A4 page is 1240 pixels wide, sharp on a phone and small to send.
constexpr int kPictureDpi = 150;

// "20261209-01 张三": the number, then the customer when there is one, without the signs a
// file name cannot hold.
QString defaultFileName(const QString& number, const QString& customer)
{
    QString name = customer.isEmpty() ? number : number + QLatin1Char(' ') + customer;
    static const QRegularExpression unsafe(QStringLiteral("[\\\\/:*?\"<>|\\x00-\\x1f]"));
    name.replace(unsafe, QStringLiteral("_"));
    name = name.trimmed();
    return name.isEmpty() ? QStringLiteral("装机单") : name;
}

QString exportFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

} // namespace

void TFrm_main::exportPdfClick()
{
    platform::reported(this, [this] {
        exportQuotation(report::pdfExport(), QStringLiteral("导出PDF"), QStringLiteral("PDF 文件 (*.pdf)"));
    });
}

void TFrm_main::exportPicturesClick()
{
    platform::reported(this, [this] {
        exportQuotation(report::pngExport(), QStringLiteral("导出图片"),
                        QStringLiteral("PNG 图片 (*.png)"));
    });
}

void TFrm_main::exportQuotation(const report::TfrxPageExport& filter, const QString& caption,
                                const QString& fileFilter)
{
    QuotationPrintout* printout = printoutOfOpenQuotation();
    if (!printout)
        return;
    const QString number = numbersShown().value(0, currentQuotation.number);
    const std::optional<db::QuotationRecord> record = db::findQuotation(*ADOConnection1, number);
    const QString suggested = QDir(exportFolder()).filePath(
        defaultFileName(number, record ? record->customer : QString()) + QLatin1Char('.') + filter.Name());
    QString file = platform::saveFileName(this, caption, suggested, fileFilter, filter.Name());
    if (file.isEmpty())
        return;
    if (QFileInfo(file).suffix().compare(filter.Name(), Qt::CaseInsensitive) != 0)
        file += QLatin1Char('.') + filter.Name();
    const int pages = printout->exportPages(filter, file, kPictureDpi);
    if (pages > 0)
        platform::showInFileManager(QFileInfo(file).absolutePath());
}

} // namespace app
