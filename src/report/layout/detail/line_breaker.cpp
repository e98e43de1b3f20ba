#include "report/layout/detail/line_breaker.h"

#include <QChar>
#include <QStringView>

namespace report::detail {

bool isNumberText(const char16_t* text, int n)
{
    bool digit = false;
    for (int i = 0; i < n; ++i) {
        const char16_t c = text[i];
        if ((c >= u'0' && c <= u'9') || (c >= u'\uFF10' && c <= u'\uFF19'))
            digit = true;
        else if (!QStringView(u"+-.,%()\u00A5\uFFE5$\u20AC\u2212").contains(QChar(c)))
            return false;
    }
    return digit;
}

void breakParagraph(const char16_t* text, const int* widths, int n, const BreakSettings& settings,
                    std::vector<BreakLine>& lines)
{
    long long total = 0;
    for (int i = 0; i < n; ++i)
        total += widths[i];
    if (!settings.wordWrap || n == 1 || total < settings.firstWidth) {
        lines.push_back({0, n, false});
        return;
    }
    // A number broken over two lines reads as two numbers, and a cell one line high shows
    // only the first: it stays whole, wider than its line.
    if (isNumberText(text, n)) {
        lines.push_back({0, n, false, true});
        return;
    }

    int start = 0;
    int available = settings.firstWidth;
    while (start < n) {
        long long width = 0;
        int lastSpace = -1;
        int i = start;
        for (; i < n; ++i) {
            if (text[i] == u' ')
                lastSpace = i;
            width += widths[i];
            if (width > available)
                break;
        }
        if (i == n) {
            lines.push_back({start, n - start, false});
            return;
        }
        // A space at the very start of the line has nothing before it to end a line with.
        if (lastSpace > start) {
            const int wordStart = lastSpace + 1;
            const int prefix = settings.wordBreak ? hyphenationPrefix(text + wordStart, n - wordStart, i - wordStart) : 0;
            if (prefix > 0) {
                lines.push_back({start, wordStart + prefix - start, true});
                start = wordStart + prefix;
            } else {
                lines.push_back({start, lastSpace - start, false});
                start = lastSpace + 1;
            }
        } else if (i == start) {
            // Too wide for the line on its own: it still gets a line, with its low surrogate.
            const int length = (QChar::isHighSurrogate(text[i]) && i + 1 < n && QChar::isLowSurrogate(text[i + 1])) ? 2 : 1;
            lines.push_back({start, length, false});
            start += length;
        } else {
            const int prefix = settings.wordBreak ? hyphenationPrefix(text + start, n - start, i - start) : 0;
            if (prefix > 0) {
                lines.push_back({start, prefix, true});
                start += prefix;
            } else {
                // Never leave a surrogate pair split over two lines.
                if (QChar::isLowSurrogate(text[i]) && i - 1 > start)
                    --i;
                lines.push_back({start, i - start, false});
                start = i;
            }
        }
        available = settings.laterWidth;
    }
}

} // namespace report::detail
