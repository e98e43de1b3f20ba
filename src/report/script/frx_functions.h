#pragma once

// The function library of report expressions: what a report author expects of the
// "PascalScript" language (strings, conversions, formatting, numbers, dates), with the
// platform's semantics. Names are matched ignoring letter case.

#include "report/value/frx_value.h"

namespace report {

using BuiltinFn = Value (*)(const Value* args, int count);

struct BuiltinFunction {
    const char* name;
    qint8 minArgs;
    qint8 maxArgs;
    // Same arguments, same result, no side effects: calls with constant arguments are
    // computed once at compile time.
    bool pure;
    BuiltinFn fn;
};

// The function of that name, or nullptr.
const BuiltinFunction* findBuiltinFunction(QStringView name);

// Calls a library function by name (for tests and tools); throws ScriptError for an unknown
// name or a wrong number of arguments, and whatever the function throws.
Value callBuiltinFunction(QStringView name, const std::vector<Value>& args);

} // namespace report
