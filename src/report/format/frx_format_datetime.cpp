// FormatDateTime with the platform's pattern language, names and separators from the
// current format locale.

#include "report/format/frx_format.h"

#include <cmath>

namespace report {

namespace {

QDateTime toQt(double dayNumber)
{
    const QDateTime dt = dayNumberToDateTime(dayNumber);
    if (!dt.isValid())
        throw ScriptError(QStringLiteral("Invalid argument to date encode"));
    return dt;
}

// The first character of a Qt pattern that is neither a letter nor quoted.
QString separatorOf(const QString& pattern, QChar fallback)
{
    bool quoted = false;
    for (QChar c : pattern) {
        if (c == u'\'')
            quoted = !quoted;
        else if (!quoted && !c.isLetter() && !c.isSpace())
            return QString(c);
    }
    return QString(fallback);
}

QString dateSeparator()
{
    return separatorOf(formatLocale().dateFormat(QLocale::ShortFormat), u'/');
}

QString timeSeparator()
{
    return separatorOf(formatLocale().timeFormat(QLocale::ShortFormat), u':');
}

// The locale's long time form with seconds and without the time zone.
QString longTimePattern()
{
    QString pattern = formatLocale().timeFormat(QLocale::LongFormat);
    QString out;
    bool quoted = false;
    for (QChar c : pattern) {
        if (c == u'\'')
            quoted = !quoted;
        if (!quoted && c == u't')
            continue;
        out += c;
    }
    out = out.trimmed();
    if (!out.contains(u's'))
        out = QStringLiteral("HH:mm:ss");
    return out;
}

QString number(int value, int digits)
{
    return QString::number(value).rightJustified(digits, u'0');
}

bool startsWithCI(QStringView text, qsizetype at, const char* what)
{
    const QLatin1String w(what);
    return text.mid(at).startsWith(w, Qt::CaseInsensitive);
}

// True when an am/pm marker follows in the rest of the pattern (outside quotes) before the
// next hour specifier.
bool twelveHourAhead(QStringView f, qsizetype from)
{
    QChar quote;
    for (qsizetype i = from; i < f.size(); ++i) {
        const QChar c = f[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == u'\'' || c == u'"') {
            quote = c;
        } else if (c == u'h' || c == u'H') {
            return false;
        } else if (c == u'a' || c == u'A') {
            if (startsWithCI(f, i, "am/pm") || startsWithCI(f, i, "a/p") || startsWithCI(f, i, "ampm"))
                return true;
        }
    }
    return false;
}

} // namespace

QString shortDateText(double dayNumber)
{
    return formatLocale().toString(toQt(dayNumber).date(), QLocale::ShortFormat);
}

QString longDateText(double dayNumber)
{
    return formatLocale().toString(toQt(dayNumber).date(), QLocale::LongFormat);
}

QString shortTimeText(double dayNumber)
{
    return formatLocale().toString(toQt(dayNumber).time(), QLocale::ShortFormat);
}

QString longTimeText(double dayNumber)
{
    return formatLocale().toString(toQt(dayNumber).time(), longTimePattern());
}

QString formatDateTimePattern(QStringView format, double dayNumber)
{
    if (format.isEmpty())
        format = u"c";
    const QDateTime dt = toQt(dayNumber);
    const QDate date = dt.date();
    const QTime time = dt.time();
    const QLocale& locale = formatLocale();
    QString out;
    QChar lastLetter;
    bool twelveHour = false;
    const qsizetype n = format.size();
    qsizetype i = 0;
    auto count = [&](QChar upper) {
        int k = 1;
        while (i < n && format[i].toUpper() == upper) {
            ++k;
            ++i;
        }
        return k;
    };
    while (i < n) {
        const QChar raw = format[i];
        QChar token = raw.toUpper();
        ++i;
        if (token.unicode() >= u'A' && token.unicode() <= u'Z') {
            // "m" right after an hour is the minute.
            if (token == u'M' && lastLetter == u'H')
                token = u'N';
            lastLetter = token;
        }
        switch (token.unicode()) {
        case u'Y': {
            const int k = count(u'Y');
            out += k <= 2 ? number(date.year() % 100, 2) : number(date.year(), 4);
            break;
        }
        case u'M': {
            const int k = count(u'M');
            if (k <= 2)
                out += number(date.month(), k);
            else if (k == 3)
                out += locale.monthName(date.month(), QLocale::ShortFormat);
            else
                out += locale.monthName(date.month(), QLocale::LongFormat);
            break;
        }
        case u'D': {
            const int k = count(u'D');
            switch (k) {
            case 1:
            case 2: out += number(date.day(), k); break;
            case 3: out += locale.dayName(date.dayOfWeek(), QLocale::ShortFormat); break;
            case 4: out += locale.dayName(date.dayOfWeek(), QLocale::LongFormat); break;
            case 5: out += locale.toString(date, QLocale::ShortFormat); break;
            default: out += locale.toString(date, QLocale::LongFormat); break;
            }
            break;
        }
        case u'H': {
            const int k = std::min(count(u'H'), 2);
            twelveHour = twelveHourAhead(format, i);
            int hour = time.hour();
            if (twelveHour) {
                hour %= 12;
                if (hour == 0)
                    hour = 12;
            }
            out += number(hour, k);
            break;
        }
        case u'N': {
            // Counts "m" and "n" alike after an hour.
            int k = 1;
            while (i < n && (format[i].toUpper() == u'N' || format[i].toUpper() == u'M')) {
                ++k;
                ++i;
            }
            out += number(time.minute(), std::min(k, 2));
            break;
        }
        case u'S': out += number(time.second(), std::min(count(u'S'), 2)); break;
        case u'Z': out += number(time.msec(), std::min(count(u'Z'), 3)); break;
        case u'T': {
            const int k = count(u'T');
            out += k == 1 ? locale.toString(time, QLocale::ShortFormat)
                          : locale.toString(time, longTimePattern());
            break;
        }
        case u'C':
            count(u'C');
            out += locale.toString(date, QLocale::ShortFormat);
            if (time.msecsSinceStartOfDay() != 0)
                out += u' ' + locale.toString(time, longTimePattern());
            break;
        case u'A': {
            const qsizetype at = i - 1;
            const bool pm = time.hour() >= 12;
            if (startsWithCI(format, at, "am/pm")) {
                const bool lower = format[at].isLower();
                const QString t = pm ? QStringLiteral("PM") : QStringLiteral("AM");
                out += lower ? t.toLower() : t;
                i = at + 5;
            } else if (startsWithCI(format, at, "a/p")) {
                const bool lower = format[at].isLower();
                const QString t = pm ? QStringLiteral("P") : QStringLiteral("A");
                out += lower ? t.toLower() : t;
                i = at + 3;
            } else if (startsWithCI(format, at, "ampm")) {
                out += pm ? locale.pmText() : locale.amText();
                i = at + 4;
            } else {
                out += raw;
            }
            break;
        }
        case u'/': out += dateSeparator(); break;
        case u':': out += timeSeparator(); break;
        case u'\'':
        case u'"': {
            const qsizetype close = format.indexOf(raw, i);
            const qsizetype end = close < 0 ? n : close;
            out += format.mid(i, end - i);
            i = close < 0 ? n : close + 1;
            break;
        }
        case u'G':
        case u'E':
            // Eras: the platform's Gregorian locales write nothing for "g"; "e" is the year.
            if (token == u'E')
                out += QString::number(date.year());
            count(token);
            break;
        default: out += raw; break;
        }
    }
    (void)twelveHour;
    return out;
}

} // namespace report
