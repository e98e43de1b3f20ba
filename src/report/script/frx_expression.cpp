#include "report/script/frx_expression.h"

namespace report {

Operand::~Operand() = default;
TypeTest::~TypeTest() = default;
NameResolver::~NameResolver() = default;

OperandPtr NameResolver::resolveName(const QString&, CallArguments*)
{
    return nullptr;
}

bool NameResolver::isMacroFunction(const QString&)
{
    return false;
}

OperandPtr NameResolver::resolveReference(const QString&)
{
    return nullptr;
}

OperandPtr NameResolver::resolveMember(OperandPtr&, const QString&, CallArguments*)
{
    return nullptr;
}

OperandPtr NameResolver::resolveIndex(OperandPtr&, CallArguments&)
{
    return nullptr;
}

std::unique_ptr<TypeTest> NameResolver::resolveType(const QString&)
{
    return nullptr;
}

} // namespace report
