#pragma once

// The model keeps values as QVariant (variables, a text object's value, data-source
// values); expressions work on Value. These convert between the two.

#include "report/value/frx_value.h"

#include <QVariant>

namespace report {

// Invalid or null variants give null; string lists their lines joined by CR LF; dates and
// times day numbers; byte arrays their text as UTF-8.
Value valueFromVariant(const QVariant& v);
// Null and empty give an invalid variant; date-times a QDateTime; arrays and objects too.
QVariant variantFromValue(const Value& v);

} // namespace report
