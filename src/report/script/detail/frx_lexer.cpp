#include "report/script/detail/frx_lexer.h"

#include "platform/hex_digit.h"

#include "report/script/frx_expression.h"

#include <charconv>
#include <string>

namespace report::detail {

namespace {

bool isDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

bool isHexDigit(QChar c)
{
    return platform::hexDigitValue(c.unicode()) >= 0;
}

struct Keyword {
    const char* text;
    Tok kind;
};

constexpr Keyword keywords[] = {
    {"and", Tok::KwAnd}, {"or", Tok::KwOr},   {"xor", Tok::KwXor}, {"not", Tok::KwNot},
    {"div", Tok::KwDiv}, {"mod", Tok::KwMod}, {"shl", Tok::KwShl}, {"shr", Tok::KwShr},
    {"in", Tok::KwIn},   {"is", Tok::KwIs},
};

Tok keywordKind(QStringView name)
{
    if (name.size() > 3)
        return Tok::Ident;
    for (const Keyword& k : keywords)
        if (name.compare(QLatin1String(k.text), Qt::CaseInsensitive) == 0)
            return k.kind;
    return Tok::Ident;
}

} // namespace

void Lexer::fail(const QString& message, qsizetype at) const
{
    throw CompileError(message, at);
}

void Lexer::skipBlanks()
{
    for (;;) {
        while (pos_ < text_.size() && text_[pos_].unicode() <= u' ')
            ++pos_;
        if (pos_ >= text_.size())
            return;
        const QChar c = text_[pos_];
        if (c == u'{') {
            const qsizetype close = text_.indexOf(u'}', pos_ + 1);
            if (close < 0)
                fail(QStringLiteral("Unterminated comment"), pos_);
            pos_ = close + 1;
        } else if (c == u'(' && pos_ + 1 < text_.size() && text_[pos_ + 1] == u'*') {
            const qsizetype close = text_.indexOf(QLatin1String("*)"), pos_ + 2);
            if (close < 0)
                fail(QStringLiteral("Unterminated comment"), pos_);
            pos_ = close + 2;
        } else if (c == u'/' && pos_ + 1 < text_.size() && text_[pos_ + 1] == u'/') {
            while (pos_ < text_.size() && text_[pos_] != u'\n' && text_[pos_] != u'\r')
                ++pos_;
        } else {
            return;
        }
    }
}

void Lexer::next()
{
    previousEnd_ = token_.end;
    skipBlanks();
    token_.start = pos_;
    token_.name.clear();
    token_.value = Value();
    if (pos_ >= text_.size()) {
        token_.kind = Tok::End;
        token_.end = pos_;
        return;
    }
    const QChar c = text_[pos_];
    if (isNameStart(c)) {
        qsizetype end = pos_ + 1;
        while (end < text_.size() && isNameChar(text_[end]))
            ++end;
        const QStringView name = text_.mid(pos_, end - pos_);
        token_.kind = keywordKind(name);
        if (token_.kind == Tok::Ident)
            token_.name = name.toString();
        pos_ = end;
    } else if (isDigit(c) || c == u'$') {
        readNumber();
    } else if (c == u'\'' || c == u'#') {
        readString();
    } else {
        const QChar n = pos_ + 1 < text_.size() ? text_[pos_ + 1] : QChar();
        int length = 1;
        switch (c.unicode()) {
        case u'+': token_.kind = Tok::Plus; break;
        case u'-': token_.kind = Tok::Minus; break;
        case u'*': token_.kind = Tok::Star; break;
        case u'/': token_.kind = Tok::Slash; break;
        case u'=': token_.kind = Tok::Eq; break;
        case u'<':
            if (n == u'>') {
                token_.kind = Tok::Ne;
                length = 2;
            } else if (n == u'=') {
                token_.kind = Tok::Le;
                length = 2;
            } else {
                token_.kind = Tok::Lt;
            }
            break;
        case u'>':
            if (n == u'=') {
                token_.kind = Tok::Ge;
                length = 2;
            } else {
                token_.kind = Tok::Gt;
            }
            break;
        case u'(': token_.kind = Tok::LParen; break;
        case u')': token_.kind = Tok::RParen; break;
        case u'[': token_.kind = Tok::LBracket; break;
        case u']': token_.kind = Tok::RBracket; break;
        case u',': token_.kind = Tok::Comma; break;
        case u'.':
            if (n == u'.') {
                token_.kind = Tok::DotDot;
                length = 2;
            } else {
                token_.kind = Tok::Dot;
            }
            break;
        case u':':
            if (n == u'=') {
                token_.kind = Tok::Assign;
                length = 2;
            } else {
                token_.kind = Tok::Colon;
            }
            break;
        case u';': token_.kind = Tok::Semicolon; break;
        default: token_.kind = Tok::Other; break;
        }
        pos_ += length;
    }
    token_.end = pos_;
}

void Lexer::readNumber()
{
    const qsizetype start = pos_;
    token_.kind = Tok::Number;
    if (text_[pos_] == u'$') {
        ++pos_;
        while (pos_ < text_.size() && isHexDigit(text_[pos_]))
            ++pos_;
        qint64 v;
        if (pos_ == start + 1 || !parseInteger(text_.mid(start, pos_ - start), &v))
            fail(QStringLiteral("Invalid number"), start);
        token_.value = Value::fromInteger(v);
        return;
    }
    while (pos_ < text_.size() && isDigit(text_[pos_]))
        ++pos_;
    bool isFloat = false;
    // A point is a fraction only when a digit follows ("1..5" is a range, "1.x" no number).
    if (pos_ + 1 < text_.size() && text_[pos_] == u'.' && isDigit(text_[pos_ + 1])) {
        isFloat = true;
        pos_ += 2;
        while (pos_ < text_.size() && isDigit(text_[pos_]))
            ++pos_;
    }
    if (pos_ < text_.size() && (text_[pos_] == u'e' || text_[pos_] == u'E')) {
        qsizetype p = pos_ + 1;
        if (p < text_.size() && (text_[p] == u'+' || text_[p] == u'-'))
            ++p;
        if (p < text_.size() && isDigit(text_[p])) {
            isFloat = true;
            pos_ = p;
            while (pos_ < text_.size() && isDigit(text_[pos_]))
                ++pos_;
        }
    }
    std::string ascii;
    ascii.reserve(std::size_t(pos_ - start));
    for (qsizetype i = start; i < pos_; ++i)
        ascii += char(text_[i].unicode());
    const char* first = ascii.data();
    const char* last = first + ascii.size();
    if (!isFloat) {
        qint64 v;
        const auto [ptr, ec] = std::from_chars(first, last, v);
        if (ec == std::errc() && ptr == last) {
            token_.value = Value::fromInteger(v);
            return;
        }
        // Too large for 64 bits: a floating number, as the platform reads it.
    }
    double d;
    const auto [ptr, ec] = std::from_chars(first, last, d);
    if (ec != std::errc() || ptr != last)
        fail(QStringLiteral("Invalid number"), start);
    token_.value = Value(d);
}

void Lexer::readString()
{
    token_.kind = Tok::String;
    QString s;
    for (;;) {
        if (pos_ < text_.size() && text_[pos_] == u'\'') {
            const qsizetype start = pos_;
            ++pos_;
            for (;;) {
                if (pos_ >= text_.size() || text_[pos_] == u'\n' || text_[pos_] == u'\r')
                    fail(QStringLiteral("Unterminated string"), start);
                if (text_[pos_] == u'\'') {
                    if (pos_ + 1 < text_.size() && text_[pos_ + 1] == u'\'') {
                        s += u'\'';
                        pos_ += 2;
                        continue;
                    }
                    ++pos_;
                    break;
                }
                s += text_[pos_++];
            }
        } else if (pos_ < text_.size() && text_[pos_] == u'#') {
            const qsizetype start = pos_;
            ++pos_;
            const bool hex = pos_ < text_.size() && text_[pos_] == u'$';
            if (hex)
                ++pos_;
            const qsizetype digits = pos_;
            while (pos_ < text_.size() && (hex ? isHexDigit(text_[pos_]) : isDigit(text_[pos_])))
                ++pos_;
            bool ok = pos_ > digits && pos_ - digits <= 8;
            const uint code = ok ? text_.mid(digits, pos_ - digits).toUInt(&ok, hex ? 16 : 10) : 0;
            if (!ok || code > 0x10FFFF)
                fail(QStringLiteral("Invalid character code"), start);
            s += QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1);
        } else {
            break;
        }
    }
    token_.value = Value(std::move(s));
}

QString Lexer::readReference(qsizetype from)
{
    int depth = 0;
    bool outsideDouble = true;
    bool outsideSingle = true;
    for (qsizetype j = from; j < text_.size(); ++j) {
        const QChar c = text_[j];
        if (outsideDouble && outsideSingle) {
            if (c == u'<' || c == u'[') {
                ++depth;
            } else if (c == u'>' || c == u']') {
                if (--depth == 0) {
                    pos_ = j + 1;
                    token_.end = pos_;
                    const QString inner = text_.mid(from + 1, j - from - 1).toString();
                    next();
                    return inner;
                }
            }
        }
        if (outsideSingle && c == u'"')
            outsideDouble = !outsideDouble;
        if (outsideDouble && c == u'\'')
            outsideSingle = !outsideSingle;
    }
    fail(QStringLiteral("'>' expected"), from);
}

} // namespace report::detail
