#include "preview/printing/page_numbers.h"

#include "platform/error.h"

#include <algorithm>

namespace preview {

QString invalidPageListMessage(const QString& text)
{
    return QStringLiteral("'%1' is not a valid page list").arg(text);
}

PageNumberList::PageNumberList(const QString& text, int pageCount)
{
    QString s = text;
    s.remove(u' ');
    s.remove(u'\t');
    if (s.isEmpty()) {
        all_ = true;
        return;
    }
    if (s.endsWith(u'-'))
        s += QString::number(pageCount);
    s += u',';
    // A number ends at "," (alone, or closing a range) or at "-" (opening a range).
    QString number;
    int rangeStart = 0;
    bool inRange = false;
    for (const QChar c : s) {
        if (c.isDigit() && c.unicode() < 128) {
            number += c;
            continue;
        }
        bool ok = false;
        const int value = number.toInt(&ok);
        if (!ok || (c != u',' && c != u'-'))
            throw platform::Error(invalidPageListMessage(text));
        number.clear();
        if (c == u'-') {
            rangeStart = value;
            inRange = true;
        } else if (inRange) {
            // Pages past the last are never met; a huge range end costs nothing.
            for (int page = rangeStart; page <= std::min(value, pageCount); ++page)
                pages_.insert(page);
            inRange = false;
        } else {
            pages_.insert(value);
        }
    }
}

} // namespace preview
