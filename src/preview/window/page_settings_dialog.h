#pragma once

// The page-settings dialog of the preview: paper, orientation and margins of one page.

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace report {
class TfrxReport;
class TfrxReportPage;
} // namespace report

namespace preview {

enum class PageSettingsApply { Cancelled, CurrentPage, AllPages };

// Shows the dialog over page (the rebuilt current prepared page of report). On OK the page
// object holds the new settings and the answer says whether they are meant for the shown
// page alone or for every page of the report; the caller applies them.
PageSettingsApply showPageSettings(QWidget* parent, report::TfrxReport& report,
                                   report::TfrxReportPage& page);

// The measurement unit of the dialogs, read from the report's IniFile store (a registry-like
// key "\Software\..." is a settings file of the current user, anything else an ini file):
// section "Form.TfrxDesignerForm", value "Units", read as one byte; 0 when absent.
int pageSettingsUnit(const QString& iniFile);

class TfrxPageSettingsForm : public QDialog {
public:
    TfrxPageSettingsForm(QWidget* parent, report::TfrxReport& report, report::TfrxReportPage& page);

    // What OK answered: the shown page or all pages.
    PageSettingsApply Applied() const;
    void accept() override;

    QComboBox* SizeCB;
    QLineEdit *WidthE, *HeightE;
    QRadioButton *PortraitRB, *LandscapeRB;
    QLabel* OrientationImage;
    QLineEdit *MarginLeftE, *MarginTopE, *MarginRightE, *MarginBottomE;
    QLabel* UnitL[6];
    QRadioButton *ApplyToCurRB, *ApplyToAllRB;
    QPushButton *OKB, *CancelB;

private:
    QWidget* makePaperGroup();
    QWidget* makeOrientationGroup();
    QWidget* makeMarginsGroup();
    QWidget* makeOtherGroup();
    void showPage();
    void paperChanged();
    void showSize(double widthMm, double heightMm);
    void updatePicture();
    QString toUnit(double mm) const;
    // The millimetres of a field; throws platform::Error naming the field when not a number.
    double fromUnit(const QLineEdit* field, const QString& fieldName) const;
    void writePage();

    report::TfrxReport& report_;
    report::TfrxReportPage& page_;
    double unitMm_ = 10; // millimetres per unit shown
    bool updating_ = false;
};

} // namespace preview
