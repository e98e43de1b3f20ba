#pragma once
#include <QString>
#include <QStringList>

namespace db {

// The form in which catalogue texts are compared by the search: letters in lower case,
// full-width Latin letters, digits and signs (Ａ, ４, ＋) as their half-width forms, and no
// blanks or control characters at all, so "ＲＴＸ４０７０" and "rtx4070" both find "RTX 4070".
QString foldForSearch(QStringView text);

// The words of a typed search, each in the folded form; blanks of either width separate them.
QStringList searchWords(QStringView typed);

// Full-width Latin letters, digits and signs as their half-width forms, the ideographic
// space as a plain one; nothing else changes.
QString halfWidth(QStringView text);

} // namespace db
