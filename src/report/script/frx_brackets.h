#pragma once

// Finding delimited expressions in a text: the bracket matcher that
// counts nesting and ignores delimiters inside quotes, and the expansion loop that replaces
// each bracket by its value's text.
//
// Texts are Unicode, so the byte-wise variant the platform needs for TagStr and URL (which
// steps over both bytes of a double-byte character so that a trail byte is never taken for
// a bracket) is the same matcher here: no character of a Chinese text can be mistaken for a
// delimiter.

#include <QString>

#include <functional>

namespace report {

struct Delimiters {
    QString open = QStringLiteral("[");
    QString close = QStringLiteral("]");
};

// ExpressionDelimiters: the part before the first comma opens, the part after it closes
// (each at most 255 characters). "<%,%>" gives "<%" and "%>".
Delimiters parseDelimiters(const QString& expressionDelimiters);

struct BracketMatch {
    bool found = false;
    qsizetype begin = 0; // offset of the opening delimiter
    qsizetype end = 0;   // offset after the closing delimiter
    QString expression;  // the text between the delimiters
};

// Matches the bracket that begins at or after `from`: depth counting of the delimiters
// outside single and double quotes (a double quote toggles only outside single quotes and
// the other way round), stopping when the depth returns to 0. So "[IIF(<Line#> > 1,
// '[x]', '')]" is one bracket, "[[a]]" one bracket with the expression "[a]" and "['x]y']"
// one with "'x]y'". A bracket that is never closed is not found (the text stays as written).
BracketMatch matchBracket(QStringView text, qsizetype from, const Delimiters& delimiters);

// Replaces every bracket of the text, left to right, by evaluate(expression); an inserted
// text is never scanned again. Texts without the opening delimiter are returned as they are.
// Empty delimiters find nothing.
QString expandBrackets(const QString& text, const Delimiters& delimiters,
                       const std::function<QString(const QString& expression)>& evaluate);

} // namespace report
