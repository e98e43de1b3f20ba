#include "preview/printing/frx_printers.h"

#include "report/frx_resources.h"
#include "report/model/frx_paper.h"
#include "report/model/frx_pages.h"

#include <QGuiApplication>
#include <QPrinterInfo>

#include <cmath>

namespace preview {

using report::TPrinterOrientation;

TfrxCustomPrinter::TfrxCustomPrinter(const QString& name, const QString& port) : Name(name), Port(port)
{
    resetLists();
}

TfrxCustomPrinter::~TfrxCustomPrinter() = default;

void TfrxCustomPrinter::resetLists()
{
    Papers = {PrinterPaper{frxGet(QStringLiteral("prCustom")), report::customPaperSize, 0, 0}};
    Bins = {PrinterBin{frxGet(QStringLiteral("prDefault")), kDefaultBin}};
}

int TfrxCustomPrinter::PaperNameToNumber(const QString& name) const
{
    for (const PrinterPaper& paper : Papers)
        if (paper.name == name)
            return paper.number;
    return -1;
}

QString TfrxCustomPrinter::PaperNumberToName(int number) const
{
    const int index = PaperIndex(number);
    return index < 0 ? QString() : Papers[index].name;
}

int TfrxCustomPrinter::PaperIndex(int number) const
{
    for (int i = 0; i < Papers.size(); ++i)
        if (Papers[i].number == number)
            return i;
    return -1;
}

QList<PrinterPaper> standardPapers()
{
    QList<PrinterPaper> papers;
    for (int i = 0; i < report::paperCount(); ++i) {
        const report::PaperInfo& info = report::paperAt(i);
        // The names the system gives these sizes where it knows them, else the size itself.
        const QPageSize size = QPageSize(QPageSize::id(info.code));
        QString name = size.isValid() && size.windowsId() == info.code
                           ? size.name()
                           : QStringLiteral("%1 x %2 mm").arg(info.widthMm).arg(info.heightMm);
        papers.append(PrinterPaper{name, info.code, info.widthMm, info.heightMm});
    }
    return papers;
}

// The virtual printer --------------------------------------------------------------------

TfrxVirtualPrinter::TfrxVirtualPrinter() : TfrxCustomPrinter(frxGet(QStringLiteral("prVirtual")), QString()) {}

void TfrxVirtualPrinter::Init()
{
    if (Initialized)
        return;
    resetLists();
    Papers += standardPapers();
    DPIx = DPIy = 600;
    DefPaper = PaperSize = 9;
    DefPaperWidth = PaperWidth = 210;
    DefPaperHeight = PaperHeight = 297;
    DefOrientation = Orientation = TPrinterOrientation::poPortrait;
    LeftMargin = TopMargin = RightMargin = BottomMargin = 0;
    Bin = -1;
    Initialized = true;
}

void TfrxVirtualPrinter::BeginDoc()
{
    Printing = true;
}

void TfrxVirtualPrinter::SetViewParams(int paperSize, double paperWidth, double paperHeight,
                                       TPrinterOrientation orientation)
{
    PaperSize = paperSize;
    Orientation = orientation;
    if (const report::PaperInfo* info = report::findPaper(paperSize)) {
        PaperWidth = info->widthMm;
        PaperHeight = info->heightMm;
        if (orientation == TPrinterOrientation::poLandscape)
            std::swap(PaperWidth, PaperHeight);
    } else {
        PaperWidth = paperWidth;
        PaperHeight = paperHeight;
    }
}

void TfrxVirtualPrinter::SetPrintParams(int paperSize, double paperWidth, double paperHeight,
                                        TPrinterOrientation orientation, int, int, int)
{
    SetViewParams(paperSize, paperWidth, paperHeight, orientation);
}

// The list -------------------------------------------------------------------------------

TfrxPrinters::TfrxPrinters()
{
    // Print support needs the GUI application; a program without one has the virtual
    // printer only.
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        fromSystem_ = true;
        const QString defaultName = QPrinterInfo::defaultPrinterName();
        for (const QPrinterInfo& info : QPrinterInfo::availablePrinters()) {
            systemNames_ << info.printerName();
            if (info.printerName().compare(defaultName, Qt::CaseInsensitive) == 0)
                default_ = int(printers_.size());
            printers_.push_back(std::make_unique<TfrxPrinter>(info.printerName(), info.location()));
        }
    }
    addVirtualWhenEmpty();
    index_ = default_;
}

TfrxPrinters::TfrxPrinters(std::vector<std::unique_ptr<TfrxCustomPrinter>> printers, int defaultIndex)
    : printers_(std::move(printers)), default_(defaultIndex)
{
    if (default_ < 0 || default_ >= int(printers_.size()))
        default_ = 0;
    addVirtualWhenEmpty();
    index_ = default_;
}

TfrxPrinters::~TfrxPrinters() = default;

void TfrxPrinters::addVirtualWhenEmpty()
{
    if (!printers_.empty())
        return;
    printers_.push_back(std::make_unique<TfrxVirtualPrinter>());
    physical_ = false;
    default_ = 0;
}

QStringList TfrxPrinters::Printers() const
{
    QStringList names;
    for (const auto& printer : printers_)
        names.append(printer->Name);
    return names;
}

void TfrxPrinters::SetPrinterIndex(int index)
{
    if (index < 0 || index >= Count())
        return;
    index_ = index;
    Items(index).Init();
}

TfrxCustomPrinter& TfrxPrinters::Printer()
{
    TfrxCustomPrinter& printer = Items(index_);
    printer.Init();
    return printer;
}

int TfrxPrinters::IndexOf(const QString& name) const
{
    for (int i = 0; i < Count(); ++i)
        if (Items(i).Name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

void TfrxPrinters::SelectByName(const QString& name)
{
    const int index = IndexOf(name);
    if (index >= 0)
        SetPrinterIndex(index);
}

namespace {

std::unique_ptr<TfrxPrinters>& programPrinters()
{
    static std::unique_ptr<TfrxPrinters> printers;
    return printers;
}

report::TfrxReportPage::DefaultPaper defaultPrinterPaper()
{
    report::TfrxReportPage::DefaultPaper paper{9, 210, 297, TPrinterOrientation::poPortrait};
    // Before the GUI application exists the printers cannot be listed yet; the list is not
    // made (and kept) without them.
    if (!programPrinters() && !qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return paper;
    try {
        TfrxPrinters& printers = frxPrinters();
        TfrxCustomPrinter& printer = printers.Items(printers.DefaultIndex());
        printer.Init();
        paper = {printer.DefPaper, printer.DefPaperWidth, printer.DefPaperHeight, printer.DefOrientation};
    } catch (const std::exception&) {
        // A printer that cannot be read leaves the page on A4 portrait.
    }
    return paper;
}

} // namespace

TfrxPrinters& frxPrinters()
{
    std::unique_ptr<TfrxPrinters>& printers = programPrinters();
    if (!printers)
        printers = std::make_unique<TfrxPrinters>();
    return *printers;
}

void setFrxPrinters(std::unique_ptr<TfrxPrinters> printers)
{
    programPrinters() = std::move(printers);
}

void refreshFrxPrinters()
{
    std::unique_ptr<TfrxPrinters>& printers = programPrinters();
    if (!printers || !printers->FromSystem())
        return;
    QStringList now;
    for (const QPrinterInfo& info : QPrinterInfo::availablePrinters())
        now << info.printerName();
    if (now == printers->SystemNames())
        return;
    const QString current = printers->Items(printers->PrinterIndex()).Name;
    auto fresh = std::make_unique<TfrxPrinters>();
    if (const int index = fresh->IndexOf(current); index >= 0 && index != fresh->PrinterIndex())
        fresh->SetPrinterIndex(index);
    printers = std::move(fresh);
}

void installDefaultPaperProvider()
{
    report::TfrxReportPage::setDefaultPaperProvider(&defaultPrinterPaper);
}

} // namespace preview
