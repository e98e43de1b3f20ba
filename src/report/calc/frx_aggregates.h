#pragma once

// Aggregate functions (SUM, AVG, MIN, MAX, COUNT) of footer-like bands: one item per call
// written in a text object, fed by the rows of a data band and read and reset in the band
// that holds the object.
//
// The band engine registers the items of every page at the start of a run, takes values
// after each row of a data band, resets the items of a band after the band is output,
// opens and closes keep blocks, and takes back a row's values when it moves a footer with
// the row to a new page.

#include "report/value/frx_value.h"

#include <QList>
#include <QStringList>
#include <functional>
#include <vector>

namespace report {

class ReportCalc;
class TfrxBand;
class TfrxComponent;
class TfrxDataBand;
class TfrxReportPage;

enum class AggregateKind { Sum, Avg, Min, Max, Count };

struct TfrxAggregateItem {
    AggregateKind kind = AggregateKind::Sum;
    QString expression;               // empty for COUNT
    TfrxBand* dataBand = nullptr;     // the band whose rows feed the item
    bool countInvisible = false;      // flags bit 0
    bool running = false;             // flags bit 1: not reset once it has values
    TfrxBand* parentBand = nullptr;   // read and reset there
    bool pageFooter = false;
    QString callText;                 // "SUM(<ds."A">)" as written, trimmed
    QString objectName;
    int count = 0;
    Value value = Value::null();
    int previousCount = 0;
    Value previousValue = Value::null();
    int heldCount = 0;
    Value heldValue = Value::null();
    bool holding = false;
};

// An aggregate call found in an expression text: the function, its call text and its
// arguments split at top-level commas and trimmed.
struct AggregateCall {
    AggregateKind kind;
    QString callText;
    QStringList arguments;
};

// The aggregate calls of an expression: identifiers SUM, MIN, MAX, AVG or COUNT (any case)
// directly followed by "(", outside quoted strings, at any depth; also inside the value
// texts of the report variables the expression names (`variableText` gives a variable's
// text, or a null string for a name that is not a variable).
std::vector<AggregateCall> findAggregateCalls(const QString& expression,
                                              const std::function<QString(const QString& name)>& variableText);

// The function of an identifier ("sum" → Sum); false for other names.
bool aggregateKindOf(QStringView name, AggregateKind* kind);

class TfrxAggregateList {
public:
    explicit TfrxAggregateList(ReportCalc& calc) : calc_(calc) {}

    // Registers the items of a page whose bands have been linked (Footer, Groups, SubBands):
    // those of the linked master list (in order of Top, bands with a data source), then the
    // page footer, column footer and summary with the first of them as default band.
    void AddItems(TfrxReportPage& page, const QList<TfrxDataBand*>& masters);
    // Same, with the page's master data bands in child order standing for the linked list.
    void AddItems(TfrxReportPage& page);
    // Registers the calls of one text object's text with the given default data band; used
    // by AddItems.
    void AddObject(TfrxComponent& memo, TfrxBand* parentBand, TfrxBand* defaultDataBand);
    // Removes every item (start of a run).
    void Clear() { items_.clear(); }

    // A row of the data band was output (or skipped because the band is invisible).
    void AddValue(TfrxBand* dataBand, bool bandVisible = true);
    // Takes back the last value of the items fed by the data band.
    void DeleteValue(TfrxBand* dataBand);
    // The value of a call made while the objects of `parentBand` are evaluated; null when
    // no item matches. `arguments` are the call's argument texts.
    Value GetValue(TfrxBand* parentBand, AggregateKind kind, const QStringList& arguments) const;
    // After a band was output: its items start again, except running items with values.
    void Reset(TfrxBand* parentBand);
    // Between the two passes: every item starts again, running ones too.
    void ClearValues();
    void StartKeep();
    void EndKeep();

    const std::vector<TfrxAggregateItem>& Items() const { return items_; }

private:
    void addFromBandChain(TfrxBand* band, TfrxBand* defaultDataBand);
    void addDataBand(TfrxBand* dataBand);
    TfrxBand* bandNamed(const QString& name) const;

    ReportCalc& calc_;
    std::vector<TfrxAggregateItem> items_;
};

} // namespace report
