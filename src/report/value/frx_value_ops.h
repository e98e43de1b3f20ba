#pragma once

// The operators of the report language on values, with the platform's variant rules:
// - null in an arithmetic or logical operation gives null; comparisons treat null as equal
//   to null and smaller than anything else;
// - "+" joins two strings; otherwise a string operand is converted to a number (a failed
//   conversion raises ScriptError);
// - booleans are -1 and 0 as numbers; "and", "or", "xor", "not" are logical on booleans
//   and bitwise on integers;
// - 32-bit integer results that overflow become 64-bit, 64-bit ones become floating;
// - "/" always divides as floating point; "div" and "mod" are integer operations;
// - date-time plus or minus a number is a date-time, the difference of two date-times a
//   floating day count.
// The common cases (two 32-bit integers, two doubles) are inline; the rest is out of line.

#include "report/value/frx_value.h"

namespace report {

enum class BinaryOp : quint8 {
    Add, Sub, Mul, Divide, IntDiv, Mod, And, Or, Xor, Shl, Shr,
    Eq, Ne, Lt, Gt, Le, Ge, In,
};

namespace detail {
// 32-bit integers and doubles mix as doubles without leaving the inline path.
inline bool isPlainNumber(ValueType t)
{
    return t == ValueType::Int32 || t == ValueType::Double;
}
inline double plainDouble(const Value& v)
{
    return v.type() == ValueType::Int32 ? double(v.int32Value()) : v.doubleValue();
}
Value addSlow(const Value& a, const Value& b);
Value subSlow(const Value& a, const Value& b);
Value mulSlow(const Value& a, const Value& b);
Value divideSlow(const Value& a, const Value& b);
bool equalsSlow(const Value& a, const Value& b);
int compareSlow(const Value& a, const Value& b, bool forEquality);
} // namespace detail

inline Value opAdd(const Value& a, const Value& b)
{
    if (a.type() == ValueType::Double && b.type() == ValueType::Double)
        return Value(a.doubleValue() + b.doubleValue());
    if (a.type() == ValueType::Int32 && b.type() == ValueType::Int32) {
        qint32 r;
        if (!__builtin_add_overflow(a.int32Value(), b.int32Value(), &r))
            return Value(r);
    } else if (detail::isPlainNumber(a.type()) && detail::isPlainNumber(b.type())) {
        return Value(detail::plainDouble(a) + detail::plainDouble(b));
    }
    return detail::addSlow(a, b);
}

inline Value opSub(const Value& a, const Value& b)
{
    if (a.type() == ValueType::Double && b.type() == ValueType::Double)
        return Value(a.doubleValue() - b.doubleValue());
    if (a.type() == ValueType::Int32 && b.type() == ValueType::Int32) {
        qint32 r;
        if (!__builtin_sub_overflow(a.int32Value(), b.int32Value(), &r))
            return Value(r);
    } else if (detail::isPlainNumber(a.type()) && detail::isPlainNumber(b.type())) {
        return Value(detail::plainDouble(a) - detail::plainDouble(b));
    }
    return detail::subSlow(a, b);
}

inline Value opMul(const Value& a, const Value& b)
{
    if (a.type() == ValueType::Double && b.type() == ValueType::Double)
        return Value(a.doubleValue() * b.doubleValue());
    if (a.type() == ValueType::Int32 && b.type() == ValueType::Int32) {
        qint32 r;
        if (!__builtin_mul_overflow(a.int32Value(), b.int32Value(), &r))
            return Value(r);
    } else if (detail::isPlainNumber(a.type()) && detail::isPlainNumber(b.type())) {
        return Value(detail::plainDouble(a) * detail::plainDouble(b));
    }
    return detail::mulSlow(a, b);
}

inline Value opDivide(const Value& a, const Value& b)
{
    if (a.type() == ValueType::Double && b.type() == ValueType::Double && b.doubleValue() != 0)
        return Value(a.doubleValue() / b.doubleValue());
    return detail::divideSlow(a, b);
}

Value opIntDiv(const Value& a, const Value& b);
Value opMod(const Value& a, const Value& b);
Value opAnd(const Value& a, const Value& b);
Value opOr(const Value& a, const Value& b);
Value opXor(const Value& a, const Value& b);
Value opShl(const Value& a, const Value& b);
Value opShr(const Value& a, const Value& b);
Value opNegate(const Value& a);
Value opNot(const Value& a);

// The language's "=": null equals null only; strings compare exactly; a string against a
// number is converted to a number (failing as the conversion does).
inline bool valuesEqual(const Value& a, const Value& b)
{
    if (a.type() == b.type()) {
        switch (a.type()) {
        case ValueType::Int32: return a.int32Value() == b.int32Value();
        case ValueType::Double: return a.doubleValue() == b.doubleValue();
        case ValueType::String: return a.stringValue() == b.stringValue();
        default: break;
        }
    }
    return detail::equalsSlow(a, b);
}

// The ordering of "<", ">", "<=", ">=": -1, 0 or 1; 2 when the values are unordered (a
// floating NaN), which makes every ordering comparison false. Values that cannot be
// ordered (arrays, objects) raise ScriptError.
inline int compareValues(const Value& a, const Value& b)
{
    if (a.type() == b.type()) {
        switch (a.type()) {
        case ValueType::Int32:
            return a.int32Value() < b.int32Value() ? -1 : a.int32Value() > b.int32Value() ? 1 : 0;
        case ValueType::Double: {
            const double x = a.doubleValue(), y = b.doubleValue();
            return x < y ? -1 : x > y ? 1 : x == y ? 0 : 2;
        }
        default: break;
        }
    }
    return detail::compareSlow(a, b, false);
}

// "x in set": true when the right side is an array holding a value equal to x, or, for any
// other right side, when the two are equal.
bool valueInSet(const Value& x, const Value& set);

// Applies any binary operator (the compiler uses the specific functions directly).
Value applyBinary(BinaryOp op, const Value& a, const Value& b);

// The text of an operator as written ("+", "div", "<>").
const char* binaryOpText(BinaryOp op);

// The platform's run-time errors.
[[noreturn]] void throwInvalidVariantOperation();
[[noreturn]] void throwDivisionByZero();      // integer division
[[noreturn]] void throwFloatDivisionByZero(); // "/" by zero
[[noreturn]] void throwInvalidFloatOperation(); // 0 / 0 and the like

} // namespace report
