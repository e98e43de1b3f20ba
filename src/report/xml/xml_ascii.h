#pragma once
// ASCII letter-case folding for element and attribute names (the names of the XML text
// form are ASCII; bytes of other characters compare as they are).
#include <QByteArrayView>

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

} // namespace report::detail
