#pragma once

// The platform's formatting routines, as the report language and the display formats use
// them, with the current format locale (report::formatLocale()) for separators and names:
// - Format: printf-style ("%d", "%2.2f", "%-10s", "%.3e", "%n", "%x", "%0:s", "*" widths);
// - FormatFloat: picture formats ("#,##0.00", "0.###", "0.00E+00", sections "pos;neg;zero");
// - FormatDateTime: date-time patterns ("yyyy.mm.dd", "hh:mm", "dd/mm/yy", "mmmm", "c").
// Decimal digits are rounded half away from zero, as the platform does. Failures raise
// ScriptError with the platform's texts.

#include "report/value/frx_value.h"

namespace report {

// Format(format, args).
QString formatPrintf(QStringView format, const Value* args, int count);
inline QString formatPrintf(QStringView format, const ValueArray& args)
{
    return formatPrintf(format, args.data(), int(args.size()));
}

// FormatFloat(format, value); an empty format gives the general form.
QString formatFloatPicture(QStringView format, double value);

// FormatDateTime(format, dayNumber); an empty format gives the "c" form.
QString formatDateTimePattern(QStringView format, double dayNumber);

// The locale's forms the patterns refer to, in FormatDateTime's pattern language.
QString shortDateText(double dayNumber);   // "ddddd"
QString longDateText(double dayNumber);    // "dddddd"
QString shortTimeText(double dayNumber);   // "t"
QString longTimeText(double dayNumber);    // "tt" (with seconds)

} // namespace report
