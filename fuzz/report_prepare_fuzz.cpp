// Fuzz target: an arbitrary template prepared over a small data source.
//
// Whatever the template, the preparation must end within the page and row limits (with an
// error line when it reaches one), never crash, and leave the template as it was loaded.
#include "report/engine/report_shell.h"
#include "report/model/frx_datasets.h"
#include "report/model/frx_report.h"
#include "report/pages/preview_pages.h"

#include "fuzz_check.h"
#include "fuzz_gui_application.h"

#include <QBuffer>

#include <cstddef>
#include <cstdint>

namespace {

using namespace report;

QByteArray save(TfrxReport& report)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    report.SaveToStream(buffer);
    return bytes;
}

// Five rows of three fields, under the names templates of this program use.
TfrxUserDataSet* makeSource(const char* name)
{
    auto* ds = new TfrxUserDataSet;
    ds->SetName(QString::fromLatin1(name));
    ds->Fields = QStringList{QStringLiteral("DIY_ID"), QStringLiteral("DIY_CASH"), QStringLiteral("HW_MS")};
    ds->RangeEnd = TfrxRangeEnd::reCount;
    ds->RangeEndCount = 5;
    ds->GetValueHandler = [](TfrxUserDataSet& self, const QString& field) -> QVariant {
        if (field.compare(QLatin1StringView("DIY_CASH"), Qt::CaseInsensitive) == 0)
            return self.RecNo * 10;
        return QStringLiteral("row %1 of a text that wraps in a narrow cell").arg(self.RecNo);
    };
    return ds;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ensureGuiApplication();
    static TfrxUserDataSet* lines = makeSource("frxDBDataset1");
    static TfrxUserDataSet* ds = makeSource("ds");
    (void)lines;
    (void)ds;

    TfrxReport report;
    report.OnLoadTemplate = [](TfrxReport&, const QString&) {};
    QBuffer buffer;
    buffer.setData(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    buffer.open(QIODevice::ReadOnly);
    report.LoadFromStream(buffer);
    if (report.PagesCount() == 0)
        return 0;
    report.EngineOptions().NewSilentMode = TfrxSilentMode::simSilent;
    const QByteArray loaded = save(report);

    ReportShell shell(report);
    shell.Engine().Limits().maxPages = 30;
    shell.Engine().Limits().maxRows = 3000;
    shell.PrepareReport(true);
    FUZZ_CHECK(shell.PreviewPages().PageCount() <= 30);
    if (report.EngineOptions().DestroyForms && save(report) != loaded)
        FUZZ_FAIL("a preparation changed the template");
    return 0;
}
