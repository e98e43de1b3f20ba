#pragma once
#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <optional>

// Numbers and dates as the operator reads and types them. The locale parameter is the
// system's unless a caller (or a test) names another.
namespace platform {

// Shortest general decimal form with at most 15 significant digits: no trailing zeros,
// the locale's decimal separator, and an exponent ("1E20", "1.5E-7") only when the
// decimal exponent is below -4 or at least 15.
QString formatGeneral(double value, const QLocale& locale = QLocale::system());
// The same with the decimal separator given, for callers that keep it.
QString formatGeneral(double value, QStringView decimalPoint);

// A decimal number with the locale's separator or '.', optional sign and exponent,
// surrounding blanks allowed; nothing else (no group separators, no infinities).
std::optional<double> parseDecimal(const QString& text, const QLocale& locale = QLocale::system());

QString shortDate(const QDate& date, const QLocale& locale = QLocale::system());
QString shortDateTime(const QDateTime& dateTime, const QLocale& locale = QLocale::system());

} // namespace platform
