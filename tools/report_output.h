#pragma once

// Writing prepared pages to the file a command names, shared by the commands that make
// output: "render" here, "prepare" with the pages it made; and the CSV data sources
// "prepare" takes.

#include "report/model/csv_dataset.h"
#include "report/pages/page_export.h"

#include <QList>
#include <QString>
#include <memory>

namespace report {
class TfrxPreviewPages;
}

// Whether the name is one the tool writes: ".fp3" (a prepared report; only when fp3 is
// allowed), ".pdf", or ".png" with "%d" in it for the page number.
bool isOutputName(const QString& fileName, bool fp3Allowed);

// Page numbers like "1,3-5" (1-based, in the order given) as page indexes. Throws
// platform::Error for malformed text or a page the report does not have.
QList<int> parsePageList(const QString& text, int pageCount);

// Writes the pages to the file: saved as a prepared report for ".fp3" (settings are not
// used there: every page is saved), exported through the filter of the extension
// otherwise. Throws platform::Error when the file cannot be written.
void writePreparedOutput(report::TfrxPreviewPages& pages, const QString& fileName,
                         const report::TfrxExportSettings& settings);

// The data source of a "--csv NAME=FILE" argument (the text after "--csv"). Throws
// platform::Error without "=", for an empty name, or when the file is not a CSV table.
std::unique_ptr<report::TfrxCsvDataSet> csvDataSetOf(const QString& argument);
