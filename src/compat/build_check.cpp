#include "compat/build_check.h"

#include "compat/detail/fact_values.h"

#include <QRegularExpression>
#include <algorithm>

namespace compat {

using namespace detail;

namespace {

// Every pattern runs under this bound on its backtracking steps: a pattern that would take
// exponential time on some text finds nothing there instead, in a moment.
const QString kBound = QStringLiteral("(*LIMIT_MATCH=100000)(*LIMIT_DEPTH=10000)");
constexpr qsizetype kMaxPattern = 500;

QStringList categoryWords(const QString& categories)
{
    QStringList words;
    for (const QString& word : categories.split(u'|', Qt::SkipEmptyParts))
        if (const QString w = word.trimmed(); !w.isEmpty())
            words << w;
    return words;
}

// The recommended supply for an estimated draw: 1.3 times it, up to the next 50 W.
int recommendedFor(int watts)
{
    const int withMargin = (watts * 13 + 9) / 10;
    return (withMargin + 49) / 50 * 50;
}

} // namespace

struct RuleSet::Compiled {
    QString part;
    QStringList categories;
    Fact fact;
    QRegularExpression pattern; // invalid when the rule has none: it finds every line
    bool hasPattern = false;
    QString value;

    bool inCategories(const QString& path) const
    {
        return std::any_of(categories.cbegin(), categories.cend(),
                           [&](const QString& w) { return path.contains(w, Qt::CaseInsensitive); });
    }
    // The value the rule reads from the text, or an empty text when it reads none.
    QString read(const QString& text) const
    {
        if (!hasPattern)
            return value;
        const QRegularExpressionMatch m = pattern.match(text);
        if (!m.hasMatch())
            return {};
        if (!value.isEmpty())
            return value;
        const QString group = pattern.captureCount() > 0 ? m.captured(1) : QString();
        return group.isEmpty() ? m.captured(0) : group;
    }
};

RuleSet::RuleSet(const QList<Rule>& rules)
{
    int number = 0;
    for (const Rule& rule : rules) {
        ++number;
        const QString where = QStringLiteral("第 %1 条规则：").arg(number);
        const QStringList words = categoryWords(rule.categories);
        if (words.isEmpty()) {
            errors_ << where + QStringLiteral("没有分类");
            continue;
        }
        Compiled c{rule.part.trimmed(), words, rule.fact, {}, !rule.pattern.isEmpty(), rule.value.trimmed()};
        if (c.hasPattern) {
            // Verbs at the start of a pattern could lift the bound; a very long pattern is
            // no rule a shop writes by hand.
            if (rule.pattern.contains(QLatin1StringView("(*"))) {
                errors_ << where + QStringLiteral("模式不能含有“(*”");
                continue;
            }
            if (rule.pattern.size() > kMaxPattern) {
                errors_ << where + QStringLiteral("模式超过 %1 个字符").arg(kMaxPattern);
                continue;
            }
            c.pattern = QRegularExpression(kBound + rule.pattern, QRegularExpression::CaseInsensitiveOption);
            if (!c.pattern.isValid()) {
                errors_ << where + QStringLiteral("模式无效（%1）").arg(c.pattern.errorString());
                continue;
            }
            c.pattern.optimize();
        } else if (c.value.isEmpty()) {
            errors_ << where + QStringLiteral("没有模式时要写取值");
            continue;
        }
        rules_.push_back(std::move(c));
    }
}

RuleSet::~RuleSet() = default;
RuleSet::RuleSet(RuleSet&&) noexcept = default;
RuleSet& RuleSet::operator=(RuleSet&&) noexcept = default;

Facts RuleSet::factsOf(const Line& line) const
{
    Facts facts;
    const auto owner = std::find_if(rules_.cbegin(), rules_.cend(),
                                    [&](const Compiled& r) { return r.inCategories(line.categoryPath); });
    if (owner == rules_.cend())
        return facts;
    facts.part = owner->part;
    const QString text = searchableText(line.name, line.parameters);
    for (const Compiled& rule : rules_) {
        if (rule.part != facts.part || !rule.inCategories(line.categoryPath))
            continue;
        switch (rule.fact) {
        case Fact::Socket:
            if (facts.socket.isEmpty())
                facts.socket = compactToken(rule.read(text));
            break;
        case Fact::MemoryType:
            if (facts.memoryType.isEmpty())
                facts.memoryType = compactToken(rule.read(text));
            break;
        case Fact::FormFactor:
            if (facts.formFactor.isEmpty())
                facts.formFactor = formFactorOf(rule.read(text));
            break;
        case Fact::RatedPower:
            if (!facts.ratedPower)
                facts.ratedPower = wattsOf(rule.read(text));
            break;
        case Fact::PowerDraw:
            if (!facts.powerDraw)
                facts.powerDraw = wattsOf(rule.read(text));
            break;
        case Fact::RecommendedPsu:
            if (!facts.recommendedPsu)
                facts.recommendedPsu = wattsOf(rule.read(text));
            break;
        }
    }
    return facts;
}

Check RuleSet::check(const QList<Line>& lines) const
{
    std::vector<Facts> all;
    all.reserve(std::size_t(lines.size()));
    int draw = 0;
    bool drawKnown = false;
    int gpuAdvice = 0;
    for (const Line& line : lines) {
        all.push_back(factsOf(line));
        const Facts& f = all.back();
        // A part counted at 0 W (a UPS, a power strip) is claimed by its rule so that no
        // other rule reads it, and adds nothing.
        if (f.powerDraw && *f.powerDraw > 0) {
            draw += *f.powerDraw * std::max(line.quantity, 0);
            drawKnown = true;
        }
        if (f.recommendedPsu)
            gpuAdvice = std::max(gpuAdvice, *f.recommendedPsu);
    }
    const auto firstOf = [&](const QString& part, auto has) -> const Facts* {
        for (const Facts& f : all)
            if (f.part == part && has(f))
                return &f;
        return nullptr;
    };

    Check result;
    if (drawKnown)
        result.powerWatts = draw;
    const auto warn = [&](const QString& text) {
        if (!result.warnings.contains(text))
            result.warnings << text;
    };

    const Facts* boardSocket = firstOf(kPartBoard, [](const Facts& f) { return !f.socket.isEmpty(); });
    const Facts* boardMemory = firstOf(kPartBoard, [](const Facts& f) { return !f.memoryType.isEmpty(); });
    const Facts* boardSize = firstOf(kPartBoard, [](const Facts& f) { return !f.formFactor.isEmpty(); });
    for (const Facts& f : all) {
        if (f.part == kPartCpu && boardSocket && !f.socket.isEmpty() && f.socket != boardSocket->socket)
            warn(QStringLiteral("CPU 插槽 %1 与主板 %2 不一致").arg(f.socket, boardSocket->socket));
        if (f.part == kPartMemory && boardMemory && !f.memoryType.isEmpty() && f.memoryType != boardMemory->memoryType)
            warn(QStringLiteral("内存 %1 与主板 %2 不一致").arg(f.memoryType, boardMemory->memoryType));
        if (f.part == kPartCase && boardSize && !f.formFactor.isEmpty()
            && formFactorRank(boardSize->formFactor) > formFactorRank(f.formFactor))
            warn(QStringLiteral("主板 %1 放不进 %2 机箱").arg(boardSize->formFactor, f.formFactor));
    }

    // The largest supply quoted is the one that is built in.
    std::optional<int> supply;
    for (const Facts& f : all)
        if (f.part == kPartPsu && f.ratedPower)
            supply = std::max(supply.value_or(0), *f.ratedPower);
    if (supply) {
        const int byDraw = drawKnown ? recommendedFor(draw) : 0;
        if (gpuAdvice > byDraw && *supply < gpuAdvice)
            warn(QStringLiteral("电源 %1W 小于显卡建议的 %2W").arg(*supply).arg(gpuAdvice));
        else if (*supply < byDraw)
            warn(QStringLiteral("电源 %1W 小于建议的 %2W (预计功耗 × 1.3)").arg(*supply).arg(byDraw));
    }
    return result;
}

QString estimateText(const Check& check)
{
    return check.powerWatts ? QStringLiteral("预计功耗 约 %1W").arg(*check.powerWatts) : QString();
}

} // namespace compat
