#pragma once
#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <optional>

// Numbers and dates as the operator reads and types them. The locale parameter is the
// process's default (Chinese in the program, see chinese_conventions.h) unless a caller
// names another.
namespace platform {

// Shortest general decimal form with at most 15 significant digits: no trailing zeros,
// the locale's decimal separator, and an exponent ("1E20", "1.5E-7") only when the
// decimal exponent is below -4 or at least 15.
QString formatGeneral(double value, const QLocale& locale = QLocale());
// The same with the decimal separator given, for callers that keep it.
QString formatGeneral(double value, QStringView decimalPoint);

// A decimal number with the locale's separator or '.', optional sign and exponent,
// surrounding blanks allowed; nothing else (no group separators, no infinities).
std::optional<double> parseDecimal(const QString& text, const QLocale& locale = QLocale());

// Dates as "2026-12-09" and times of day as "2026-12-09 22:18", the Chinese forms that read
// the same on every desktop.
QString shortDate(const QDate& date);
QString shortDateTime(const QDateTime& dateTime);
// Reads what shortDate and shortDateTime write, with or without seconds, and "2026/12/9";
// an invalid date-time for anything else.
QDateTime readShortDateTime(const QString& text);

} // namespace platform
