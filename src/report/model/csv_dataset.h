#pragma once

// A data source over a CSV file, so a report can run over a file's rows without a
// database: a header row of field names, then the rows, read by the reader price lists
// are read with (platform/csv_text.h): UTF-8 with or without a byte-order mark, or GBK;
// comma, semicolon or tab separated; quoted fields holding separators, quotes and line
// breaks.

#include "report/model/frx_datasets.h"

#include <QByteArrayView>
#include <QHash>
#include <memory>
#include <vector>

namespace report {

// The cells of a CSV text, read once.
class TfrxCsvTable {
public:
    // Throws platform::Error for text that has no header row, ends inside a quoted field
    // or holds more cells than a report is meant to run over.
    static TfrxCsvTable parse(QByteArrayView text);

    const QStringList& fields() const { return fields_; }
    int rowCount() const { return int(rowStarts_.size()); }
    // Index of the field ignoring case (the first of equal names), or -1.
    int fieldIndex(const QString& name) const;
    // The cell; empty past the end of a short row or of the table.
    QString cell(int row, int field) const;

private:
    QStringList fields_;
    QHash<QString, int> byName_;
    QString text_;                  // every data cell, one after another
    std::vector<qsizetype> ends_;   // the end of each cell in text_
    std::vector<qsizetype> rowStarts_; // each row's first cell in ends_
    friend class CsvReader;
};

// A user data source whose rows are the table's: fields by the header's names, text
// values, one record per data row.
class TfrxCsvDataSet : public TfrxUserDataSet {
public:
    TfrxCsvDataSet(const QString& userName, TfrxCsvTable table);

    QVariant GetValue(const QString& field) override;
    QString GetDisplayText(const QString& field) override;
    TfrxFieldType GetFieldType(const QString& field) override;
    const TfrxCsvTable& Table() const { return table_; }

private:
    TfrxCsvTable table_;
};

// The data source NAME over the CSV file, for "--csv NAME=FILE". Throws platform::Error
// when the file cannot be read or is not a CSV table, or for an empty name. Add it to a
// report with report.DataSets().Add(&report).SetDataSet(source.get()).
std::unique_ptr<TfrxCsvDataSet> makeCsvDataSet(const QString& name, const QString& fileName);

} // namespace report
