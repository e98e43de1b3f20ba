#include "db/search_text.h"

namespace db {

namespace {

constexpr char16_t kIdeographicSpace = 0x3000;
constexpr char16_t kFullWidthFirst = 0xFF01; // '！', the full-width form of '!'
constexpr char16_t kFullWidthLast = 0xFF5E;  // '～'
constexpr char16_t kFullWidthOffset = 0xFF01 - 0x21;

char16_t halfWidthOf(char16_t c)
{
    if (c >= kFullWidthFirst && c <= kFullWidthLast)
        return static_cast<char16_t>(c - kFullWidthOffset);
    return c == kIdeographicSpace ? u' ' : c;
}

} // namespace

QString halfWidth(QStringView text)
{
    QString result(text.size(), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(result.data());
    for (qsizetype i = 0; i < text.size(); ++i)
        out[i] = halfWidthOf(text[i].unicode());
    return result;
}

QString foldForSearch(QStringView text)
{
    QString result;
    result.reserve(text.size());
    for (QChar c : text) {
        const QChar half(halfWidthOf(c.unicode()));
        if (half.isSpace() || half.unicode() < 0x20 || half.unicode() == 0x7F)
            continue;
        if (half.unicode() < 0x80) {
            const char16_t u = half.unicode();
            result.append(QChar(u >= u'A' && u <= u'Z' ? static_cast<char16_t>(u + 32) : u));
        } else {
            // Surrogate halves lower-case to themselves, so characters beyond the basic plane stay whole.
            result.append(half.toLower());
        }
    }
    return result;
}

QStringList searchWords(QStringView typed)
{
    QStringList words;
    const QString half = halfWidth(typed);
    qsizetype start = 0;
    for (qsizetype i = 0; i <= half.size(); ++i) {
        if (i < half.size() && !half[i].isSpace())
            continue;
        const QString word = foldForSearch(QStringView(half).sliced(start, i - start));
        if (!word.isEmpty() && !words.contains(word))
            words.append(word);
        start = i + 1;
    }
    return words;
}

} // namespace db
