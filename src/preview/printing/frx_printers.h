#pragma once

// The printer layer: the printers of the system (CUPS queues, through Qt's print support)
// with a current printer, each with its papers, paper sources, resolution, current paper
// and unprintable margins; the job calls the print job makes; and a virtual printer with
// the standard papers when the system has no printer at all.

#include "report/model/frx_types.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <memory>

class QPainter;
class QWidget;

namespace preview {

struct PrinterPaper {
    QString name;
    int number = 0;
    double widthMm = 0, heightMm = 0; // portrait
};

struct PrinterBin {
    QString name;
    int number = 0;
};

// Automatic paper source selection, the first entry of every bin list.
inline constexpr int kDefaultBin = 7;

class TfrxCustomPrinter {
public:
    TfrxCustomPrinter(const QString& name, const QString& port);
    virtual ~TfrxCustomPrinter();
    TfrxCustomPrinter(const TfrxCustomPrinter&) = delete;
    TfrxCustomPrinter& operator=(const TfrxCustomPrinter&) = delete;

    // Once per printer: resolution, default and current paper, papers, bins, margins.
    virtual void Init() = 0;
    // Throws the job away; the document is ended.
    virtual void Abort() = 0;
    // Throws platform::Error when the job cannot be started (the printer is gone, the
    // output file cannot be made).
    virtual void BeginDoc() = 0;
    virtual void BeginPage() = 0;
    virtual void BeginRAWDoc() = 0;
    // Ends the job. Throws platform::Error when the job could not be handed over whole;
    // the printer is then no longer printing either way.
    virtual void EndDoc() = 0;
    virtual void EndPage() = 0;
    virtual void EndRAWDoc() = 0;
    virtual void WriteRAWDoc(const QByteArray& data) = 0;
    // Paper 256 takes width and height as given (millimetres); other papers their own size
    // turned to the orientation.
    virtual void SetViewParams(int paperSize, double paperWidth, double paperHeight,
                               report::TPrinterOrientation orientation) = 0;
    // duplex: 1 the printer's own, 2 vertical, 3 horizontal, 4 simplex.
    virtual void SetPrintParams(int paperSize, double paperWidth, double paperHeight,
                                report::TPrinterOrientation orientation, int copies, int bin,
                                int duplex) = 0;
    // The printer's own settings dialog; true on OK.
    virtual bool PropertiesDlg(QWidget* parent) = 0;
    // Draws on the page begun last; null when not printing.
    virtual QPainter* Canvas() = 0;
    // Whether the printer is still there to print on (a queue can be removed mid-job).
    virtual bool IsAvailable() const { return true; }

    // The paper number of a name (-1 when unknown), the name of a number (empty when
    // unknown), and the index of a number in Papers (-1).
    int PaperNameToNumber(const QString& name) const;
    QString PaperNumberToName(int number) const;
    int PaperIndex(int number) const;

    QString Name, Port;
    QList<PrinterPaper> Papers; // "自定" (256) first
    QList<PrinterBin> Bins;     // "预设" (7) first
    int DPIx = 0, DPIy = 0;
    int PaperSize = 0;
    double PaperWidth = 0, PaperHeight = 0; // as oriented
    report::TPrinterOrientation Orientation = report::TPrinterOrientation::poPortrait;
    int DefPaper = 0;
    double DefPaperWidth = 0, DefPaperHeight = 0;
    report::TPrinterOrientation DefOrientation = report::TPrinterOrientation::poPortrait;
    double LeftMargin = 0, TopMargin = 0, RightMargin = 0, BottomMargin = 0;
    int Bin = -1; // chosen in the properties dialog
    QString Title, FileName;
    bool Initialized = false, Printing = false;

protected:
    // Starts the lists with "自定" 256 and "预设" 7.
    void resetLists();
};

// The standard paper table as the virtual printer's papers (after "自定").
QList<PrinterPaper> standardPapers();

// A system printer (a CUPS queue).
class TfrxPrinter : public TfrxCustomPrinter {
public:
    TfrxPrinter(const QString& name, const QString& port);
    ~TfrxPrinter() override;

    void Init() override;
    void Abort() override;
    void BeginDoc() override;
    void BeginPage() override;
    void BeginRAWDoc() override;
    void EndDoc() override;
    void EndPage() override;
    void EndRAWDoc() override;
    void WriteRAWDoc(const QByteArray& data) override;
    void SetViewParams(int paperSize, double paperWidth, double paperHeight,
                       report::TPrinterOrientation orientation) override;
    void SetPrintParams(int paperSize, double paperWidth, double paperHeight,
                        report::TPrinterOrientation orientation, int copies, int bin,
                        int duplex) override;
    bool PropertiesDlg(QWidget* parent) override;
    QPainter* Canvas() override;
    bool IsAvailable() const override;

private:
    struct State;
    std::unique_ptr<State> d_;
    void readCapabilities();
};

// The one printer when the system has none: 600 dpi, A4 portrait, the standard papers; it
// prints nothing.
class TfrxVirtualPrinter : public TfrxCustomPrinter {
public:
    TfrxVirtualPrinter();
    void Init() override;
    void Abort() override {}
    void BeginDoc() override;
    void BeginPage() override {}
    void BeginRAWDoc() override {}
    void EndDoc() override { Printing = false; }
    void EndPage() override {}
    void EndRAWDoc() override {}
    void WriteRAWDoc(const QByteArray&) override {}
    void SetViewParams(int paperSize, double paperWidth, double paperHeight,
                       report::TPrinterOrientation orientation) override;
    void SetPrintParams(int paperSize, double paperWidth, double paperHeight,
                        report::TPrinterOrientation orientation, int copies, int bin,
                        int duplex) override;
    bool PropertiesDlg(QWidget*) override { return false; }
    QPainter* Canvas() override { return nullptr; }
};

class TfrxPrinters {
public:
    // The printers as the system lists them; with none, the virtual printer.
    TfrxPrinters();
    // A list of one's own (tests, a recording printer); empty gives the virtual printer.
    explicit TfrxPrinters(std::vector<std::unique_ptr<TfrxCustomPrinter>> printers, int defaultIndex = 0);
    ~TfrxPrinters();
    TfrxPrinters(const TfrxPrinters&) = delete;
    TfrxPrinters& operator=(const TfrxPrinters&) = delete;

    int Count() const { return int(printers_.size()); }
    TfrxCustomPrinter& Items(int index) const { return *printers_[size_t(index)]; }
    QStringList Printers() const;
    int PrinterIndex() const { return index_; }
    int DefaultIndex() const { return default_; }
    // Makes the printer current and initialises it; an index out of range changes nothing.
    void SetPrinterIndex(int index);
    // The current printer, initialised.
    TfrxCustomPrinter& Printer();
    bool HasPhysicalPrinters() const { return physical_; }
    // Selects the printer of that name (ignoring case) when there is one; "预设" and unknown
    // names leave the current printer.
    void SelectByName(const QString& name);
    int IndexOf(const QString& name) const;
    // True for the list read from the system (not one of one's own), with the names it read.
    bool FromSystem() const { return fromSystem_; }
    const QStringList& SystemNames() const { return systemNames_; }

private:
    void addVirtualWhenEmpty();
    bool fromSystem_ = false;
    QStringList systemNames_;
    std::vector<std::unique_ptr<TfrxCustomPrinter>> printers_;
    int index_ = 0, default_ = 0;
    bool physical_ = true;
};

// The printer list of the program, made on first use (needs the GUI application).
TfrxPrinters& frxPrinters();
// Replaces the program's printer list (tests; null makes it again on next use).
void setFrxPrinters(std::unique_ptr<TfrxPrinters> printers);
// Reads the system's printers again when they changed since the list was made (a printer
// installed or removed while the program runs), keeping the current printer by name. A list
// of one's own stays as it is.
void refreshFrxPrinters();

// Lets "set page defaults" of report pages take the default printer's paper.
void installDefaultPaperProvider();

} // namespace preview
