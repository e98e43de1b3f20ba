#pragma once

// The report's script languages as far as expressions need them: the one-function program
// each language wraps an expression into, and the check that the report's own script
// has no statements (full statements are not supported).

#include <QStringList>

namespace report {

enum class ScriptLanguageKind { PascalScript, CppScript, BasicScript, JScript, Other };

// "PascalScript", "C++Script", "BasicScript", "JScript", compared ignoring case.
ScriptLanguageKind scriptLanguageOf(const QString& name);

// The program that makes the expression the function "fr3f" + number; the expression
// itself for a language of another name.
QString wrapExpression(ScriptLanguageKind language, int number, const QString& expression);
// The expression of such a program; a null string when the text is not one.
QString unwrapExpression(ScriptLanguageKind language, int number, const QString& program);

// Empty when the report's script is accepted (blank, or the language's empty main block:
// "begin end." in PascalScript, "{}" in C++Script); otherwise the "clScrError" line with
// the line and column of the first statement.
QString checkScriptText(ScriptLanguageKind language, const QStringList& text);

} // namespace report
