// The page-settings dialog: sizes and margins in the stored unit, the paper list of the
// current printer, turning the paper, typing a size, what OK writes, and fields that are
// not numbers refused with the page left alone.

#include "../printing/print_fixture.h"

#include "preview/window/page_settings_dialog.h"
#include "platform/widgets/dialogs.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSettings>

namespace printtest {
namespace {

class PageSettingsTest : public ::testing::Test {
protected:
    PageSettingsTest()
    {
        preview::setFrxPrinters(recordingPrinters());
        report.IniFile = dir.filePath(QStringLiteral("report.ini")); // no unit stored: centimetres
        page = new TfrxReportPage(&report);
        page->SetPaperSize(9);
        page->LeftMargin = page->RightMargin = page->TopMargin = page->BottomMargin = 20;
        previous = platform::setDialogResponder([this](const platform::DialogRequest& request) {
            reports.push_back(request.text);
            return platform::DialogAnswer{};
        });
    }
    ~PageSettingsTest() override
    {
        platform::setDialogResponder(previous);
        preview::setFrxPrinters(nullptr);
    }

    QTemporaryDir dir;
    TfrxReport report;
    TfrxReportPage* page;
    QStringList reports;
    platform::DialogResponder previous;
};

TEST_F(PageSettingsTest, ShowsThePageInCentimetresWhenNoUnitIsStored)
{
    preview::TfrxPageSettingsForm form(nullptr, report, *page);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("页面设置"));
    EXPECT_EQ(form.SizeCB->itemText(0), QStringLiteral("自定"));
    EXPECT_EQ(form.SizeCB->currentText(), QStringLiteral("A4"));
    EXPECT_EQ(form.WidthE->text(), QStringLiteral("21"));
    EXPECT_EQ(form.HeightE->text(), QStringLiteral("29.70"));
    for (QLineEdit* margin : {form.MarginLeftE, form.MarginTopE, form.MarginRightE, form.MarginBottomE})
        EXPECT_EQ(margin->text(), QStringLiteral("2"));
    for (QLabel* unit : form.UnitL)
        EXPECT_EQ(unit->text(), QStringLiteral("cm"));
    EXPECT_TRUE(form.PortraitRB->isChecked());
    EXPECT_TRUE(form.ApplyToCurRB->isChecked());
}

TEST_F(PageSettingsTest, ReadsTheUnitFromTheReportsSettings)
{
    {
        QSettings ini(report.IniFile, QSettings::IniFormat);
        ini.setValue(QStringLiteral("Form.TfrxDesignerForm/Units"), 1);
    }
    EXPECT_EQ(preview::pageSettingsUnit(report.IniFile), 1);
    preview::TfrxPageSettingsForm form(nullptr, report, *page);
    EXPECT_EQ(form.UnitL[0]->text(), QStringLiteral("in"));
    EXPECT_EQ(form.WidthE->text(), QStringLiteral("8.27"));
    {
        QSettings ini(report.IniFile, QSettings::IniFormat);
        ini.setValue(QStringLiteral("Form.TfrxDesignerForm/Units"), 3);
    }
    preview::TfrxPageSettingsForm centimetres(nullptr, report, *page);
    EXPECT_EQ(centimetres.UnitL[5]->text(), QStringLiteral("cm"));
}

TEST_F(PageSettingsTest, TurningTheCustomSizeExchangesItsSidesAndTypingChoosesTheCustomSize)
{
    page->SetPaperWidth(100);
    page->SetPaperHeight(150);
    preview::TfrxPageSettingsForm form(nullptr, report, *page);
    EXPECT_EQ(form.SizeCB->currentIndex(), 0);
    form.LandscapeRB->click();
    EXPECT_EQ(form.WidthE->text(), QStringLiteral("15"));
    EXPECT_EQ(form.HeightE->text(), QStringLiteral("10"));

    form.SizeCB->setCurrentIndex(form.SizeCB->findText(QStringLiteral("A5")));
    emit form.SizeCB->activated(form.SizeCB->currentIndex());
    EXPECT_EQ(form.WidthE->text(), QStringLiteral("21"));
    EXPECT_EQ(form.HeightE->text(), QStringLiteral("14.80"));
    form.WidthE->setText(QStringLiteral("22"));
    EXPECT_EQ(form.SizeCB->currentIndex(), 0);
}

TEST_F(PageSettingsTest, OkWritesThePageAndSaysWhereItApplies)
{
    preview::TfrxPageSettingsForm form(nullptr, report, *page);
    form.SizeCB->setCurrentIndex(form.SizeCB->findText(QStringLiteral("A5")));
    form.LandscapeRB->click();
    emit form.SizeCB->activated(form.SizeCB->currentIndex());
    form.MarginLeftE->setText(QStringLiteral("1,5"));
    form.MarginTopE->setText(QStringLiteral("0.5"));
    form.ApplyToAllRB->setChecked(true);
    form.accept();
    ASSERT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(form.Applied(), preview::PageSettingsApply::AllPages);
    EXPECT_EQ(page->Orientation(), TPrinterOrientation::poLandscape);
    EXPECT_EQ(page->PaperSize(), 11);
    EXPECT_EQ(page->PaperWidth(), 210);
    EXPECT_EQ(page->PaperHeight(), 148);
    EXPECT_EQ(page->LeftMargin, 15);
    EXPECT_EQ(page->TopMargin, 5);
    EXPECT_EQ(page->RightMargin, 20);
}

TEST_F(PageSettingsTest, AFieldThatIsNotANumberIsRefusedAndThePageStaysAsItWas)
{
    for (const char* field : {"HeightE", "MarginTopE", "WidthE"}) {
        preview::TfrxPageSettingsForm form(nullptr, report, *page);
        form.LandscapeRB->click();
        form.MarginLeftE->setText(QStringLiteral("3"));
        form.findChild<QLineEdit*>(QLatin1StringView(field))->setText(QStringLiteral("abc"));
        reports.clear();
        form.accept();
        EXPECT_NE(form.result(), QDialog::Accepted) << field;
        ASSERT_EQ(reports.size(), 1) << field;
        EXPECT_TRUE(reports[0].contains(QStringLiteral("abc")));
    }
    EXPECT_TRUE(reports[0].contains(QStringLiteral("宽度")));
    EXPECT_EQ(page->Orientation(), TPrinterOrientation::poPortrait);
    EXPECT_EQ(page->PaperWidth(), 210);
    EXPECT_EQ(page->LeftMargin, 20);
    // A paper of no width is no paper either.
    preview::TfrxPageSettingsForm form(nullptr, report, *page);
    form.WidthE->setText(QStringLiteral("0"));
    form.accept();
    EXPECT_NE(form.result(), QDialog::Accepted);
    EXPECT_EQ(page->PaperWidth(), 210);
}

} // namespace
} // namespace printtest
