#pragma once

// The print dialog: printer with its port, properties and print to file; all, current or
// listed pages; copies and collation; odd/even, order, duplex; print mode and its sheet. It
// writes the report's PrintOptions on OK only; Cancel makes the printer that was current
// before it current again.

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace report {
class TfrxReport;
}

namespace preview {

class TfrxPrinters;

class TfrxPrintDialog : public QDialog {
public:
    // currentPage (1-based) is the page "本页" prints.
    TfrxPrintDialog(QWidget* parent, report::TfrxReport& report, TfrxPrinters& printers, int currentPage);

    // The duplex entry chosen on OK: 0 each page's own, 1 vertical, 2 horizontal, 3 simplex.
    int Duplex() const;

    void accept() override;
    void reject() override;

    // The controls, by their names.
    QComboBox* PrintersCB;
    QLabel* WhereL1;
    QPushButton* PropButton;
    QCheckBox* FileCB;
    QRadioButton *AllRB, *CurPageRB, *PageNumbersRB;
    QLineEdit* PageNumbersE;
    QSpinBox* CopiesE;
    QCheckBox* CollateCB;
    QLabel* CollateImage;
    QComboBox *PrintPagesCB, *OrderCB, *DuplexCB, *PrintModeCB, *PagPageSizeCB;
    QPushButton *OkB, *CancelB;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QWidget* makePrinterGroup();
    QWidget* makePagesGroup();
    QWidget* makeCopiesGroup();
    QWidget* makeOtherGroup();
    QWidget* makeModeGroup();
    void showOptions();
    void printerChosen(int index);
    void fillSheets(int keepNumber);
    bool chooseOutputFile();
    void storeOptions();

    report::TfrxReport& report_;
    TfrxPrinters& printers_;
    int currentPage_;
    int previousPrinter_;
};

// Shows the dialog; true on OK, with the duplex override chosen.
bool showPrintDialog(QWidget* parent, report::TfrxReport& report, TfrxPrinters& printers, int currentPage,
                     int& duplex);

// The pictures of the dialog: the printer, collated or uncollated sheets, and the four print
// modes (64 x 32).
QPixmap printerPicture();
QPixmap collatePicture(bool collated);
QPixmap printModePicture(int mode);

} // namespace preview
