#include "compat/detail/fact_values.h"

#include <QRegularExpression>
#include <array>

namespace compat::detail {

namespace {

// Parameters beyond this are not read: the rules look for short facts, and a bound text
// keeps every check cheap whatever a shop pastes into an item.
constexpr qsizetype kMaxSearched = 4000;

struct Size {
    const char16_t* spelling; // as compactToken leaves it
    const char* canonical;
    int rank;
};

constexpr std::array<Size, 8> kSizes{{
    {u"ITX", "ITX", 1},
    {u"MINIITX", "ITX", 1},
    {u"MATX", "M-ATX", 2},
    {u"MICROATX", "M-ATX", 2},
    {u"\u039CATX", "M-ATX", 2}, // μATX
    {u"ATX", "ATX", 3},
    {u"EATX", "E-ATX", 4},
    {u"SSIEEB", "E-ATX", 4},
}};

} // namespace

QString searchableText(const QString& name, const QString& parameters)
{
    QString text = name + u' ' + parameters;
    if (text.size() > kMaxSearched)
        text.truncate(kMaxSearched);
    // Compatibility forms fold the full-width ASCII block and the ideographic space; the
    // Chinese characters themselves stay as they are.
    for (QChar& c : text) {
        const char16_t u = c.unicode();
        if (u >= 0xFF01 && u <= 0xFF5E)
            c = QChar(char16_t(u - 0xFF01 + 0x21));
        else if (u == 0x3000)
            c = QChar(u' ');
    }
    return text;
}

QString compactToken(const QString& value)
{
    QString out;
    out.reserve(value.size());
    for (const QChar c : value)
        if (!c.isSpace() && c != u'-' && c != u'_')
            out += c.toUpper();
    return out;
}

QString formFactorOf(const QString& value)
{
    static const QRegularExpression separators(QStringLiteral("[/、,，;；|\\s]+"));
    const Size* best = nullptr;
    for (const QString& part : value.split(separators, Qt::SkipEmptyParts)) {
        const QString token = compactToken(part);
        for (const Size& size : kSizes) {
            if (token == QStringView(size.spelling)) {
                if (!best || size.rank > best->rank)
                    best = &size;
                break;
            }
        }
    }
    return best ? QString::fromLatin1(best->canonical) : QString();
}

int formFactorRank(const QString& formFactor)
{
    for (const Size& size : kSizes)
        if (formFactor == QLatin1StringView(size.canonical))
            return size.rank;
    return 0;
}

std::optional<int> wattsOf(const QString& value)
{
    qsizetype i = 0;
    while (i < value.size() && !value[i].isDigit())
        ++i;
    if (i == value.size())
        return std::nullopt;
    qint64 n = 0;
    for (; i < value.size() && value[i].isDigit() && n < 1000000; ++i)
        n = n * 10 + value[i].digitValue();
    return int(n);
}

} // namespace compat::detail
