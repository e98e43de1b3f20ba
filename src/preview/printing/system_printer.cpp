// A system printer: a CUPS queue through Qt's print support. Papers and unprintable
// margins come from the queue's PPD/IPP attributes as Qt reads them; a job is a QPrinter
// document that the queue receives when it ends, or a file written through a temporary
// name when printing to file.

#include "preview/printing/frx_printers.h"

#include "platform/error.h"
#include "platform/atomic_file.h"
#include "platform/file_failure.h"
#include "report/model/frx_paper.h"

#include <QFileInfo>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>

#include <cmath>
#include <set>

namespace preview {

using report::TPrinterOrientation;

namespace {

// Papers without a number of their own are numbered from here, above the custom size.
constexpr int kFirstOwnPaperNumber = 1000;
// Qt reports 1200 dpi for high-resolution printers; 600 keeps jobs smaller and is what
// the report's printer drawing is laid out against.
constexpr int kResolution = 600;

QPageLayout::Orientation qtOrientation(TPrinterOrientation orientation)
{
    return orientation == TPrinterOrientation::poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait;
}

} // namespace

struct TfrxPrinter::State {
    std::unique_ptr<QPrinter> printer;
    QPainter painter;
    bool pageOpen = false;
    int pagesBegun = 0;
    std::unique_ptr<platform::AtomicFile> toFile; // printing to a file: the document is written here first
    QByteArray raw;
    bool rawOpen = false;
};

TfrxPrinter::TfrxPrinter(const QString& name, const QString& port)
    : TfrxCustomPrinter(name, port), d_(std::make_unique<State>())
{
}

TfrxPrinter::~TfrxPrinter()
{
    if (Printing)
        Abort();
}

void TfrxPrinter::Init()
{
    if (Initialized)
        return;
    const QPrinterInfo info = QPrinterInfo::printerInfo(Name);
    if (info.isNull())
        throw platform::Error(QStringLiteral("打印机“%1”不可用").arg(Name));
    d_->printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    d_->printer->setResolution(kResolution);
    resetLists();
    std::set<int> numbers{report::customPaperSize};
    int own = kFirstOwnPaperNumber;
    for (const QPageSize& size : info.supportedPageSizes()) {
        int number = size.windowsId();
        if (number <= 0 || numbers.count(number))
            number = own++;
        numbers.insert(number);
        const QSizeF mm = size.size(QPageSize::Millimeter);
        Papers.append(PrinterPaper{size.name().left(64), number, mm.width(), mm.height()});
    }
    const QPageSize defaultSize = info.defaultPageSize();
    QPageLayout layout = d_->printer->pageLayout();
    if (defaultSize.isValid())
        layout.setPageSize(defaultSize);
    layout.setOrientation(QPageLayout::Portrait);
    d_->printer->setPageLayout(layout);
    readCapabilities();
    DefPaper = PaperSize;
    DefPaperWidth = PaperWidth;
    DefPaperHeight = PaperHeight;
    DefOrientation = Orientation;
    Bin = -1;
    Initialized = true;
}

// Resolution, paper, orientation and margins from the device. The margins are the
// unprintable margins rounded up to whole millimetres and made the device's margins, so the
// drawing origin lies exactly where the margins say.
void TfrxPrinter::readCapabilities()
{
    QPrinter& printer = *d_->printer;
    DPIx = printer.logicalDpiX();
    DPIy = printer.logicalDpiY();
    if (DPIx <= 0 || DPIy <= 0)
        throw platform::Error(QStringLiteral("所选的打印机无效"));
    QPageLayout layout = printer.pageLayout();
    const QMarginsF minimum = layout.minimumMargins(); // points
    const auto mm = [](double points) { return std::ceil(points * 25.4 / 72.0 - 1e-6); };
    const QMarginsF margins(mm(minimum.left()), mm(minimum.top()), mm(minimum.right()), mm(minimum.bottom()));
    layout.setUnits(QPageLayout::Millimeter);
    layout.setMode(QPageLayout::StandardMode);
    layout.setMargins(margins);
    printer.setPageLayout(layout);
    const QRectF full = printer.pageLayout().fullRect(QPageLayout::Millimeter);
    PaperWidth = std::round(full.width());
    PaperHeight = std::round(full.height());
    LeftMargin = margins.left();
    TopMargin = margins.top();
    RightMargin = margins.right();
    BottomMargin = margins.bottom();
    Orientation = printer.pageLayout().orientation() == QPageLayout::Landscape ? TPrinterOrientation::poLandscape
                                                                             : TPrinterOrientation::poPortrait;
    const int windowsId = printer.pageLayout().pageSize().windowsId();
    PaperSize = PaperIndex(windowsId) > 0 ? windowsId : report::customPaperSize;
    if (PaperSize == report::customPaperSize) {
        const QSizeF size = printer.pageLayout().pageSize().size(QPageSize::Millimeter);
        for (const PrinterPaper& paper : Papers)
            if (paper.number != report::customPaperSize && std::abs(paper.widthMm - size.width()) < 0.5
                && std::abs(paper.heightMm - size.height()) < 0.5)
                PaperSize = paper.number;
    }
}

void TfrxPrinter::SetViewParams(int paperSize, double paperWidth, double paperHeight,
                                TPrinterOrientation orientation)
{
    Init();
    QPageLayout layout = d_->printer->pageLayout();
    if (paperSize == report::customPaperSize) {
        SetViewParams(9, 0, 0, orientation);
        PaperSize = report::customPaperSize;
        PaperWidth = paperWidth;
        PaperHeight = paperHeight;
        return;
    }
    const int index = PaperIndex(paperSize);
    if (index > 0)
        layout.setPageSize(QPageSize(QSizeF(Papers[index].widthMm, Papers[index].heightMm), QPageSize::Millimeter,
                                     Papers[index].name, QPageSize::FuzzyMatch));
    else if (const report::PaperInfo* info = report::findPaper(paperSize))
        layout.setPageSize(QPageSize(QSizeF(info->widthMm, info->heightMm), QPageSize::Millimeter));
    layout.setOrientation(qtOrientation(orientation));
    d_->printer->setPageLayout(layout);
    readCapabilities();
}

void TfrxPrinter::SetPrintParams(int paperSize, double paperWidth, double paperHeight,
                                 TPrinterOrientation orientation, int copies, int bin, int duplex)
{
    Init();
    QPrinter& printer = *d_->printer;
    if (paperSize == report::customPaperSize && paperWidth > 0 && paperHeight > 0) {
        // The page's sides as it lies; the size itself is kept upright and turned by the
        // orientation.
        QSizeF upright(std::round(paperWidth * 10) / 10, std::round(paperHeight * 10) / 10);
        if (orientation == TPrinterOrientation::poLandscape)
            upright.transpose();
        QPageLayout layout = printer.pageLayout();
        layout.setPageSize(QPageSize(upright, QPageSize::Millimeter, QString(), QPageSize::ExactMatch));
        layout.setOrientation(qtOrientation(orientation));
        printer.setPageLayout(layout);
        readCapabilities();
        PaperSize = report::customPaperSize;
    } else {
        SetViewParams(paperSize, paperWidth, paperHeight, orientation);
    }
    printer.setCopyCount(std::max(1, copies));
    // Qt offers no paper source choice; the source stays the queue's automatic one.
    (void)bin;
    if (duplex == 2)
        printer.setDuplex(QPrinter::DuplexLongSide);
    else if (duplex == 3)
        printer.setDuplex(QPrinter::DuplexShortSide);
    else if (duplex == 4)
        printer.setDuplex(QPrinter::DuplexNone);
}

bool TfrxPrinter::IsAvailable() const
{
    return !QPrinterInfo::printerInfo(Name).isNull();
}

void TfrxPrinter::BeginDoc()
{
    Init();
    if (!IsAvailable())
        throw platform::Error(QStringLiteral("打印机“%1”不可用").arg(Name));
    QPrinter& printer = *d_->printer;
    printer.setDocName(Title);
    d_->toFile.reset();
    if (!FileName.isEmpty()) {
        // The printer writes the temporary by its name; it is put in place at the end.
        d_->toFile = std::make_unique<platform::AtomicFile>(FileName);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(d_->toFile->temporaryPath());
    } else {
        printer.setOutputFileName(QString());
        printer.setOutputFormat(QPrinter::NativeFormat);
    }
    d_->pagesBegun = 0;
    d_->pageOpen = false;
    Printing = true;
}

void TfrxPrinter::BeginPage()
{
    if (!Printing)
        return;
    if (d_->pagesBegun == 0) {
        if (!d_->painter.begin(d_->printer.get())) {
            Abort();
            throw platform::Error(QStringLiteral("无法在打印机“%1”上开始打印").arg(Name));
        }
    } else if (!d_->printer->newPage()) {
        Abort();
        throw platform::Error(QStringLiteral("打印机“%1”打印时出错").arg(Name));
    }
    ++d_->pagesBegun;
    d_->pageOpen = true;
    d_->painter.save();
}

void TfrxPrinter::EndPage()
{
    if (!d_->pageOpen)
        return;
    d_->painter.restore();
    d_->pageOpen = false;
}

QPainter* TfrxPrinter::Canvas()
{
    return d_->pageOpen ? &d_->painter : nullptr;
}

void TfrxPrinter::EndDoc()
{
    if (!Printing)
        return;
    EndPage();
    // A queue that went away mid-job gets nothing rather than a job it cannot take.
    if (!d_->toFile && !IsAvailable()) {
        Abort();
        throw platform::Error(QStringLiteral("打印机“%1”已不可用，没有打印任何内容").arg(Name));
    }
    const bool ended = !d_->painter.isActive() || d_->painter.end();
    Printing = false;
    Bin = -1;
    const std::unique_ptr<platform::AtomicFile> toFile = std::move(d_->toFile);
    d_->printer->setOutputFileName(QString());
    if (!toFile)
        return; // failures of the spooler when ending a document are not reported
    if (!ended)
        platform::throwWriteFailure(FileName, QStringLiteral("打印机没有写完文档"));
    toFile->commit();
}

void TfrxPrinter::Abort()
{
    if (Printing && d_->painter.isActive()) {
        d_->printer->abort();
        d_->painter.end();
    }
    d_->pageOpen = false;
    Printing = false;
    Bin = -1;
    d_->toFile.reset(); // removes what was written
    if (d_->printer)
        d_->printer->setOutputFileName(QString());
}

void TfrxPrinter::BeginRAWDoc()
{
    d_->raw.clear();
    d_->rawOpen = true;
    Printing = true;
}

void TfrxPrinter::WriteRAWDoc(const QByteArray& data)
{
    if (d_->rawOpen)
        d_->raw += data;
}

// Raw data goes to the queue unfiltered, through the spooler's own client.
void TfrxPrinter::EndRAWDoc()
{
    if (!d_->rawOpen)
        return;
    d_->rawOpen = false;
    Printing = false;
    QProcess lp;
    QStringList args{QStringLiteral("-d"), Name, QStringLiteral("-o"), QStringLiteral("raw")};
    if (!Title.isEmpty())
        args << QStringLiteral("-t") << Title;
    lp.start(QStringLiteral("lp"), args);
    if (!lp.waitForStarted())
        throw platform::Error(QStringLiteral("无法运行打印命令 lp：%1").arg(lp.errorString()));
    lp.write(std::exchange(d_->raw, QByteArray()));
    lp.closeWriteChannel();
    if (!lp.waitForFinished(60000) || lp.exitCode() != 0)
        throw platform::Error(QStringLiteral("打印机“%1”拒绝了打印任务：%2")
                                  .arg(Name, QString::fromLocal8Bit(lp.readAllStandardError()).trimmed()));
}

bool TfrxPrinter::PropertiesDlg(QWidget* parent)
{
    Init();
    QPageSetupDialog dialog(d_->printer.get(), parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    readCapabilities();
    return true;
}

} // namespace preview
