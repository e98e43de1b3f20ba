#pragma once

// The report expression language ("PascalScript" expressions): text is
// compiled once into a tree of operands with pre-resolved operations and evaluated many
// times.
//
// Names are resolved at compile time through a NameResolver that the engine implements
// (report objects, variables, system variables, data-source fields, aggregates); what the
// resolver does not know is looked up in the function library; anything else fails to
// compile with "标识符未宣告:'Name'" (text table key SIdUndeclared).

#include "report/value/frx_value.h"

#include <memory>
#include <vector>

namespace report {

// A text that does not compile. The message is the compiler's message (for example
// "标识符未宣告:'Foo'" or "')' expected"); position is the 0-based offset in the text where
// the problem was found.
class CompileError : public platform::Error {
public:
    CompileError(const QString& message, qsizetype position)
        : platform::Error(message), position_(position) {}
    qsizetype position() const noexcept { return position_; }

private:
    qsizetype position_;
};

// A compiled piece of an expression: produces a value each time it is evaluated. Run-time
// failures are thrown as ScriptError (or any platform::Error).
class Operand {
public:
    virtual ~Operand();
    virtual Value evaluate() const = 0;
    // True when evaluate() always gives the same value without side effects; the compiler
    // then folds operations on it.
    virtual bool isConstant() const { return false; }
};
using OperandPtr = std::unique_ptr<Operand>;

// The argument list of a call or index as written.
struct CallArguments {
    // Each argument's text as written, without surrounding blanks.
    std::vector<QString> texts;
    // The compiled arguments (empty for a macro function, whose arguments are not compiled).
    // A resolver that accepts a call takes these over.
    std::vector<OperandPtr> operands;
};

// A type test for "x is TypeName".
class TypeTest {
public:
    virtual ~TypeTest();
    virtual bool test(const Value& value) const = 0;
};

// What the engine plugs into the compiler. Every method may return nothing (nullptr or
// false), which leaves the name to the function library or makes compiling fail.
class NameResolver {
public:
    virtual ~NameResolver();

    // A name at the start of a designator. `call` is null when the name is written without
    // an argument list, else its arguments (for a macro function texts only).
    virtual OperandPtr resolveName(const QString& name, CallArguments* call);

    // True when the name is a function whose arguments are passed as unevaluated texts
    // (SUM, AVG, MIN, MAX, COUNT); its arguments are then checked for syntax only. When the
    // resolver declares "IIF" a macro it takes over IIF; otherwise IIF is built in.
    virtual bool isMacroFunction(const QString& name);

    // A reference in angle brackets: the text between "<" and the matching ">" as written
    // ("frxDBDataset1."DIY_CASH"", "Page#").
    virtual OperandPtr resolveReference(const QString& text);

    // Member access "object.member" or "object.member(args)". The resolver takes the object
    // operand over (moving it out of `object`) when it accepts.
    virtual OperandPtr resolveMember(OperandPtr& object, const QString& member, CallArguments* call);

    // Index "object[args]". Without the resolver, strings index their characters (from 1)
    // and arrays their items (from 0).
    virtual OperandPtr resolveIndex(OperandPtr& object, CallArguments& indexes);

    // The type named on the right of "is".
    virtual std::unique_ptr<TypeTest> resolveType(const QString& name);
};

// A compiled expression. Copies share the compiled form (which is immutable), so a cache
// can hand them out cheaply.
class Expression {
public:
    Expression() = default;

    // Runs the expression; failures raise ScriptError (or whatever an operand throws).
    Value evaluate() const { return root_->evaluate(); }
    bool isValid() const { return root_ != nullptr; }
    // True when the expression is a constant (its value is known without running it).
    bool isConstant() const { return root_ && root_->isConstant(); }

private:
    friend Expression compileExpression(QStringView text, NameResolver& resolver);
    std::shared_ptr<const Operand> root_;
};

// Compiles an expression text; throws CompileError.
Expression compileExpression(QStringView text, NameResolver& resolver);

// An operand that always gives the same value; useful to resolvers.
OperandPtr makeConstant(Value value);

} // namespace report
