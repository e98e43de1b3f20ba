#pragma once

// Tokens of report expressions ("PascalScript" form): names (letters, digits, "_" and any
// character from code 128 on, so Chinese names are names), case-insensitive keywords,
// numbers with fraction and exponent or "$" hexadecimal, strings made of quoted pieces and
// "#" character codes, operators and punctuation. Blanks, line breaks and the comments
// "{...}", "(*...*)" and "//..." separate tokens.

#include "report/value/frx_value.h"

namespace report::detail {

enum class Tok : quint8 {
    End,
    Ident,
    Number,
    String,
    Plus, Minus, Star, Slash,
    Eq, Ne, Lt, Gt, Le, Ge,
    LParen, RParen, LBracket, RBracket,
    Comma, Dot, DotDot, Colon, Semicolon, Assign,
    KwAnd, KwOr, KwXor, KwNot, KwDiv, KwMod, KwShl, KwShr, KwIn, KwIs,
    Other, // any other character
};

struct Token {
    Tok kind = Tok::End;
    qsizetype start = 0; // offset of the first character
    qsizetype end = 0;   // offset after the last character
    QString name;        // Ident: the name as written
    Value value;         // Number, String: the literal's value
};

class Lexer {
public:
    explicit Lexer(QStringView text) : text_(text) {}

    // Reads the next token into current(); throws CompileError for an unterminated string
    // or comment or a malformed number.
    void next();
    const Token& current() const { return token_; }
    // End offset of the token before the current one.
    qsizetype previousEnd() const { return previousEnd_; }
    QStringView text() const { return text_; }

    // Reads an angle-bracket reference that starts at `from` (the "<"): up to the matching
    // ">", where "<" and "[" open and ">" and "]" close a level and quotes protect them as
    // in the bracket matcher. Returns the text between the brackets and continues after the
    // ">" (current() is then the token after it); throws CompileError without a match.
    QString readReference(qsizetype from);

private:
    void skipBlanks();
    void readNumber();
    void readString();
    [[noreturn]] void fail(const QString& message, qsizetype at) const;

    QStringView text_;
    qsizetype pos_ = 0;
    qsizetype previousEnd_ = 0;
    Token token_;
};

// Name characters: ASCII letters, "_" and codes from 128 on start a name; digits continue it.
inline bool isNameStart(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || u == u'_' || u >= 128;
}

inline bool isNameChar(QChar c)
{
    return isNameStart(c) || (c.unicode() >= u'0' && c.unicode() <= u'9');
}

} // namespace report::detail
