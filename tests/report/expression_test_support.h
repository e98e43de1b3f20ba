#pragma once

// A resolver for the expression tests: variables by name (ignoring case), references in
// angle brackets, one object "Memo1" with members, macro functions that record their
// argument texts, and a type test.

#include "report/script/frx_expression.h"
#include "report/value/frx_value.h"

#include <QHash>

#include <ostream>

namespace report {
[[maybe_unused]] static void PrintTo(const Value& v, std::ostream* out)
{
    *out << v.typeName().toStdString() << "(";
    try {
        *out << v.toString().toStdString();
    } catch (...) {
        *out << "?";
    }
    *out << ")";
}
} // namespace report

namespace exprtest {

using report::CallArguments;
using report::Operand;
using report::OperandPtr;
using report::Value;

// Reads a value cell at run time, so tests can change it between evaluations.
class CellOperand final : public Operand {
public:
    explicit CellOperand(const Value* cell) : cell_(cell) {}
    Value evaluate() const override { return *cell_; }

private:
    const Value* cell_;
};

class MacroOperand final : public Operand {
public:
    explicit MacroOperand(QString text) : text_(std::move(text)) {}
    Value evaluate() const override { return Value(text_); }

private:
    QString text_;
};

class MemberOperand final : public Operand {
public:
    MemberOperand(OperandPtr object, QString member) : object_(std::move(object)), member_(std::move(member)) {}
    Value evaluate() const override
    {
        const Value o = object_->evaluate();
        if (o.type() != report::ValueType::Object)
            throw report::ScriptError(QStringLiteral("not an object"));
        return Value(QStringLiteral("%1 of object").arg(member_));
    }

private:
    OperandPtr object_;
    QString member_;
};

class TestResolver : public report::NameResolver {
public:
    QHash<QString, Value> variables;  // lower-case names
    QHash<QString, Value> references; // as written between < and >
    QStringList macroTexts;           // the texts the last macro call received
    int objectTag = 0;

    void set(const QString& name, const Value& v) { variables.insert(name.toLower(), v); }

    OperandPtr resolveName(const QString& name, CallArguments* call) override
    {
        if (name.compare(QLatin1String("Memo1"), Qt::CaseInsensitive) == 0 && !call)
            return report::makeConstant(Value(report::ObjectRef{&objectTag, nullptr}));
        if (call && isMacroFunction(name)) {
            macroTexts = QStringList(call->texts.begin(), call->texts.end());
            return std::make_unique<MacroOperand>(name.toUpper() + QLatin1Char('(')
                                                  + macroTexts.join(QLatin1Char('|')) + QLatin1Char(')'));
        }
        const auto it = variables.constFind(name.toLower());
        if (it == variables.cend() || call)
            return nullptr;
        return std::make_unique<CellOperand>(&*it);
    }

    bool isMacroFunction(const QString& name) override
    {
        static const QStringList macros = {QStringLiteral("SUM"), QStringLiteral("COUNT")};
        return macros.contains(name.toUpper());
    }

    OperandPtr resolveReference(const QString& text) override
    {
        const auto it = references.constFind(text);
        if (it == references.cend())
            return nullptr;
        return std::make_unique<CellOperand>(&*it);
    }

    OperandPtr resolveMember(OperandPtr& object, const QString& member, CallArguments*) override
    {
        if (member.compare(QLatin1String("Text"), Qt::CaseInsensitive) != 0)
            return nullptr;
        return std::make_unique<MemberOperand>(std::move(object), member);
    }

    std::unique_ptr<report::TypeTest> resolveType(const QString& name) override
    {
        struct IsObject : report::TypeTest {
            bool test(const Value& v) const override { return v.type() == report::ValueType::Object; }
        };
        if (name.compare(QLatin1String("TfrxMemoView"), Qt::CaseInsensitive) != 0)
            return nullptr;
        return std::make_unique<IsObject>();
    }
};

} // namespace exprtest
