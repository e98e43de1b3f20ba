#include "preview/window/print_dialog.h"

#include "preview/printing/frx_printers.h"
#include "preview/printing/page_numbers.h"
#include "platform/error.h"
#include "platform/widgets/dialogs.h"
#include "report/frx_resources.h"
#include "report/model/frx_paper.h"
#include "report/model/frx_report.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QVBoxLayout>

namespace preview {

namespace {

template <typename T>
T* named(T* widget, const char* name)
{
    widget->setObjectName(QLatin1StringView(name));
    return widget;
}

QGroupBox* group(const char* name, const QString& caption)
{
    return named(new QGroupBox(caption), name);
}

QString res(const char* key)
{
    return frxGet(QString::fromLatin1(key));
}

} // namespace

TfrxPrintDialog::TfrxPrintDialog(QWidget* parent, report::TfrxReport& report, TfrxPrinters& printers,
                                 int currentPage)
    : QDialog(parent), report_(report), printers_(printers), currentPage_(currentPage),
      previousPrinter_(printers.PrinterIndex())
{
    setWindowTitle(frxGet(200));
    auto* grid = new QGridLayout(this);
    grid->addWidget(makePrinterGroup(), 0, 0, 1, 2);
    grid->addWidget(makePagesGroup(), 1, 0);
    grid->addWidget(makeCopiesGroup(), 1, 1);
    grid->addWidget(makeOtherGroup(), 2, 0);
    grid->addWidget(makeModeGroup(), 2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    OkB = named(new QPushButton(frxGet(1)), "OkB");
    CancelB = named(new QPushButton(frxGet(2)), "CancelB");
    OkB->setDefault(true);
    buttons->addWidget(OkB);
    buttons->addWidget(CancelB);
    grid->addLayout(buttons, 3, 0, 1, 2);
    connect(OkB, &QPushButton::clicked, this, &TfrxPrintDialog::accept);
    connect(CancelB, &QPushButton::clicked, this, &TfrxPrintDialog::reject);
    showOptions();
}

QWidget* TfrxPrintDialog::makePrinterGroup()
{
    QGroupBox* box = group("Label12", frxGet(201));
    auto* layout = new QGridLayout(box);
    PrintersCB = named(new QComboBox, "PrintersCB");
    // Entries are a little taller on screens of more than 96 dots per inch.
    const bool large = screen() && screen()->logicalDotsPerInch() > 96;
    PrintersCB->setIconSize(QSize(16, large ? 19 : 16));
    const QIcon icon(printerPicture());
    for (const QString& name : printers_.Printers())
        PrintersCB->addItem(icon, name);
    WhereL1 = named(new QLabel, "WhereL1");
    PropButton = named(new QPushButton(frxGet(209)), "PropButton");
    FileCB = named(new QCheckBox(frxGet(210)), "FileCB");
    layout->addWidget(named(new QLabel(frxGet(212)), "NameL"), 0, 0);
    layout->addWidget(PrintersCB, 0, 1);
    layout->addWidget(PropButton, 0, 2);
    layout->addWidget(named(new QLabel(frxGet(208)), "WhereL"), 1, 0);
    layout->addWidget(WhereL1, 1, 1);
    layout->addWidget(FileCB, 1, 2);
    PrintersCB->setCurrentIndex(printers_.PrinterIndex());
    WhereL1->setText(printers_.Items(printers_.PrinterIndex()).Port);
    connect(PrintersCB, &QComboBox::activated, this, &TfrxPrintDialog::printerChosen);
    connect(PropButton, &QPushButton::clicked, this, [this] {
        platform::reported(this, [this] { printers_.Printer().PropertiesDlg(this); });
    });
    return box;
}

QWidget* TfrxPrintDialog::makePagesGroup()
{
    QGroupBox* box = group("Label1", frxGet(202));
    auto* layout = new QGridLayout(box);
    AllRB = named(new QRadioButton(frxGet(3)), "AllRB");
    CurPageRB = named(new QRadioButton(frxGet(4)), "CurPageRB");
    PageNumbersRB = named(new QRadioButton(frxGet(5)), "PageNumbersRB");
    PageNumbersE = named(new QLineEdit, "PageNumbersE");
    auto* descr = named(new QLabel(frxGet(9)), "DescrL");
    descr->setWordWrap(true);
    layout->addWidget(AllRB, 0, 0, 1, 2);
    layout->addWidget(CurPageRB, 1, 0, 1, 2);
    layout->addWidget(PageNumbersRB, 2, 0);
    layout->addWidget(PageNumbersE, 2, 1);
    layout->addWidget(descr, 3, 0, 1, 2);
    PageNumbersE->installEventFilter(this);
    connect(PageNumbersE, &QLineEdit::textEdited, this, [this] { PageNumbersRB->setChecked(true); });
    return box;
}

QWidget* TfrxPrintDialog::makeCopiesGroup()
{
    QGroupBox* box = group("Label2", frxGet(205));
    auto* layout = new QGridLayout(box);
    CopiesE = named(new QSpinBox, "CopiesE");
    CopiesE->setRange(1, 9999);
    CollateCB = named(new QCheckBox(frxGet(204)), "CollateCB");
    CollateImage = named(new QLabel, "CollateImage");
    layout->addWidget(named(new QLabel(frxGet(203)), "CopiesL"), 0, 0);
    layout->addWidget(CopiesE, 0, 1);
    layout->addWidget(CollateImage, 1, 0);
    layout->addWidget(CollateCB, 1, 1);
    connect(CollateCB, &QCheckBox::toggled, this,
            [this](bool collated) { CollateImage->setPixmap(collatePicture(collated)); });
    return box;
}

QWidget* TfrxPrintDialog::makeOtherGroup()
{
    QGroupBox* box = group("OtherGB", frxGet(207));
    auto* layout = new QGridLayout(box);
    PrintPagesCB = named(new QComboBox, "PrintPagesCB");
    PrintPagesCB->addItems({res("ppAll"), res("ppOdd"), res("ppEven")});
    OrderCB = named(new QComboBox, "OrderCB");
    OrderCB->addItems({res("poDirect"), res("poReverse")});
    DuplexCB = named(new QComboBox, "DuplexCB");
    DuplexCB->addItems({res("dupDefault"), res("dupVert"), res("dupHorz"), res("dupSimpl")});
    layout->addWidget(named(new QLabel(frxGet(206)), "PrintL"), 0, 0);
    layout->addWidget(PrintPagesCB, 0, 1);
    layout->addWidget(named(new QLabel(frxGet(211)), "OrderL"), 1, 0);
    layout->addWidget(OrderCB, 1, 1);
    layout->addWidget(named(new QLabel(frxGet(216)), "DuplexL"), 2, 0);
    layout->addWidget(DuplexCB, 2, 1);
    return box;
}

QWidget* TfrxPrintDialog::makeModeGroup()
{
    QGroupBox* box = group("ScaleGB", frxGet(213));
    auto* layout = new QGridLayout(box);
    PrintModeCB = named(new QComboBox, "PrintModeCB");
    PrintModeCB->setIconSize(QSize(64, 32));
    const char* const modes[] = {"pmDefault", "pmSplit", "pmJoin", "pmScale"};
    for (int i = 0; i < 4; ++i)
        PrintModeCB->addItem(QIcon(printModePicture(i)), res(modes[i]));
    PagPageSizeCB = named(new QComboBox, "PagPageSizeCB");
    layout->addWidget(PrintModeCB, 0, 0, 1, 2);
    layout->addWidget(named(new QLabel(frxGet(214)), "PagSizeL"), 1, 0);
    layout->addWidget(PagPageSizeCB, 1, 1);
    connect(PrintModeCB, &QComboBox::activated, this, [this](int mode) {
        if (mode == 0)
            PagPageSizeCB->setCurrentIndex(0);
    });
    return box;
}

// The fields from the report's print options.
void TfrxPrintDialog::showOptions()
{
    const report::TfrxPrintOptions& options = report_.PrintOptions();
    CopiesE->setValue(std::max(1, options.Copies));
    CollateCB->setChecked(options.Collate);
    CollateImage->setPixmap(collatePicture(options.Collate));
    PageNumbersE->setText(options.PageNumbers);
    (options.PageNumbers.isEmpty() ? AllRB : PageNumbersRB)->setChecked(true);
    PrintPagesCB->setCurrentIndex(int(options.PrintPages));
    OrderCB->setCurrentIndex(options.Reverse ? 1 : 0);
    DuplexCB->setCurrentIndex(0);
    PrintModeCB->setCurrentIndex(int(options.PrintMode));
    fillSheets(options.PrintMode != report::TfrxPrintMode::pmDefault ? options.PrintOnSheet : -1);
}

// "Default" and the current printer's papers without the custom size; the paper of that
// number stays chosen when the printer has it.
void TfrxPrintDialog::fillSheets(int keepNumber)
{
    PagPageSizeCB->clear();
    PagPageSizeCB->addItem(res("pgDefault"), report::customPaperSize);
    int chosen = 0;
    const TfrxCustomPrinter& printer = printers_.Printer();
    for (const PrinterPaper& paper : printer.Papers) {
        if (paper.number == report::customPaperSize)
            continue;
        if (paper.number == keepNumber)
            chosen = PagPageSizeCB->count();
        PagPageSizeCB->addItem(paper.name, paper.number);
    }
    PagPageSizeCB->setCurrentIndex(chosen);
}

void TfrxPrintDialog::printerChosen(int index)
{
    platform::reported(this, [&] {
        const int keep = PagPageSizeCB->currentIndex() > 0 ? PagPageSizeCB->currentData().toInt() : -1;
        printers_.SetPrinterIndex(index);
        WhereL1->setText(printers_.Items(index).Port);
        fillSheets(keep);
    });
}

int TfrxPrintDialog::Duplex() const
{
    return DuplexCB->currentIndex();
}

bool TfrxPrintDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == PageNumbersE && event->type() == QEvent::FocusIn)
        PageNumbersRB->setChecked(true);
    return QDialog::eventFilter(watched, event);
}

void TfrxPrintDialog::keyPressEvent(QKeyEvent* event)
{
    // F1 would open the dialog's help topic; the program ships no help file.
    if (event->key() == Qt::Key_F1)
        return;
    QDialog::keyPressEvent(event);
}

// The ".prn" file of a print to file; false when its dialog was cancelled.
bool TfrxPrintDialog::chooseOutputFile()
{
    TfrxCustomPrinter& printer = printers_.Printer();
    if (!FileCB->isChecked()) {
        printer.FileName.clear();
        return true;
    }
    const QString chosen = platform::saveFileName(this, QStringLiteral("Print To File"), QString(),
                                                  QStringLiteral("Printer files (*.prn)"), QStringLiteral("prn"));
    if (chosen.isEmpty())
        return false;
    const QFileInfo info(chosen);
    printer.FileName = info.path() + u'/' + info.completeBaseName() + QStringLiteral(".prn");
    return true;
}

void TfrxPrintDialog::accept()
{
    platform::reported(this, [this] {
        // A malformed list is refused here, before the dialog closes.
        if (PageNumbersRB->isChecked()) {
            try {
                PageNumberList(PageNumbersE->text(), 0);
            } catch (const platform::Error&) {
                platform::showMessage(this, invalidPageListMessage(PageNumbersE->text()));
                PageNumbersE->setFocus();
                return;
            }
        }
        if (!chooseOutputFile()) {
            reject();
            return;
        }
        storeOptions();
        QDialog::accept();
    });
}

void TfrxPrintDialog::storeOptions()
{
    report::TfrxPrintOptions& options = report_.PrintOptions();
    options.Copies = CopiesE->value();
    options.Collate = CollateCB->isChecked();
    if (AllRB->isChecked())
        options.PageNumbers.clear();
    else if (CurPageRB->isChecked())
        options.PageNumbers = QString::number(currentPage_);
    else
        options.PageNumbers = PageNumbersE->text();
    options.PrintPages = report::TfrxPrintPages(PrintPagesCB->currentIndex());
    options.Reverse = OrderCB->currentIndex() == 1;
    options.PrintMode = report::TfrxPrintMode(PrintModeCB->currentIndex());
    options.PrintOnSheet = PagPageSizeCB->currentData().toInt();
}

void TfrxPrintDialog::reject()
{
    platform::reported(this, [this] { printers_.SetPrinterIndex(previousPrinter_); });
    QDialog::reject();
}

bool showPrintDialog(QWidget* parent, report::TfrxReport& report, TfrxPrinters& printers, int currentPage,
                     int& duplex)
{
    TfrxPrintDialog dialog(parent, report, printers, currentPage);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    duplex = dialog.Duplex();
    return true;
}

} // namespace preview
