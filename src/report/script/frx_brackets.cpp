#include "report/script/frx_brackets.h"

namespace report {

Delimiters parseDelimiters(const QString& expressionDelimiters)
{
    Delimiters d;
    // The usual "[,]" is the default pair: nothing to cut out, for every object of every row.
    if (expressionDelimiters == QLatin1StringView("[,]"))
        return d;
    const qsizetype comma = expressionDelimiters.indexOf(u',');
    d.open = (comma < 0 ? expressionDelimiters : expressionDelimiters.left(comma)).left(255);
    d.close = comma < 0 ? QString() : expressionDelimiters.mid(comma + 1).left(255);
    return d;
}

BracketMatch matchBracket(QStringView text, qsizetype from, const Delimiters& delimiters)
{
    BracketMatch m;
    const QStringView open(delimiters.open), close(delimiters.close);
    if (open.isEmpty() || close.isEmpty() || from < 0)
        return m;
    const qsizetype start = text.indexOf(open, from);
    if (start < 0)
        return m;
    int depth = 0;
    bool outsideDouble = true;
    bool outsideSingle = true;
    const bool single = open.size() == 1 && close.size() == 1;
    const QChar open1 = open[0], close1 = close[0];
    for (qsizetype j = start; j < text.size(); ++j) {
        if (outsideDouble && outsideSingle) {
            const QStringView rest = text.mid(j);
            if (single ? text[j] == open1 : rest.startsWith(open)) {
                if (depth == 0)
                    m.begin = j;
                ++depth;
            } else if (single ? text[j] == close1 : rest.startsWith(close)) {
                --depth;
            }
        }
        const QChar c = text[j];
        if (outsideSingle && c == u'"')
            outsideDouble = !outsideDouble;
        if (outsideDouble && c == u'\'')
            outsideSingle = !outsideSingle;
        if (depth == 0) {
            const qsizetype first = m.begin + open.size();
            m.expression = text.mid(first, std::max<qsizetype>(0, j - first)).toString();
            m.end = std::min(j + close.size(), text.size());
            m.found = true;
            return m;
        }
    }
    return m; // never closed
}

QString expandBrackets(const QString& text, const Delimiters& delimiters,
                       const std::function<QString(const QString& expression)>& evaluate)
{
    if (delimiters.open.isEmpty() || delimiters.close.isEmpty() || !text.contains(delimiters.open))
        return text;
    QString out;
    out.reserve(text.size() + 16);
    qsizetype pos = 0;
    for (;;) {
        const BracketMatch m = matchBracket(text, pos, delimiters);
        if (!m.found)
            break;
        out += QStringView(text).mid(pos, m.begin - pos);
        out += evaluate(m.expression);
        pos = m.end;
    }
    out += QStringView(text).mid(pos);
    return out;
}

} // namespace report
