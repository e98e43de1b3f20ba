#pragma once

// Evaluating expressions for one report: the expression cache of a preparation, the name
// resolution (data fields, system variables, host values, report and global variables,
// script variables), Get and Set, and the error lines.
//
// The band engine owns one ReportCalc per report, calls StartPreparation at the start of
// every preparation, keeps System() and the current object and band up to date, and fills
// the members of "Engine" and "Outline".

#include "report/value/frx_value.h"

#include <QHash>
#include <functional>
#include <memory>

namespace report {

class TfrxReport;
class TfrxBand;
class TfrxVariables;
class TfrxAggregateList;

// Calc failed: the message is the error line, which is already in the report's error list.
class CalcError : public platform::Error {
public:
    using platform::Error::Error;
};

// The process-wide variables shared by all reports.
TfrxVariables& frxGlobalVariables();

// What "[CopyName#]" prints on copy `copyNo` (0 outside a print job): the global variable
// "CopyName" followed by that number, or nothing when there is no such variable.
QString copyNameText(int copyNo);

// The values behind the system variables, kept by the band engine.
struct SystemValues {
    double date = 0;       // day number of the start of the preparation
    double time = 0;       // time of day of the start, as a day fraction
    int page = 0;          // Page: logical page number
    int pageNo = 0;        // Page#: index of the prepared page + 1
    int totalPages = 0;    // TotalPages: logical page total
    int totalPagesAll = 0; // TotalPages#: 0 in a single pass, the first pass's count after
    int line = 0;          // Line
    int lineThrough = 0;   // Line#
};

// Named values of a script object whose members the band engine fills ("Engine", "Outline").
// Expressions may only name members that exist when they are compiled.
class MemberTable {
public:
    void set(const QString& name, const Value& value) { values_[name.toLower()] = value; }
    const Value* find(const QString& name) const
    {
        const auto it = values_.constFind(name.toLower());
        return it == values_.cend() ? nullptr : &*it;
    }

private:
    QHash<QString, Value> values_;
};

class ReportCalc {
public:
    explicit ReportCalc(TfrxReport& report);
    ~ReportCalc();
    ReportCalc(const ReportCalc&) = delete;
    ReportCalc& operator=(const ReportCalc&) = delete;

    TfrxReport& Report() const { return report_; }

    // Empties the expression cache, takes the report's ScriptLanguage and sets Date and Time
    // to now. Fails with the script error line when the report's script text is not accepted.
    void StartPreparation();
    void StartPreparation(double startDayNumber);
    // Ends the preparation: the compiled expressions and the aggregate items point at
    // objects of the template, which is reloaded after a run, so they are forgotten. Until
    // the next StartPreparation every Calc compiles its text afresh and keeps nothing.
    void EndPreparation();
    bool Preparing() const { return preparing_; }

    // The value of an expression, or CalcError (the line is added to the report's errors).
    Value Calc(const QString& expression);
    // The name resolution; false when the name does not resolve.
    bool ResolveName(const QString& name, Value* value);
    // A name in angle brackets: the name resolution, an aggregate call, or null with a
    // "clUnknownVar" error line.
    Value Get(const QString& name);
    // Writes a report variable, appending it when missing.
    void Set(const QString& name, const Value& value);

    SystemValues& System() { return system_; }
    MemberTable& EngineMembers() { return engine_; }
    MemberTable& OutlineMembers() { return outline_; }
    TfrxAggregateList& Aggregates() { return *aggregates_; }

    // Set by the band engine before each band and object is processed.
    void SetCurrentObjectName(const QString& name) { currentObject_ = name; }
    const QString& CurrentObjectName() const { return currentObject_; }
    void SetCurrentBand(TfrxBand* band) { currentBand_ = band; }
    TfrxBand* CurrentBand() const { return currentBand_; }

    // The script variable "Value": the value of the text object last evaluated.
    const Value& LastValue() const { return lastValue_; }
    void SetLastValue(const Value& value) { lastValue_ = value; }

    // Host values asked for names that are not data fields or system variables; true when
    // it assigned the value.
    std::function<bool(const QString& name, Value& value)> OnGetValue;

    // Adds "current object: text" (or the text alone) to the report's error list and
    // returns the line.
    QString AddError(const QString& text);
    // The number of compiled texts of this preparation.
    int CacheSize() const;

private:
    class Resolver;
    struct Cache;
    Value evaluateVariable(const QVariant& value);

    TfrxReport& report_;
    SystemValues system_;
    MemberTable engine_, outline_;
    std::unique_ptr<TfrxAggregateList> aggregates_;
    std::unique_ptr<Resolver> resolver_;
    std::unique_ptr<Cache> cache_;
    QString currentObject_;
    TfrxBand* currentBand_ = nullptr;
    Value lastValue_;
    int depth_ = 0;
    bool preparing_ = false;
};

} // namespace report
