// Fuzz target: a report template loaded from arbitrary bytes.
//
// Whatever the bytes, loading must end (errors are collected, malformed text stops the
// reading), leave a data page unless a password refused the template (one it makes goes in
// first place; one the template has stays where the template has it), and
// the template must then save; loading what was saved and saving again gives the same
// text.
#include "report/model/frx_datasets.h"
#include "report/model/frx_pages.h"
#include "report/model/frx_report.h"

#include "fuzz_check.h"

#include <QBuffer>

#include <cstddef>
#include <cstdint>

namespace {

using namespace report;

void load(TfrxReport& report, const QByteArray& bytes)
{
    // An ancestor template is supplied by the host; here there is none.
    report.OnLoadTemplate = [](TfrxReport&, const QString&) {};
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    report.LoadFromStream(buffer);
}

QByteArray save(TfrxReport& report)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    report.SaveToStream(buffer);
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The program's data source, found by name as templates expect.
    static TfrxDBDataset* lines = [] {
        auto* ds = new TfrxDBDataset;
        ds->SetName(QStringLiteral("frxDBDataset1"));
        return ds;
    }();
    (void)lines;

    TfrxReport report;
    load(report, QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    FUZZ_CHECK(report.PagesCount() == 0 || report.DataPage() != nullptr);

    const QByteArray first = save(report);
    if (report.PagesCount() == 0)
        return 0; // a protected template was refused: nothing to compare
    TfrxReport again;
    load(again, first);
    FUZZ_CHECK(again.LoadFailure.isEmpty());
    FUZZ_CHECK(again.AllObjects().size() == report.AllObjects().size());
    const QByteArray second = save(again);
    if (first != second) {
        std::fprintf(stderr, "first:\n%s\nsecond:\n%s\n", first.constData(), second.constData());
        FUZZ_FAIL("saving what was loaded from a save changes the text");
    }
    return 0;
}
