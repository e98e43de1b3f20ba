#pragma once
// ASCII letter-case folding for element and attribute names (the names of the XML text
// form are ASCII; bytes of other characters compare as they are).
#include <QByteArrayView>

#include <cstring>

namespace report::detail {

inline unsigned char foldCase(unsigned char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

inline bool equalsIgnoringCase(QByteArrayView a, QByteArrayView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (foldCase(static_cast<unsigned char>(a[i])) != foldCase(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// memchr that also takes an empty range with a null pointer (an empty QByteArray's data).
inline const char* findByte(const char* from, qsizetype size, char c)
{
    return size > 0 ? static_cast<const char*>(std::memchr(from, c, std::size_t(size))) : nullptr;
}

} // namespace report::detail
