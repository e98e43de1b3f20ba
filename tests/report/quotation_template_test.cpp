// The built-in quotation template: the committed file is what the generator writes from its
// layout (tools/make_quotation_template.cpp, the one description of the layout), and the
// program loads it as the printout needs it.
#include "report/model/frx_bands.h"
#include "report/model/frx_pages.h"
#include "report/model/frx_report.h"
#include "report/model/frx_views.h"
#include "report/storage/quotation_template.h"
#include "support/test_paths.h"

#include <QBuffer>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

using namespace report;

namespace {

struct Loaded {
    TfrxDBDataset lines;
    TfrxReport report;
    Loaded()
    {
        lines.SetName(QStringLiteral("frxDBDataset1"));
        loadQuotationTemplate(report);
    }
};

TEST(QuotationTemplate, TheGeneratorWritesTheCommittedFile)
{
    testing_support::TempFolder folder;
    const QString written = folder.file(QStringLiteral("quotation_template.xml"));
    QProcess tool;
    tool.start(QStringLiteral(QMX_BINARY_DIR "/bin/qmxdiy-maketemplate"), {written});
    ASSERT_TRUE(tool.waitForFinished(60000));
    ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    QFile file(written);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    // Byte for byte: after a change of the layout the file is written again by the tool.
    EXPECT_EQ(file.readAll(), quotationTemplateText())
        << "resources/quotation_template.xml is not what qmxdiy-maketemplate writes";
}

TEST(QuotationTemplate, LoadsWithoutErrorsAndBindsTheProgramsDataSource)
{
    Loaded t;
    EXPECT_TRUE(t.report.LoadFailure.isEmpty());
    EXPECT_TRUE(t.report.Errors().isEmpty()) << t.report.Errors().join('\n').toStdString();
    ASSERT_EQ(t.report.PagesCount(), 2);
    EXPECT_EQ(t.report.DataPage(), t.report.Pages(0));
    ASSERT_EQ(t.report.DataSets().Count(), 1);
    EXPECT_EQ(t.report.DataSets()[0].DataSet(), &t.lines);

    // One master band walks the lines; every object with a data field reads them.
    int bound = 0;
    for (TfrxComponent* c : t.report.AllObjects()) {
        SCOPED_TRACE(c->Name().toStdString());
        if (auto* band = dynamic_cast<TfrxMasterData*>(c)) {
            EXPECT_EQ(band->DataSet(), &t.lines);
        }
        if (auto* view = dynamic_cast<TfrxView*>(c); view && !view->DataField.isEmpty()) {
            EXPECT_EQ(view->DataSet(), &t.lines);
            ++bound;
        }
        if (auto* rich = dynamic_cast<TfrxRichView*>(c)) {
            EXPECT_TRUE(rich->RichText.startsWith("{\\rtf1"));
        }
    }
    EXPECT_GT(bound, 0);
}

TEST(QuotationTemplate, TheStoredReportSettingsReplaceTheCallers)
{
    // Unlike a template the user opens, the built-in one brings its own engine and preview
    // options.
    TfrxDBDataset lines;
    lines.SetName(QStringLiteral("frxDBDataset1"));
    TfrxReport report;
    report.PreviewOptions().Zoom = 2.5;
    report.PreviewOptions().ShowCaptions = false;
    report.EngineOptions().DoublePass = true;
    loadQuotationTemplate(report);
    EXPECT_EQ(report.PreviewOptions().Zoom, 1.0);
    EXPECT_TRUE(report.PreviewOptions().ShowCaptions);
    EXPECT_FALSE(report.EngineOptions().DoublePass);
}

TEST(QuotationTemplate, SavingWhatWasLoadedGivesTheFileBack)
{
    Loaded t;
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    t.report.SaveToStream(buffer);
    EXPECT_EQ(buffer.data(), quotationTemplateText());
}

} // namespace
