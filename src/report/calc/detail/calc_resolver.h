#pragma once

// What report expressions can name: the report's objects with their members, "Report",
// "Engine", "Outline", "Value", Get, Set, the lazy IIF and the aggregate functions, and
// references in angle brackets.

#include "report/calc/frx_calc.h"
#include "report/script/frx_expression.h"

namespace report {

class TfrxDataSet;

class ReportCalc::Resolver final : public NameResolver {
public:
    explicit Resolver(ReportCalc& calc) : calc_(calc) {}

    OperandPtr resolveName(const QString& name, CallArguments* call) override;
    bool isMacroFunction(const QString& name) override;
    OperandPtr resolveReference(const QString& text) override;
    OperandPtr resolveMember(OperandPtr& object, const QString& member, CallArguments* call) override;
    OperandPtr resolveIndex(OperandPtr& object, CallArguments& indexes) override;
    std::unique_ptr<TypeTest> resolveType(const QString& name) override;

private:
    ReportCalc& calc_;
};

namespace detail {

// System variables in the order their names are kept; -1 for other names.
int systemVariableIndex(QStringView name);
Value systemVariableValue(ReportCalc& calc, int index);

// A data reference "Source."Field"": the source among the report's data sets and the field
// name; false when the text is not one.
bool splitDataReference(const ReportCalc& calc, const QString& text, TfrxDataSet** source, QString* field);
// A field of the current row, with the missing-field error line and ConvertNulls.
Value readField(ReportCalc& calc, TfrxDataSet& source, const QString& field);

} // namespace detail
} // namespace report
