#include "compat/compat_rules.h"

#include "platform/csv_text.h"

#include <QFile>
#include <array>
#include <utility>

namespace compat {

namespace {

constexpr std::array<std::pair<Fact, const char16_t*>, 6> kFactNames{{
    {Fact::Socket, u"插槽"},
    {Fact::MemoryType, u"内存类型"},
    {Fact::FormFactor, u"板型"},
    {Fact::RatedPower, u"额定功率"},
    {Fact::PowerDraw, u"功耗"},
    {Fact::RecommendedPsu, u"建议电源"},
}};

const QStringList& header()
{
    static const QStringList names{QStringLiteral("部件"), QStringLiteral("分类"), QStringLiteral("事实"),
                                   QStringLiteral("模式"), QStringLiteral("取值")};
    return names;
}

} // namespace

QString factName(Fact fact)
{
    for (const auto& [f, name] : kFactNames)
        if (f == fact)
            return QString::fromUtf16(name);
    return {};
}

std::optional<Fact> factNamed(const QString& name)
{
    const QString trimmed = name.trimmed();
    for (const auto& [f, text] : kFactNames)
        if (trimmed == QString::fromUtf16(text))
            return f;
    return std::nullopt;
}

QList<Rule> defaultRules()
{
    static const QList<Rule> rules = [] {
        QFile file(QStringLiteral(":/compat/compat_rules.csv"));
        return file.open(QIODevice::ReadOnly) ? rulesFromCsv(file.readAll()).rules : QList<Rule>();
    }();
    return rules;
}

QByteArray rulesToCsv(const QList<Rule>& rules)
{
    QString out = header().join(u',') + QStringLiteral("\r\n");
    for (const Rule& r : rules) {
        const QStringList fields{r.part, r.categories, factName(r.fact), r.pattern, r.value};
        for (qsizetype i = 0; i < fields.size(); ++i) {
            if (i > 0)
                out += u',';
            out += platform::csv::quoted(fields[i]);
        }
        out += QStringLiteral("\r\n");
    }
    return out.toUtf8();
}

RulesRead rulesFromCsv(const QByteArray& bytes)
{
    RulesRead read;
    const platform::csv::Decoded decoded = platform::csv::decode(bytes);
    platform::csv::Reader reader(decoded.text, platform::csv::detectDelimiter(decoded.text));
    platform::csv::Record record;
    bool first = true;
    while (reader.next(record)) {
        const QString where = QStringLiteral("第 %1 行").arg(record.line);
        if (!record.error.isEmpty()) {
            read.errors << where + QStringLiteral("：") + record.error;
            continue;
        }
        QStringList f = record.fields;
        for (QString& field : f)
            field = field.trimmed();
        if (std::exchange(first, false) && !f.isEmpty() && f.first() == header().first())
            continue;
        while (f.size() < 5)
            f << QString();
        if (f[0].isEmpty()) {
            read.errors << where + QStringLiteral("：没有部件");
            continue;
        }
        const std::optional<Fact> fact = factNamed(f[2]);
        if (!fact) {
            read.errors << where + QStringLiteral("：事实“%1”不是插槽、内存类型、板型、额定功率、功耗或建议电源").arg(f[2]);
            continue;
        }
        // The pattern keeps its blanks: they may be part of what it looks for.
        read.rules << Rule{f[0], f[1], *fact, record.fields.value(3), f[4]};
    }
    return read;
}

} // namespace compat
