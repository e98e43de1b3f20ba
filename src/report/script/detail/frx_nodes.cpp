#include "report/script/detail/frx_nodes.h"

namespace report::detail {

namespace {

// Sets larger than this are not spelled out (the platform's sets hold 256 elements).
constexpr qint64 maxRangeItems = 65536;

[[noreturn]] void throwRangeError()
{
    throw ScriptError(QStringLiteral("Range check error"));
}

bool isCharacter(const Value& v)
{
    return v.isString() && v.stringValue().size() == 1;
}

} // namespace

Value InSetNode::evaluate() const
{
    const Value x = x_->evaluate();
    for (const SetItem& item : items_) {
        const Value low = item.low->evaluate();
        if (!item.high) {
            if (valuesEqual(x, low))
                return Value(true);
            continue;
        }
        const Value high = item.high->evaluate();
        if (x.isNull() || low.isNull() || high.isNull())
            continue;
        const int a = compareValues(low, x);
        const int b = compareValues(x, high);
        if ((a == -1 || a == 0) && (b == -1 || b == 0))
            return Value(true);
    }
    return Value(false);
}

Value SetNode::evaluate() const
{
    ValueArray items;
    items.reserve(items_.size());
    for (const SetItem& item : items_) {
        Value low = item.low->evaluate();
        if (!item.high) {
            items.push_back(std::move(low));
            continue;
        }
        const Value high = item.high->evaluate();
        if (isCharacter(low) && isCharacter(high)) {
            const char16_t a = low.stringValue().at(0).unicode();
            const char16_t b = high.stringValue().at(0).unicode();
            if (b >= a && qint64(items.size()) + (b - a) >= maxRangeItems)
                throwRangeError();
            for (char32_t c = a; c <= b; ++c)
                items.emplace_back(QString(QChar(char16_t(c))));
            continue;
        }
        const qint64 a = low.toInt64();
        const qint64 b = high.toInt64();
        if (b >= a && (b - a >= maxRangeItems || qint64(items.size()) + (b - a) >= maxRangeItems))
            throwRangeError();
        for (qint64 i = a; i <= b; ++i)
            items.push_back(Value::fromInteger(i));
    }
    return Value::fromArray(std::move(items));
}

Value CallNode::evaluate() const
{
    const int n = int(args_.size());
    if (n <= 4) {
        Value args[4];
        for (int i = 0; i < n; ++i)
            args[i] = args_[std::size_t(i)]->evaluate();
        return fn_(args, n);
    }
    std::vector<Value> args;
    args.reserve(std::size_t(n));
    for (const OperandPtr& a : args_)
        args.push_back(a->evaluate());
    return fn_(args.data(), n);
}

Value IndexNode::evaluate() const
{
    Value x = x_->evaluate();
    for (const OperandPtr& indexOperand : indexes_) {
        const qint64 i = indexOperand->evaluate().toInt64();
        if (x.isString()) {
            const QString& s = x.stringValue();
            if (i < 1 || i > s.size())
                throwRangeError();
            x = Value(QString(s.at(qsizetype(i - 1))));
        } else if (x.type() == ValueType::Array) {
            const ValueArray& a = x.arrayValue();
            if (i < 0 || quint64(i) >= a.size())
                throwRangeError();
            x = Value(a[std::size_t(i)]);
        } else {
            throw ScriptError(QStringLiteral("Array type required"));
        }
    }
    return x;
}

} // namespace report::detail
