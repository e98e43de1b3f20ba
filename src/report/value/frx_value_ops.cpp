#include "report/value/frx_value_ops.h"

#include <cmath>

namespace report {

void throwInvalidVariantOperation()
{
    throw ScriptError(QStringLiteral("Invalid variant operation"));
}

void throwDivisionByZero()
{
    throw ScriptError(QStringLiteral("Division by zero"));
}

void throwFloatDivisionByZero()
{
    throw ScriptError(QStringLiteral("Floating point division by zero"));
}

void throwInvalidFloatOperation()
{
    throw ScriptError(QStringLiteral("Invalid floating point operation"));
}

namespace {

// The numeric ranks of arithmetic: the result type is that of the wider operand.
enum class Rank { Int32, Int64, Double, DateTime };

Rank rankOf(const Value& numeric)
{
    switch (numeric.type()) {
    case ValueType::Int32: return Rank::Int32;
    case ValueType::Int64: return Rank::Int64;
    case ValueType::DateTime: return Rank::DateTime;
    default: return Rank::Double;
    }
}

// Arrays and objects take part in no arithmetic.
void checkOperand(const Value& v)
{
    if (v.type() == ValueType::Array || v.type() == ValueType::Object)
        throwInvalidVariantOperation();
}

enum class Arith { Add, Sub, Mul };

double arithDouble(Arith op, double x, double y)
{
    switch (op) {
    case Arith::Add: return x + y;
    case Arith::Sub: return x - y;
    case Arith::Mul: return x * y;
    }
    return 0;
}

template <typename T>
bool arithInt(Arith op, T x, T y, T* r)
{
    switch (op) {
    case Arith::Add: return !__builtin_add_overflow(x, y, r);
    case Arith::Sub: return !__builtin_sub_overflow(x, y, r);
    case Arith::Mul: return !__builtin_mul_overflow(x, y, r);
    }
    return false;
}

Value arithmetic(Arith op, const Value& a, const Value& b)
{
    if (a.isNull() || b.isNull())
        return Value::null();
    checkOperand(a);
    checkOperand(b);
    const Value x = a.toNumeric();
    const Value y = b.toNumeric();
    const Rank rx = rankOf(x), ry = rankOf(y);
    if (rx == Rank::DateTime || ry == Rank::DateTime) {
        const double r = arithDouble(op, x.toDouble(), y.toDouble());
        // date ± number stays a date; date - date and products are plain numbers.
        if (op == Arith::Add || (op == Arith::Sub && !(rx == Rank::DateTime && ry == Rank::DateTime)))
            return Value::fromDateTime(r);
        return Value(r);
    }
    if (rx == Rank::Double || ry == Rank::Double)
        return Value(arithDouble(op, x.toDouble(), y.toDouble()));
    if (rx == Rank::Int32 && ry == Rank::Int32) {
        qint32 r;
        if (arithInt<qint32>(op, x.int32Value(), y.int32Value(), &r))
            return Value(r);
    }
    qint64 r;
    if (arithInt<qint64>(op, x.toInt64(), y.toInt64(), &r))
        return Value(r);
    return Value(arithDouble(op, x.toDouble(), y.toDouble()));
}

bool isTextual(const Value& v)
{
    return v.type() == ValueType::String || v.type() == ValueType::Empty;
}

// The integer operands of div, mod, the bitwise operators and shifts.
qint64 integerOperand(const Value& v)
{
    checkOperand(v);
    return v.toInt64();
}

// True when an integer operation on these operands stays in 32 bits (as the platform's
// Integer type); 64-bit operands make it a 64-bit operation.
bool is32Bit(const Value& v)
{
    return v.type() != ValueType::Int64
        && !(v.type() == ValueType::Double && std::fabs(v.doubleValue()) > 2147483647.0);
}

// Booleans with booleans (or boolean texts) are logical; anything else is bitwise.
bool isLogical(const Value& a, const Value& b)
{
    const bool ab = a.type() == ValueType::Bool, bb = b.type() == ValueType::Bool;
    if (ab && bb)
        return true;
    if (ab || bb) {
        const Value& other = ab ? b : a;
        return other.type() == ValueType::String || other.type() == ValueType::Empty;
    }
    return false;
}

enum class Bits { And, Or, Xor };

Value bitwise(Bits op, const Value& a, const Value& b)
{
    if (a.isNull() || b.isNull())
        return Value::null();
    if (isLogical(a, b)) {
        const bool x = a.toBool(), y = b.toBool();
        switch (op) {
        case Bits::And: return Value(x && y);
        case Bits::Or: return Value(x || y);
        case Bits::Xor: return Value(x != y);
        }
    }
    const qint64 x = integerOperand(a), y = integerOperand(b);
    qint64 r = 0;
    switch (op) {
    case Bits::And: r = x & y; break;
    case Bits::Or: r = x | y; break;
    case Bits::Xor: r = x ^ y; break;
    }
    if (is32Bit(a) && is32Bit(b))
        return Value(qint32(r));
    return Value(r);
}

Value shift(bool left, const Value& a, const Value& b)
{
    if (a.isNull() || b.isNull())
        return Value::null();
    const qint64 x = integerOperand(a);
    const qint64 n = integerOperand(b);
    if (is32Bit(a) && x >= INT32_MIN && x <= INT32_MAX) {
        const quint32 u = quint32(qint32(x));
        const unsigned s = unsigned(n) & 31u;
        return Value(qint32(left ? u << s : u >> s));
    }
    const quint64 u = quint64(x);
    const unsigned s = unsigned(n) & 63u;
    return Value(qint64(left ? u << s : u >> s));
}

} // namespace

namespace detail {

Value addSlow(const Value& a, const Value& b)
{
    if (a.isNull() || b.isNull())
        return Value::null();
    if (isTextual(a) && isTextual(b) && (a.isString() || b.isString())) {
        if (a.isEmpty())
            return b;
        if (b.isEmpty())
            return a;
        return Value(a.stringValue() + b.stringValue());
    }
    return arithmetic(Arith::Add, a, b);
}

Value subSlow(const Value& a, const Value& b)
{
    return arithmetic(Arith::Sub, a, b);
}

Value mulSlow(const Value& a, const Value& b)
{
    return arithmetic(Arith::Mul, a, b);
}

Value divideSlow(const Value& a, const Value& b)
{
    if (a.isNull() || b.isNull())
        return Value::null();
    checkOperand(a);
    checkOperand(b);
    const double x = a.toNumeric().toDouble();
    const double y = b.toNumeric().toDouble();
    if (y == 0) {
        if (x == 0 || std::isnan(x))
            throwInvalidFloatOperation();
        throwFloatDivisionByZero();
    }
    return Value(x / y);
}

int compareSlow(const Value& a, const Value& b, bool forEquality)
{
    // Null: equal to null, smaller than anything else.
    if (a.isNull() || b.isNull())
        return a.isNull() && b.isNull() ? 0 : a.isNull() ? -1 : 1;
    const ValueType ta = a.type(), tb = b.type();
    if (ta == ValueType::Array || tb == ValueType::Array || ta == ValueType::Object
        || tb == ValueType::Object) {
        if (forEquality) {
            if (ta == ValueType::Object && tb == ValueType::Object)
                return a.objectValue().object == b.objectValue().object ? 0 : 1;
            if (ta == ValueType::Array && tb == ValueType::Array) {
                const ValueArray& x = a.arrayValue();
                const ValueArray& y = b.arrayValue();
                if (x.size() != y.size())
                    return 1;
                for (std::size_t i = 0; i < x.size(); ++i)
                    if (!valuesEqual(x[i], y[i]))
                        return 1;
                return 0;
            }
            if (ta == ValueType::Empty || tb == ValueType::Empty)
                return 1;
        }
        throwInvalidVariantOperation();
    }
    // Two texts (an empty value being '' next to a string).
    if (isTextual(a) && isTextual(b)) {
        const int c = QStringView(a.isString() ? a.stringValue() : QString())
                          .compare(QStringView(b.isString() ? b.stringValue() : QString()));
        return c < 0 ? -1 : c > 0 ? 1 : 0;
    }
    // A text against a boolean is read as a boolean ('True', 'False' or a number).
    if ((ta == ValueType::String && tb == ValueType::Bool)
        || (ta == ValueType::Bool && tb == ValueType::String)) {
        const int x = a.toBool() ? -1 : 0, y = b.toBool() ? -1 : 0;
        return x < y ? -1 : x > y ? 1 : 0;
    }
    // A text against a date-time is read as a date-time.
    if ((ta == ValueType::String && tb == ValueType::DateTime)
        || (ta == ValueType::DateTime && tb == ValueType::String)) {
        const double x = a.toDateTime(), y = b.toDateTime();
        return x < y ? -1 : x > y ? 1 : x == y ? 0 : 2;
    }
    const Value x = a.toNumeric();
    const Value y = b.toNumeric();
    if (x.isInteger() && y.isInteger()) {
        const qint64 p = x.toInt64(), q = y.toInt64();
        return p < q ? -1 : p > q ? 1 : 0;
    }
    const double p = x.toDouble(), q = y.toDouble();
    return p < q ? -1 : p > q ? 1 : p == q ? 0 : 2;
}

bool equalsSlow(const Value& a, const Value& b)
{
    return compareSlow(a, b, true) == 0;
}

} // namespace detail

Value opIntDiv(const Value& a, const Value& b)
{
    if (a.isNull() || b.isNull())
        return Value::null();
    const qint64 x = integerOperand(a), y = integerOperand(b);
    if (y == 0)
        throwDivisionByZero();
    if (x == INT64_MIN && y == -1)
        return Value(-double(x));
    return Value::fromInteger(x / y);
}

Value opMod(const Value& a, const Value& b)
{
    if (a.isNull() || b.isNull())
        return Value::null();
    const qint64 x = integerOperand(a), y = integerOperand(b);
    if (y == 0)
        throwDivisionByZero();
    if (y == -1)
        return Value(0);
    return Value::fromInteger(x % y);
}

Value opAnd(const Value& a, const Value& b) { return bitwise(Bits::And, a, b); }
Value opOr(const Value& a, const Value& b) { return bitwise(Bits::Or, a, b); }
Value opXor(const Value& a, const Value& b) { return bitwise(Bits::Xor, a, b); }
Value opShl(const Value& a, const Value& b) { return shift(true, a, b); }
Value opShr(const Value& a, const Value& b) { return shift(false, a, b); }

Value opNegate(const Value& a)
{
    if (a.isNull())
        return Value::null();
    checkOperand(a);
    const Value x = a.toNumeric();
    switch (x.type()) {
    case ValueType::Int32:
        if (x.int32Value() == INT32_MIN)
            return Value(-qint64(INT32_MIN));
        return Value(-x.int32Value());
    case ValueType::Int64:
        if (x.int64Value() == INT64_MIN)
            return Value(-double(INT64_MIN));
        return Value::fromInteger(-x.int64Value());
    case ValueType::DateTime: return Value::fromDateTime(-x.doubleValue());
    default: return Value(-x.toDouble());
    }
}

Value opNot(const Value& a)
{
    switch (a.type()) {
    case ValueType::Null: return Value::null();
    case ValueType::Bool: return Value(!a.boolValue());
    case ValueType::String: {
        const QString t = a.stringValue().trimmed();
        if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0
            || t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
            return Value(!a.toBool());
        break;
    }
    default: break;
    }
    const qint64 x = integerOperand(a);
    if (is32Bit(a))
        return Value(qint32(~x));
    return Value(~x);
}

bool valueInSet(const Value& x, const Value& set)
{
    if (set.type() != ValueType::Array)
        return valuesEqual(x, set);
    for (const Value& item : set.arrayValue())
        if (valuesEqual(x, item))
            return true;
    return false;
}

Value applyBinary(BinaryOp op, const Value& a, const Value& b)
{
    switch (op) {
    case BinaryOp::Add: return opAdd(a, b);
    case BinaryOp::Sub: return opSub(a, b);
    case BinaryOp::Mul: return opMul(a, b);
    case BinaryOp::Divide: return opDivide(a, b);
    case BinaryOp::IntDiv: return opIntDiv(a, b);
    case BinaryOp::Mod: return opMod(a, b);
    case BinaryOp::And: return opAnd(a, b);
    case BinaryOp::Or: return opOr(a, b);
    case BinaryOp::Xor: return opXor(a, b);
    case BinaryOp::Shl: return opShl(a, b);
    case BinaryOp::Shr: return opShr(a, b);
    case BinaryOp::Eq: return Value(valuesEqual(a, b));
    case BinaryOp::Ne: return Value(!valuesEqual(a, b));
    case BinaryOp::Lt: return Value(compareValues(a, b) == -1);
    case BinaryOp::Gt: return Value(compareValues(a, b) == 1);
    case BinaryOp::Le: {
        const int c = compareValues(a, b);
        return Value(c == -1 || c == 0);
    }
    case BinaryOp::Ge: {
        const int c = compareValues(a, b);
        return Value(c == 1 || c == 0);
    }
    case BinaryOp::In: return Value(valueInSet(a, b));
    }
    throwInvalidVariantOperation();
}

const char* binaryOpText(BinaryOp op)
{
    switch (op) {
    case BinaryOp::Add: return "+";
    case BinaryOp::Sub: return "-";
    case BinaryOp::Mul: return "*";
    case BinaryOp::Divide: return "/";
    case BinaryOp::IntDiv: return "div";
    case BinaryOp::Mod: return "mod";
    case BinaryOp::And: return "and";
    case BinaryOp::Or: return "or";
    case BinaryOp::Xor: return "xor";
    case BinaryOp::Shl: return "shl";
    case BinaryOp::Shr: return "shr";
    case BinaryOp::Eq: return "=";
    case BinaryOp::Ne: return "<>";
    case BinaryOp::Lt: return "<";
    case BinaryOp::Gt: return ">";
    case BinaryOp::Le: return "<=";
    case BinaryOp::Ge: return ">=";
    case BinaryOp::In: return "in";
    }
    return "?";
}

} // namespace report
