#include "report/format/frx_display_format.h"

#include "report/format/frx_format.h"
#include "report/value/frx_value_ops.h"

namespace report {

QString plainText(const Value& value)
{
    try {
        return value.toString();
    } catch (const platform::Error&) {
        return QString();
    }
}

namespace {

// A format with no "%" is a picture ("0.00", "#,##0.00"): as a printf format it would print
// itself whatever the number.
bool isPictureFormat(const QString& format)
{
    return format.startsWith(u'#') || !format.contains(u'%');
}

QString formatNumeric(const Value& value, const DisplayFormat& format)
{
    const QString& f = format.formatStr;
    QString text;
    if (isPictureFormat(f)) {
        text = formatFloatPicture(f, value.toDouble());
    } else if (f.contains(u'd')) {
        const Value arg(value.toInt32());
        text = formatPrintf(f, &arg, 1);
    } else {
        const Value arg(value.toDouble());
        text = formatPrintf(f, &arg, 1);
    }
    const QChar system = formatDecimalSeparator();
    if (format.decimalSeparator.size() == 1 && format.decimalSeparator.at(0) != system)
        text.replace(system, format.decimalSeparator.at(0));
    return text;
}

QString formatBoolean(const Value& value, const DisplayFormat& format)
{
    const QString& f = format.formatStr;
    const qsizetype comma = f.indexOf(u',');
    if (valuesEqual(value, Value(true)))
        return comma < 0 ? QString() : f.left(comma);
    return f.mid(comma + 1, 255);
}

} // namespace

QString formatDisplayValue(const Value& value, const DisplayFormat& format)
{
    if (value.isNull())
        return QString();
    try {
        switch (format.kind) {
        case DisplayKind::fkText: break;
        case DisplayKind::fkNumeric: return formatNumeric(value, format);
        case DisplayKind::fkDateTime: return formatDateTimePattern(format.formatStr, value.toDateTime());
        case DisplayKind::fkBoolean: return formatBoolean(value, format);
        }
    } catch (const platform::Error&) {
        // falls back to the plain conversion
    }
    return plainText(value);
}

InlineFormat splitInlineFormat(const QString& bracketText)
{
    InlineFormat result;
    const qsizetype at = bracketText.indexOf(QLatin1String(" #"));
    if (at < 0) {
        result.expression = bracketText;
        return result;
    }
    QString part = bracketText.mid(at + 2);
    if (part.contains(u')')) {
        result.expression = bracketText;
        return result;
    }
    result.expression = bracketText.left(at);
    DisplayFormat format;
    const QChar kind = part.isEmpty() ? QChar() : part.at(0);
    switch (kind.unicode()) {
    case u'B':
    case u'b': format.kind = DisplayKind::fkBoolean; break;
    case u'D':
    case u'd':
    case u'T':
    case u't': format.kind = DisplayKind::fkDateTime; break;
    case u'N':
    case u'n': format.kind = DisplayKind::fkNumeric; break;
    default: format.kind = DisplayKind::fkText; break;
    }
    // In a printf format ("%2,2f") a comma or minus names the decimal separator; in a picture
    // ("#,##0.00") the comma groups thousands and stays.
    if (format.kind == DisplayKind::fkNumeric && !isPictureFormat(part.mid(1))) {
        for (qsizetype i = 0; i < part.size(); ++i) {
            if (part[i] == u',' || part[i] == u'-') {
                format.decimalSeparator = QString(part[i]);
                part[i] = u'.';
            }
        }
    }
    format.formatStr = part.mid(1, 255);
    result.format = std::move(format);
    return result;
}

} // namespace report
