#pragma once

// Quotation lines made up in memory, for measuring and trying the report without a
// database: the same rows as the peer report harness's workload (eight kinds of part in
// turn, a description of about sixty characters that wraps in its cell, whole-yuan prices).

#include "report/model/frx_datasets.h"

#include <QString>
#include <vector>

struct GeneratedLine {
    QString category;
    QString description;
    int quantity;
    int unitPrice;
    qint64 amount;
};

std::vector<GeneratedLine> generateLines(int count);

// The lines view's fields over generated lines: DIY_ID, DIY_NM, HW_ID, L2_ID, HW_MS, DIY_SL,
// DIY_JG, DIY_CASH, L2_NM, DIY_SYS_ID.
class GeneratedLinesDataSet : public report::TfrxUserDataSet {
public:
    explicit GeneratedLinesDataSet(int count);
    QVariant GetValue(const QString& field) override;
    QString GetDisplayText(const QString& field) override;
    report::TfrxFieldType GetFieldType(const QString& field) override;
    int RecordCount() override { return int(lines_.size()); }

private:
    int fieldIndex(const QString& field) const;
    std::vector<GeneratedLine> lines_;
};
