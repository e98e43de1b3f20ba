// The compiler of report expressions: a recursive-descent parser of the "PascalScript"
// expression grammar that builds operands directly.
//
//   expression  = simple { ("=" | "<>" | "<" | ">" | "<=" | ">=" | "in" | "is") simple }
//   simple      = term { ("+" | "-" | "or" | "xor") term }
//   term        = factor { ("*" | "/" | "div" | "mod" | "and" | "shl" | "shr") factor }
//   factor      = "-" factor | "not" factor | "(" expression ")" | number | string
//               | set | "<" reference ">" | designator
//   designator  = name { "." name | "[" expressions "]" | "(" [expressions] ")" }
//   set         = "[" [ item { "," item } ] "]"      item = expression [ ".." expression ]
//
// Operators of one level group from the left. Names resolve while parsing (so the first
// unknown name is the one reported); arguments of macro functions are parsed for syntax
// only. Operations on constants are computed at compile time unless they fail, so that a
// failure such as 1/0 still happens at run time, and only when reached.

#include "report/frx_resources.h"
#include "report/script/detail/frx_lexer.h"
#include "report/script/detail/frx_nodes.h"
#include "report/script/frx_expression.h"
#include "report/script/frx_functions.h"

#include <optional>

namespace report {

using namespace detail;

namespace {

class Compiler {
public:
    Compiler(QStringView text, NameResolver& resolver) : lexer_(text), resolver_(resolver) {}

    OperandPtr compile()
    {
        lexer_.next();
        OperandPtr root = expression();
        if (tok() != Tok::End)
            fail(QStringLiteral("Missing operator or semicolon"));
        return root;
    }

private:
    Tok tok() const { return lexer_.current().kind; }
    [[noreturn]] void fail(const QString& message) const
    {
        throw CompileError(message, lexer_.current().start);
    }
    void expect(Tok kind, const char* text)
    {
        if (tok() != kind)
            fail(QStringLiteral("'%1' expected").arg(QLatin1String(text)));
        lexer_.next();
    }
    [[noreturn]] void undeclared(const QString& name, qsizetype at) const
    {
        throw CompileError(frxGet(QStringLiteral("SIdUndeclared")) + u'\'' + name + u'\'', at);
    }

    OperandPtr expression();
    OperandPtr simple();
    OperandPtr term();
    OperandPtr factor();
    OperandPtr designator();
    std::vector<SetItem> setItems();
    CallArguments arguments(Tok close, const char* closeText, bool compileThem);
    OperandPtr callBuiltin(const QString& name, qsizetype at, CallArguments* call);

    OperandPtr binary(BinaryOp op, OperandPtr a, OperandPtr b);
    template <BinaryFn F>
    OperandPtr makeBinary(OperandPtr a, OperandPtr b);
    template <UnaryFn F>
    OperandPtr makeUnary(OperandPtr a);
    OperandPtr placeholder() { return std::make_unique<ConstantNode>(Value::null()); }
    // Computes a constant operation now; a failure leaves it for run time.
    OperandPtr fold(OperandPtr node);

    // Limits that keep compiling and evaluating (both recursive) within the stack: nesting
    // of factors, and operations in one expression. Report expressions stay far below.
    static constexpr int maxDepth = 200;
    static constexpr int maxOperations = 5000;
    void countOperation()
    {
        if (++operations_ > maxOperations)
            fail(QStringLiteral("Expression too complex"));
    }

    Lexer lexer_;
    NameResolver& resolver_;
    int depth_ = 0;
    int operations_ = 0;
    // Above zero while the arguments of a macro function are only checked for syntax.
    int skipping_ = 0;
};

OperandPtr Compiler::fold(OperandPtr node)
{
    try {
        return std::make_unique<ConstantNode>(node->evaluate());
    } catch (const platform::Error&) {
        return node;
    }
}

template <BinaryFn F>
OperandPtr Compiler::makeBinary(OperandPtr a, OperandPtr b)
{
    if (skipping_)
        return placeholder();
    const bool ca = a->isConstant(), cb = b->isConstant();
    if (ca && cb)
        return fold(std::make_unique<BinaryNode<F>>(std::move(a), std::move(b)));
    if (cb) {
        Value v = b->evaluate();
        return std::make_unique<BinaryConstRightNode<F>>(std::move(a), std::move(v));
    }
    if (ca) {
        Value v = a->evaluate();
        return std::make_unique<BinaryConstLeftNode<F>>(std::move(v), std::move(b));
    }
    return std::make_unique<BinaryNode<F>>(std::move(a), std::move(b));
}

template <UnaryFn F>
OperandPtr Compiler::makeUnary(OperandPtr a)
{
    countOperation();
    if (skipping_)
        return placeholder();
    const bool constant = a->isConstant();
    OperandPtr node = std::make_unique<UnaryNode<F>>(std::move(a));
    return constant ? fold(std::move(node)) : std::move(node);
}

OperandPtr Compiler::binary(BinaryOp op, OperandPtr a, OperandPtr b)
{
    countOperation();
    switch (op) {
    case BinaryOp::Add: return makeBinary<opAdd>(std::move(a), std::move(b));
    case BinaryOp::Sub: return makeBinary<opSub>(std::move(a), std::move(b));
    case BinaryOp::Mul: return makeBinary<opMul>(std::move(a), std::move(b));
    case BinaryOp::Divide: return makeBinary<opDivide>(std::move(a), std::move(b));
    case BinaryOp::IntDiv: return makeBinary<opIntDiv>(std::move(a), std::move(b));
    case BinaryOp::Mod: return makeBinary<opMod>(std::move(a), std::move(b));
    case BinaryOp::And: return makeBinary<opAnd>(std::move(a), std::move(b));
    case BinaryOp::Or: return makeBinary<opOr>(std::move(a), std::move(b));
    case BinaryOp::Xor: return makeBinary<opXor>(std::move(a), std::move(b));
    case BinaryOp::Shl: return makeBinary<opShl>(std::move(a), std::move(b));
    case BinaryOp::Shr: return makeBinary<opShr>(std::move(a), std::move(b));
    case BinaryOp::Eq: return makeBinary<cmpEq>(std::move(a), std::move(b));
    case BinaryOp::Ne: return makeBinary<cmpNe>(std::move(a), std::move(b));
    case BinaryOp::Lt: return makeBinary<cmpLt>(std::move(a), std::move(b));
    case BinaryOp::Gt: return makeBinary<cmpGt>(std::move(a), std::move(b));
    case BinaryOp::Le: return makeBinary<cmpLe>(std::move(a), std::move(b));
    case BinaryOp::Ge: return makeBinary<cmpGe>(std::move(a), std::move(b));
    case BinaryOp::In: return makeBinary<opIn>(std::move(a), std::move(b));
    }
    fail(QStringLiteral("Invalid operator"));
}

OperandPtr Compiler::expression()
{
    OperandPtr left = simple();
    for (;;) {
        BinaryOp op;
        switch (tok()) {
        case Tok::Eq: op = BinaryOp::Eq; break;
        case Tok::Ne: op = BinaryOp::Ne; break;
        case Tok::Lt: op = BinaryOp::Lt; break;
        case Tok::Gt: op = BinaryOp::Gt; break;
        case Tok::Le: op = BinaryOp::Le; break;
        case Tok::Ge: op = BinaryOp::Ge; break;
        case Tok::KwIn: op = BinaryOp::In; break;
        case Tok::KwIs: {
            lexer_.next();
            if (tok() != Tok::Ident)
                fail(QStringLiteral("Identifier expected"));
            const QString name = lexer_.current().name;
            const qsizetype at = lexer_.current().start;
            lexer_.next();
            if (skipping_)
                continue;
            std::unique_ptr<TypeTest> test = resolver_.resolveType(name);
            if (!test)
                undeclared(name, at);
            countOperation();
            left = std::make_unique<IsNode>(std::move(left), std::move(test));
            continue;
        }
        default: return left;
        }
        lexer_.next();
        if (op == BinaryOp::In && tok() == Tok::LBracket) {
            // "x in [..]" tests membership directly, ranges included.
            std::vector<SetItem> items = setItems();
            countOperation();
            if (skipping_)
                left = placeholder();
            else
                left = std::make_unique<InSetNode>(std::move(left), std::move(items));
            continue;
        }
        left = binary(op, std::move(left), simple());
    }
}

OperandPtr Compiler::simple()
{
    OperandPtr left = term();
    for (;;) {
        BinaryOp op;
        switch (tok()) {
        case Tok::Plus: op = BinaryOp::Add; break;
        case Tok::Minus: op = BinaryOp::Sub; break;
        case Tok::KwOr: op = BinaryOp::Or; break;
        case Tok::KwXor: op = BinaryOp::Xor; break;
        default: return left;
        }
        lexer_.next();
        left = binary(op, std::move(left), term());
    }
}

OperandPtr Compiler::term()
{
    OperandPtr left = factor();
    for (;;) {
        BinaryOp op;
        switch (tok()) {
        case Tok::Star: op = BinaryOp::Mul; break;
        case Tok::Slash: op = BinaryOp::Divide; break;
        case Tok::KwDiv: op = BinaryOp::IntDiv; break;
        case Tok::KwMod: op = BinaryOp::Mod; break;
        case Tok::KwAnd: op = BinaryOp::And; break;
        case Tok::KwShl: op = BinaryOp::Shl; break;
        case Tok::KwShr: op = BinaryOp::Shr; break;
        default: return left;
        }
        lexer_.next();
        left = binary(op, std::move(left), factor());
    }
}

OperandPtr Compiler::factor()
{
    struct DepthGuard {
        int& depth;
        ~DepthGuard() { --depth; }
    } guard{++depth_};
    if (depth_ > maxDepth)
        fail(QStringLiteral("Expression too complex"));
    const Token& t = lexer_.current();
    switch (t.kind) {
    case Tok::Minus:
        lexer_.next();
        return makeUnary<opNegate>(factor());
    case Tok::KwNot:
        lexer_.next();
        return makeUnary<opNot>(factor());
    case Tok::LParen: {
        lexer_.next();
        OperandPtr inner = expression();
        expect(Tok::RParen, ")");
        return inner;
    }
    case Tok::Number:
    case Tok::String: {
        OperandPtr c = std::make_unique<ConstantNode>(t.value);
        lexer_.next();
        return c;
    }
    case Tok::LBracket: {
        std::vector<SetItem> items = setItems();
        if (skipping_)
            return placeholder();
        bool constant = true;
        for (const SetItem& item : items)
            constant = constant && item.low->isConstant() && (!item.high || item.high->isConstant());
        OperandPtr node = std::make_unique<SetNode>(std::move(items));
        return constant ? fold(std::move(node)) : std::move(node);
    }
    case Tok::Lt:
    case Tok::Le:
    case Tok::Ne: {
        // A reference in angle brackets ("<=" and "<>" only begin one here).
        const qsizetype at = t.start;
        const QString text = lexer_.readReference(at);
        if (skipping_)
            return placeholder();
        OperandPtr ref = resolver_.resolveReference(text);
        if (!ref)
            undeclared(text, at);
        return ref;
    }
    case Tok::Ident: return designator();
    case Tok::End: fail(QStringLiteral("Expression expected"));
    default: fail(QStringLiteral("Expression expected"));
    }
}

std::vector<SetItem> Compiler::setItems()
{
    lexer_.next(); // "["
    std::vector<SetItem> items;
    if (tok() == Tok::RBracket) {
        lexer_.next();
        return items;
    }
    for (;;) {
        SetItem item;
        item.low = expression();
        if (tok() == Tok::DotDot) {
            lexer_.next();
            item.high = expression();
        }
        items.push_back(std::move(item));
        if (tok() == Tok::Comma) {
            lexer_.next();
            continue;
        }
        expect(Tok::RBracket, "]");
        return items;
    }
}

CallArguments Compiler::arguments(Tok close, const char* closeText, bool compileThem)
{
    lexer_.next(); // "(" or "["
    CallArguments call;
    if (tok() == close) {
        lexer_.next();
        return call;
    }
    if (!compileThem)
        ++skipping_;
    for (;;) {
        const qsizetype start = lexer_.current().start;
        OperandPtr a = expression();
        call.texts.push_back(lexer_.text().mid(start, lexer_.previousEnd() - start).trimmed().toString());
        if (compileThem)
            call.operands.push_back(std::move(a));
        if (tok() == Tok::Comma) {
            lexer_.next();
            continue;
        }
        if (!compileThem)
            --skipping_;
        expect(close, closeText);
        return call;
    }
}

OperandPtr Compiler::callBuiltin(const QString& name, qsizetype at, CallArguments* call)
{
    const BuiltinFunction* f = findBuiltinFunction(name);
    if (!f)
        undeclared(name, at);
    const int count = call ? int(call->operands.size()) : 0;
    if (count < f->minArgs)
        fail(QStringLiteral("Not enough actual parameters"));
    if (count > f->maxArgs)
        fail(QStringLiteral("Too many actual parameters"));
    std::vector<OperandPtr> args;
    bool constant = f->pure;
    if (call) {
        for (OperandPtr& a : call->operands) {
            constant = constant && a->isConstant();
            args.push_back(std::move(a));
        }
    }
    OperandPtr node = std::make_unique<CallNode>(f->fn, std::move(args));
    return constant ? fold(std::move(node)) : std::move(node);
}

OperandPtr Compiler::designator()
{
    const QString name = lexer_.current().name;
    const qsizetype at = lexer_.current().start;
    lexer_.next();
    countOperation();
    OperandPtr op;

    const bool macro = !skipping_ && tok() == Tok::LParen && resolver_.isMacroFunction(name);
    if (!macro && tok() == Tok::LParen && name.compare(QLatin1String("IIF"), Qt::CaseInsensitive) == 0) {
        CallArguments call = arguments(Tok::RParen, ")", true);
        if (call.operands.size() != 3)
            fail(call.operands.size() < 3 ? QStringLiteral("Not enough actual parameters")
                                          : QStringLiteral("Too many actual parameters"));
        if (skipping_) {
            op = placeholder();
        } else {
            op = std::make_unique<IifNode>(std::move(call.operands[0]), std::move(call.operands[1]),
                                           std::move(call.operands[2]));
        }
    } else if (tok() == Tok::LParen) {
        CallArguments call = arguments(Tok::RParen, ")", !macro);
        if (skipping_) {
            op = placeholder();
        } else {
            op = resolver_.resolveName(name, &call);
            if (!op && macro)
                undeclared(name, at);
            if (!op)
                op = callBuiltin(name, at, &call);
        }
    } else if (!skipping_) {
        op = resolver_.resolveName(name, nullptr);
        if (!op)
            op = callBuiltin(name, at, nullptr);
    } else {
        op = placeholder();
    }

    for (;;) {
        if (tok() == Tok::Dot || tok() == Tok::LBracket)
            countOperation();
        if (tok() == Tok::Dot) {
            lexer_.next();
            if (tok() != Tok::Ident)
                fail(QStringLiteral("Identifier expected"));
            const QString member = lexer_.current().name;
            const qsizetype memberAt = lexer_.current().start;
            lexer_.next();
            std::optional<CallArguments> call;
            if (tok() == Tok::LParen)
                call = arguments(Tok::RParen, ")", true);
            if (skipping_)
                continue;
            OperandPtr m = resolver_.resolveMember(op, member, call ? &*call : nullptr);
            if (!m)
                undeclared(member, memberAt);
            op = std::move(m);
        } else if (tok() == Tok::LBracket) {
            CallArguments indexes = arguments(Tok::RBracket, "]", true);
            if (indexes.texts.empty())
                fail(QStringLiteral("Expression expected"));
            if (skipping_)
                continue;
            OperandPtr m = resolver_.resolveIndex(op, indexes);
            if (!m) {
                if (!op)
                    fail(QStringLiteral("Array type required"));
                m = std::make_unique<IndexNode>(std::move(op), std::move(indexes.operands));
            }
            op = std::move(m);
        } else {
            return op;
        }
    }
}

} // namespace

Expression compileExpression(QStringView text, NameResolver& resolver)
{
    Expression e;
    e.root_ = Compiler(text, resolver).compile();
    return e;
}

OperandPtr makeConstant(Value value)
{
    return std::make_unique<ConstantNode>(std::move(value));
}

} // namespace report
