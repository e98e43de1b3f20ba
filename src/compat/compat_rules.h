#pragma once
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The table of rules that reads a build's facts from the catalogue's own texts. The shop
// edits it; it is kept in the catalogue and exchanged as CSV with the header
// "部件,分类,事实,模式,取值".
namespace compat {

// What a rule reads. The table names them "插槽", "内存类型", "板型", "额定功率", "功耗" and
// "建议电源".
enum class Fact { Socket, MemoryType, FormFactor, RatedPower, PowerDraw, RecommendedPsu };

// The parts the checks compare; a rule of any other part only adds to the power estimate.
inline const QString kPartCpu = QStringLiteral("CPU");
inline const QString kPartBoard = QStringLiteral("主板");
inline const QString kPartMemory = QStringLiteral("内存");
inline const QString kPartGraphics = QStringLiteral("显卡");
inline const QString kPartPsu = QStringLiteral("电源");
inline const QString kPartCase = QStringLiteral("机箱");

struct Rule {
    QString part;       // 部件: which part of the build a line of these categories is
    QString categories; // 分类: words separated by "|"; a line whose category path holds one
                        // of them is this part (the first rule that says so decides)
    Fact fact = Fact::Socket; // 事实
    QString pattern;    // 模式: a regular expression looked for in the item's name and
                        // parameters (case ignored); its first group, or the whole match, is
                        // the value; empty finds every line of the part
    QString value;      // 取值: when not empty, the value instead of the matched text

    bool operator==(const Rule&) const = default;
};

QString factName(Fact fact);
std::optional<Fact> factNamed(const QString& name);

// The rules the program comes with: they read the sample catalogue and the usual Chinese and
// English parameter texts.
QList<Rule> defaultRules();

QByteArray rulesToCsv(const QList<Rule>& rules);

struct RulesRead {
    QList<Rule> rules;
    QStringList errors; // one line per record that is not a rule, naming its line
};
// UTF-8 or GBK, comma, semicolon or tab, as spreadsheets save it. A first record that is the
// header is skipped.
RulesRead rulesFromCsv(const QByteArray& bytes);

} // namespace compat
