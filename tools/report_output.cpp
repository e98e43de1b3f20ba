#include "report_output.h"

#include "platform/error.h"
#include "report/pages/preview_pages.h"

#include <QStringList>

using namespace report;

bool isOutputName(const QString& fileName, bool fp3Allowed)
{
    if (fileName.endsWith(QLatin1StringView(".fp3"), Qt::CaseInsensitive))
        return fp3Allowed;
    if (fileName.endsWith(QLatin1StringView(".pdf"), Qt::CaseInsensitive))
        return true;
    return fileName.endsWith(QLatin1StringView(".png"), Qt::CaseInsensitive)
        && fileName.contains(QLatin1StringView("%d"));
}

QList<int> parsePageList(const QString& text, int pageCount)
{
    const auto number = [&](const QString& part) {
        bool ok = false;
        const int n = part.trimmed().toInt(&ok);
        if (!ok)
            throw platform::Error(QStringLiteral("Not a page list: %1").arg(text));
        if (n < 1 || n > pageCount)
            throw platform::Error(QStringLiteral("There is no page %1: the report has %2 pages").arg(n).arg(pageCount));
        return n - 1;
    };
    QList<int> pages;
    for (const QString& part : text.split(u',')) {
        const qsizetype dash = part.indexOf(u'-');
        const int first = number(dash < 0 ? part : part.left(dash));
        const int last = dash < 0 ? first : number(part.mid(dash + 1));
        if (last < first)
            throw platform::Error(QStringLiteral("Not a page list: %1").arg(text));
        for (int i = first; i <= last; ++i)
            pages.append(i);
    }
    return pages;
}

void writePreparedOutput(TfrxPreviewPages& pages, const QString& fileName, const TfrxExportSettings& settings)
{
    if (fileName.endsWith(QLatin1StringView(".fp3"), Qt::CaseInsensitive)) {
        pages.SaveToFile(fileName);
        return;
    }
    const TfrxPageExport* filter = exportFilterFor(fileName);
    if (!filter)
        throw platform::Error(QStringLiteral("Cannot write %1: the name must end in .fp3, .pdf or .png").arg(fileName));
    filter->Export(pages, fileName, settings);
}

std::unique_ptr<TfrxCsvDataSet> csvDataSetOf(const QString& argument)
{
    const qsizetype equals = argument.indexOf(u'=');
    if (equals < 0)
        throw platform::Error(QStringLiteral("--csv takes NAME=FILE, not %1").arg(argument));
    return makeCsvDataSet(argument.left(equals), argument.mid(equals + 1));
}
