#pragma once
#include "compat/compat_rules.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

// Checks a quotation's lines against each other: CPU and board sockets, memory and board
// memory type, board and case sizes, the power supply against the estimated draw. Nothing is
// refused; a line the rules cannot read is simply not checked.
namespace compat {

struct Line {
    QString categoryPath; // the item's category names, outermost first, in one text
    QString name;
    QString parameters;   // 详细参数
    int quantity = 1;
};

// What the rules read from one line; empty where they found nothing.
struct Facts {
    QString part;
    QString socket;
    QString memoryType;
    QString formFactor;              // "E-ATX", "ATX", "M-ATX" or "ITX"
    std::optional<int> ratedPower;   // W
    std::optional<int> powerDraw;    // W, for one piece
    std::optional<int> recommendedPsu; // W
};

struct Check {
    std::optional<int> powerWatts; // the estimate; none when no line tells its draw
    QStringList warnings;          // one problem a line, in the order of the checks
};

// "预计功耗 约 420W", or empty without an estimate.
QString estimateText(const Check& check);

// The rules compiled once per change of the table. A rule whose pattern is not a valid or
// not a safe expression is left out with an error line; matching is bounded, so that no
// pattern can make a check take long.
class RuleSet {
public:
    explicit RuleSet(const QList<Rule>& rules);
    ~RuleSet();
    RuleSet(RuleSet&&) noexcept;
    RuleSet& operator=(RuleSet&&) noexcept;

    // One line per rule left out: "第 N 条规则：…".
    const QStringList& errors() const { return errors_; }

    Facts factsOf(const Line& line) const;
    Check check(const QList<Line>& lines) const;

private:
    struct Compiled;
    std::vector<Compiled> rules_;
    QStringList errors_;
};

} // namespace compat
