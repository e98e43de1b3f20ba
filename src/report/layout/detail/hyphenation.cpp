#include "report/layout/detail/line_breaker.h"

#include <QChar>

namespace report::detail {

namespace {

enum LetterClass : unsigned char { kOther = 0, kVowel = 1, kConsonant = 2, kSign = 4, kShortI = 8 };

unsigned char letterClass(char16_t c)
{
    const char16_t u = QChar::toUpper(c);
    switch (u) {
    case u'А': case u'Е': case u'Ё': case u'И': case u'О':
    case u'У': case u'Ы': case u'Э': case u'Ю': case u'Я':
        return kVowel;
    case u'Ь': case u'Ъ':
        return kConsonant | kSign;
    case u'Й':
        return kConsonant | kShortI;
    case u'Б': case u'В': case u'Г': case u'Д': case u'Ж': case u'З': case u'К':
    case u'Л': case u'М': case u'Н': case u'П': case u'Р': case u'С': case u'Т':
    case u'Ф': case u'Х': case u'Ц': case u'Ч': case u'Ш': case u'Щ':
        return kConsonant;
    default:
        return kOther;
    }
}

bool isWordEnd(char16_t c)
{
    return c == u' ' || c == u'.' || c == u',' || c == u'-' || c == u';';
}

} // namespace

int hyphenationPrefix(const char16_t* word, int available, int fitting)
{
    if (fitting <= 1)
        return 0;
    int length = fitting;
    while (length < available && !isWordEnd(word[length]))
        ++length;
    if (length <= 3)
        return 0;

    // Classes in upper case, and for each position the number of vowels before it.
    std::vector<unsigned char> cls(length);
    std::vector<int> vowelsBefore(length + 1, 0);
    for (int k = 0; k < length; ++k) {
        cls[k] = letterClass(word[k]);
        vowelsBefore[k + 1] = vowelsBefore[k] + ((cls[k] & kVowel) ? 1 : 0);
    }
    auto upper = [&](int k) { return QChar::toUpper(word[k]); };

    int prefix = 0;
    for (int k = 0; k + 1 < length; ++k) {
        const int pos = k + 1; // letters before the break
        if (pos >= fitting)
            break;
        const unsigned char next = cls[k + 1];
        bool possible = false;
        if (cls[k] & kConsonant) {
            possible = !(next & kVowel) && !(next & kSign);
        } else if (cls[k] & kVowel) {
            const bool doubledBeforeVowel = k + 3 < length && (next & kConsonant) && upper(k + 1) == upper(k + 2)
                                            && (cls[k + 3] & kVowel);
            possible = !(next & kShortI) && !doubledBeforeVowel;
        }
        if (!possible)
            continue;
        const bool partsLongEnough = pos > 1 && length - pos > 1;
        const bool partsHaveVowels = vowelsBefore[pos] > 0 && vowelsBefore[length] - vowelsBefore[pos] > 0;
        if (partsLongEnough && partsHaveVowels)
            prefix = pos;
    }
    return prefix;
}

} // namespace report::detail
