#include "preview/window/page_settings_dialog.h"

#include "preview/printing/frx_printers.h"
#include "platform/error.h"
#include "platform/widgets/dialogs.h"
#include "report/frx_resources.h"
#include "report/model/frx_pages.h"
#include "report/model/frx_paper.h"
#include "report/model/frx_report.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>

#include <cmath>

namespace preview {

using report::TPrinterOrientation;

namespace {

template <typename T>
T* named(T* widget, const char* name)
{
    widget->setObjectName(QLatin1StringView(name));
    return widget;
}

// A sheet upright or lying, with lines of text on it.
QPixmap orientationPicture(bool landscape)
{
    QPixmap pixmap(48, 48);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    const QRect sheet = landscape ? QRect(4, 12, 40, 28) : QRect(10, 4, 28, 40);
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawRect(sheet);
    for (int y = sheet.top() + 5; y < sheet.bottom() - 3; y += 5)
        p.drawLine(sheet.left() + 4, y, sheet.right() - 4, y);
    return pixmap;
}

} // namespace

int pageSettingsUnit(const QString& iniFile)
{
    const QString prefix = QStringLiteral("\\Software\\");
    std::unique_ptr<QSettings> settings;
    if (iniFile.startsWith(prefix, Qt::CaseInsensitive)) {
        QStringList parts = iniFile.mid(prefix.size()).split(u'\\', Qt::SkipEmptyParts);
        const QString organization = parts.isEmpty() ? QStringLiteral("QMXDIY") : parts.takeFirst();
        settings = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, organization,
                                               parts.isEmpty() ? QStringLiteral("Report") : parts.join(u'/'));
    } else {
        settings = std::make_unique<QSettings>(iniFile, QSettings::IniFormat);
    }
    bool ok = false;
    const int value = settings->value(QStringLiteral("Form.TfrxDesignerForm/Units")).toInt(&ok);
    return ok ? (value & 0xFF) : 0;
}

TfrxPageSettingsForm::TfrxPageSettingsForm(QWidget* parent, report::TfrxReport& report,
                                           report::TfrxReportPage& page)
    : QDialog(parent), report_(report), page_(page)
{
    setWindowTitle(frxGet(400));
    auto* grid = new QGridLayout(this);
    grid->addWidget(makePaperGroup(), 0, 0, 1, 2);
    grid->addWidget(makeOrientationGroup(), 1, 0);
    grid->addWidget(makeMarginsGroup(), 1, 1);
    grid->addWidget(makeOtherGroup(), 2, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    OKB = named(new QPushButton(frxGet(1)), "OKB");
    CancelB = named(new QPushButton(frxGet(2)), "CancelB");
    OKB->setDefault(true);
    buttons->addWidget(OKB);
    buttons->addWidget(CancelB);
    grid->addLayout(buttons, 3, 0, 1, 2);
    connect(OKB, &QPushButton::clicked, this, &TfrxPageSettingsForm::accept);
    connect(CancelB, &QPushButton::clicked, this, &TfrxPageSettingsForm::reject);
    showPage();
}

QWidget* TfrxPageSettingsForm::makePaperGroup()
{
    auto* box = named(new QGroupBox(frxGet(403)), "SizeL");
    auto* layout = new QGridLayout(box);
    SizeCB = named(new QComboBox, "SizeCB");
    WidthE = named(new QLineEdit, "WidthE");
    HeightE = named(new QLineEdit, "HeightE");
    UnitL[0] = named(new QLabel, "UnitL1");
    UnitL[1] = named(new QLabel, "UnitL2");
    layout->addWidget(SizeCB, 0, 0, 1, 3);
    layout->addWidget(named(new QLabel(frxGet(401)), "WidthL"), 1, 0);
    layout->addWidget(WidthE, 1, 1);
    layout->addWidget(UnitL[0], 1, 2);
    layout->addWidget(named(new QLabel(frxGet(402)), "HeightL"), 2, 0);
    layout->addWidget(HeightE, 2, 1);
    layout->addWidget(UnitL[1], 2, 2);
    connect(SizeCB, &QComboBox::activated, this, [this] { paperChanged(); });
    // Typing a size makes the paper the custom size.
    for (QLineEdit* field : {WidthE, HeightE})
        connect(field, &QLineEdit::textChanged, this, [this] {
            if (!updating_)
                SizeCB->setCurrentIndex(0);
        });
    return box;
}

QWidget* TfrxPageSettingsForm::makeOrientationGroup()
{
    auto* box = named(new QGroupBox(frxGet(404)), "OrientationL");
    auto* layout = new QGridLayout(box);
    PortraitRB = named(new QRadioButton(frxGet(410)), "PortraitRB");
    LandscapeRB = named(new QRadioButton(frxGet(411)), "LandscapeRB");
    OrientationImage = named(new QLabel, "OrientationImage");
    layout->addWidget(PortraitRB, 0, 0);
    layout->addWidget(LandscapeRB, 1, 0);
    layout->addWidget(OrientationImage, 0, 1, 2, 1);
    for (QRadioButton* button : {PortraitRB, LandscapeRB})
        connect(button, &QRadioButton::clicked, this, [this] { paperChanged(); });
    return box;
}

QWidget* TfrxPageSettingsForm::makeMarginsGroup()
{
    auto* box = named(new QGroupBox(frxGet(409)), "MarginsL");
    auto* layout = new QGridLayout(box);
    MarginLeftE = named(new QLineEdit, "MarginLeftE");
    MarginTopE = named(new QLineEdit, "MarginTopE");
    MarginRightE = named(new QLineEdit, "MarginRightE");
    MarginBottomE = named(new QLineEdit, "MarginBottomE");
    const char* const labels[] = {"LeftL", "TopL", "RightL", "BottomL"};
    const char* const units[] = {"UnitL3", "UnitL4", "UnitL5", "UnitL6"};
    QLineEdit* const fields[] = {MarginLeftE, MarginTopE, MarginRightE, MarginBottomE};
    for (int i = 0; i < 4; ++i) {
        UnitL[i + 2] = named(new QLabel, units[i]);
        layout->addWidget(named(new QLabel(frxGet(405 + i)), labels[i]), i, 0);
        layout->addWidget(fields[i], i, 1);
        layout->addWidget(UnitL[i + 2], i, 2);
    }
    return box;
}

QWidget* TfrxPageSettingsForm::makeOtherGroup()
{
    auto* box = named(new QGroupBox(frxGet(412)), "OtherL");
    auto* layout = new QHBoxLayout(box);
    ApplyToCurRB = named(new QRadioButton(frxGet(413)), "ApplyToCurRB");
    ApplyToAllRB = named(new QRadioButton(frxGet(414)), "ApplyToAllRB");
    ApplyToCurRB->setChecked(true);
    layout->addWidget(ApplyToCurRB);
    layout->addWidget(ApplyToAllRB);
    return box;
}

// Written with two decimals unless whole: A4 in centimetres is "21" by "29.70".
QString TfrxPageSettingsForm::toUnit(double mm) const
{
    const double value = mm / unitMm_;
    const double rounded = std::round(value * 100) / 100;
    return std::abs(rounded - std::round(rounded)) < 1e-9 ? QString::number(std::llround(rounded))
                                                          : QString::number(rounded, 'f', 2);
}

double TfrxPageSettingsForm::fromUnit(const QLineEdit* field, const QString& fieldName) const
{
    QString text = field->text().trimmed();
    text.replace(u',', u'.');
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        throw platform::Error(QStringLiteral("%1: '%2' is not a valid number").arg(fieldName, field->text()));
    return value * unitMm_;
}

void TfrxPageSettingsForm::showPage()
{
    updating_ = true;
    const int unit = pageSettingsUnit(report_.IniFile);
    QString label;
    if (unit == 1) {
        unitMm_ = 25.4;
        label = frxGet(QStringLiteral("uInch"));
    } else if (unit == 0 || unit == 2 || unit == 3) {
        unitMm_ = 10;
        label = frxGet(QStringLiteral("uCm"));
    } else {
        unitMm_ = 1; // a unit this dialog does not know: millimetres, unlabelled
    }
    for (QLabel* unitLabel : UnitL)
        unitLabel->setText(label);
    const TfrxCustomPrinter& printer = frxPrinters().Printer();
    for (const PrinterPaper& paper : printer.Papers)
        SizeCB->addItem(paper.name, paper.number);
    SizeCB->setCurrentIndex(std::max(0, printer.PaperIndex(page_.PaperSize())));
    WidthE->setText(toUnit(page_.PaperWidth()));
    HeightE->setText(toUnit(page_.PaperHeight()));
    MarginLeftE->setText(toUnit(page_.LeftMargin));
    MarginTopE->setText(toUnit(page_.TopMargin));
    MarginRightE->setText(toUnit(page_.RightMargin));
    MarginBottomE->setText(toUnit(page_.BottomMargin));
    (page_.Orientation() == TPrinterOrientation::poLandscape ? LandscapeRB : PortraitRB)->setChecked(true);
    updatePicture();
    updating_ = false;
}

void TfrxPageSettingsForm::updatePicture()
{
    OrientationImage->setPixmap(orientationPicture(LandscapeRB->isChecked()));
}

// The printer gives the chosen paper in the chosen orientation; the custom size takes the
// fields' width as its height and their height as its width.
void TfrxPageSettingsForm::paperChanged()
{
    updatePicture();
    platform::reported(this, [this] {
        TfrxCustomPrinter& printer = frxPrinters().Printer();
        int number = printer.PaperNameToNumber(SizeCB->currentText());
        if (number < 0)
            number = printer.Papers.first().number;
        const auto tolerant = [this](const QLineEdit* field) {
            try {
                return fromUnit(field, QString());
            } catch (const platform::Error&) {
                return 0.0;
            }
        };
        const TPrinterOrientation orientation =
            LandscapeRB->isChecked() ? TPrinterOrientation::poLandscape : TPrinterOrientation::poPortrait;
        printer.SetViewParams(number, tolerant(HeightE), tolerant(WidthE), orientation);
        showSize(printer.PaperWidth, printer.PaperHeight);
    });
}

void TfrxPageSettingsForm::showSize(double widthMm, double heightMm)
{
    updating_ = true;
    WidthE->setText(toUnit(widthMm));
    HeightE->setText(toUnit(heightMm));
    updating_ = false;
}

PageSettingsApply TfrxPageSettingsForm::Applied() const
{
    return ApplyToAllRB->isChecked() ? PageSettingsApply::AllPages : PageSettingsApply::CurrentPage;
}

void TfrxPageSettingsForm::accept()
{
    platform::reported(this, [this] {
        writePage();
        QDialog::accept();
    });
}

// Every field is read before the page is touched, so a field that is not a number leaves the
// page as it was and the dialog open.
void TfrxPageSettingsForm::writePage()
{
    const double width = fromUnit(WidthE, frxGet(401));
    const double height = fromUnit(HeightE, frxGet(402));
    // A paper needs both sides; a page of no width cannot be laid out.
    if (width <= 0 || height <= 0)
        throw platform::Error(QStringLiteral("%1: '%2' is not a valid paper size")
                                  .arg(frxGet(width <= 0 ? 401 : 402), (width <= 0 ? WidthE : HeightE)->text()));
    const double left = fromUnit(MarginLeftE, frxGet(405));
    const double top = fromUnit(MarginTopE, frxGet(406));
    const double right = fromUnit(MarginRightE, frxGet(407));
    const double bottom = fromUnit(MarginBottomE, frxGet(408));
    const TfrxCustomPrinter& printer = frxPrinters().Printer();
    int number = printer.PaperNameToNumber(SizeCB->currentText());
    if (number < 0)
        number = printer.Papers.first().number;
    page_.SetOrientation(LandscapeRB->isChecked() ? TPrinterOrientation::poLandscape : TPrinterOrientation::poPortrait);
    page_.SetPaperWidth(width);
    page_.SetPaperHeight(height);
    page_.SetPaperSize(number);
    page_.LeftMargin = left;
    page_.TopMargin = top;
    page_.RightMargin = right;
    page_.BottomMargin = bottom;
    page_.AlignChildren();
}

PageSettingsApply showPageSettings(QWidget* parent, report::TfrxReport& report, report::TfrxReportPage& page)
{
    PageSettingsApply answer = PageSettingsApply::Cancelled;
    platform::reported(parent, [&] {
        TfrxPageSettingsForm form(parent, report, page);
        if (form.exec() == QDialog::Accepted)
            answer = form.Applied();
    });
    return answer;
}

} // namespace preview
