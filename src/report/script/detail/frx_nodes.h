#pragma once

// The operand types the compiler builds. Each operation is chosen at compile time (one
// class per operator, with variants for a constant operand), so evaluating is a walk of
// virtual calls with no dispatch on operator codes.

#include "report/script/frx_expression.h"
#include "report/script/frx_functions.h"
#include "report/value/frx_value_ops.h"

namespace report::detail {

class ConstantNode final : public Operand {
public:
    explicit ConstantNode(Value v) : value_(std::move(v)) {}
    Value evaluate() const override { return value_; }
    bool isConstant() const override { return true; }
    const Value& value() const { return value_; }

private:
    Value value_;
};

using BinaryFn = Value (*)(const Value&, const Value&);
using UnaryFn = Value (*)(const Value&);

inline Value cmpEq(const Value& a, const Value& b) { return Value(valuesEqual(a, b)); }
inline Value cmpNe(const Value& a, const Value& b) { return Value(!valuesEqual(a, b)); }
inline Value cmpLt(const Value& a, const Value& b) { return Value(compareValues(a, b) == -1); }
inline Value cmpGt(const Value& a, const Value& b) { return Value(compareValues(a, b) == 1); }
inline Value cmpLe(const Value& a, const Value& b)
{
    const int c = compareValues(a, b);
    return Value(c == -1 || c == 0);
}
inline Value cmpGe(const Value& a, const Value& b)
{
    const int c = compareValues(a, b);
    return Value(c == 1 || c == 0);
}
inline Value opIn(const Value& a, const Value& b) { return Value(valueInSet(a, b)); }

// Operands are evaluated left to right.
template <BinaryFn F>
class BinaryNode final : public Operand {
public:
    BinaryNode(OperandPtr l, OperandPtr r) : l_(std::move(l)), r_(std::move(r)) {}
    Value evaluate() const override
    {
        const Value a = l_->evaluate();
        const Value b = r_->evaluate();
        return F(a, b);
    }

private:
    OperandPtr l_, r_;
};

template <BinaryFn F>
class BinaryConstRightNode final : public Operand {
public:
    BinaryConstRightNode(OperandPtr l, Value r) : l_(std::move(l)), r_(std::move(r)) {}
    Value evaluate() const override { return F(l_->evaluate(), r_); }

private:
    OperandPtr l_;
    Value r_;
};

template <BinaryFn F>
class BinaryConstLeftNode final : public Operand {
public:
    BinaryConstLeftNode(Value l, OperandPtr r) : l_(std::move(l)), r_(std::move(r)) {}
    Value evaluate() const override { return F(l_, r_->evaluate()); }

private:
    Value l_;
    OperandPtr r_;
};

template <UnaryFn F>
class UnaryNode final : public Operand {
public:
    explicit UnaryNode(OperandPtr x) : x_(std::move(x)) {}
    Value evaluate() const override { return F(x_->evaluate()); }

private:
    OperandPtr x_;
};

// One item of a set constructor: a value or a range "lo..hi".
struct SetItem {
    OperandPtr low;
    OperandPtr high; // null for a single value
};

// "x in [a, b..c]": compares without building the set.
class InSetNode final : public Operand {
public:
    InSetNode(OperandPtr x, std::vector<SetItem> items) : x_(std::move(x)), items_(std::move(items)) {}
    Value evaluate() const override;

private:
    OperandPtr x_;
    std::vector<SetItem> items_;
};

// A set constructor as a value: an array of its items, ranges of integers or characters
// spelled out.
class SetNode final : public Operand {
public:
    explicit SetNode(std::vector<SetItem> items) : items_(std::move(items)) {}
    Value evaluate() const override;

private:
    std::vector<SetItem> items_;
};

// IIF(condition, a, b): only the chosen branch runs.
class IifNode final : public Operand {
public:
    IifNode(OperandPtr c, OperandPtr a, OperandPtr b)
        : c_(std::move(c)), a_(std::move(a)), b_(std::move(b)) {}
    Value evaluate() const override
    {
        return valuesEqual(c_->evaluate(), Value(true)) ? a_->evaluate() : b_->evaluate();
    }

private:
    OperandPtr c_, a_, b_;
};

// A call of a library function.
class CallNode final : public Operand {
public:
    CallNode(BuiltinFn fn, std::vector<OperandPtr> args) : fn_(fn), args_(std::move(args)) {}
    Value evaluate() const override;

private:
    BuiltinFn fn_;
    std::vector<OperandPtr> args_;
};

// "x[i]" without the resolver: characters of strings (from 1), items of arrays (from 0).
class IndexNode final : public Operand {
public:
    IndexNode(OperandPtr x, std::vector<OperandPtr> indexes)
        : x_(std::move(x)), indexes_(std::move(indexes)) {}
    Value evaluate() const override;

private:
    OperandPtr x_;
    std::vector<OperandPtr> indexes_;
};

class IsNode final : public Operand {
public:
    IsNode(OperandPtr x, std::unique_ptr<TypeTest> test) : x_(std::move(x)), test_(std::move(test)) {}
    Value evaluate() const override { return Value(test_->test(x_->evaluate())); }

private:
    OperandPtr x_;
    std::unique_ptr<TypeTest> test_;
};

} // namespace report::detail
