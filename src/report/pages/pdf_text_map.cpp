// Radicals in the text maps of written PDF files turned back into ideographs.

#include "report/pages/detail/pdf_text_map.h"

#include "platform/hex_digit.h"

#include <QString>
#include <algorithm>
#include <iterator>

namespace report::detail {

namespace {

// Radicals of the supplement block and the ideographs Chinese fonts draw them with.
// (The Kangxi radicals have compatibility decompositions that say the same.)
struct Equivalent {
    char16_t radical;
    char16_t ideograph;
};
constexpr Equivalent kSupplement[] = {
    {0x2E82, 0x4E5B}, {0x2E83, 0x4E5A}, {0x2E85, 0x4EBB}, {0x2E89, 0x5202}, {0x2E8B, 0x353E},
    {0x2E8E, 0x5140}, {0x2E8F, 0x5C23}, {0x2E90, 0x5C22}, {0x2E92, 0x5DF3}, {0x2E93, 0x5E7A},
    {0x2E94, 0x5F51}, {0x2E95, 0x5F50}, {0x2E96, 0x5FC4}, {0x2E98, 0x624C}, {0x2E99, 0x6535},
    {0x2E9B, 0x65E1}, {0x2E9E, 0x6B7A}, {0x2E9F, 0x6BCD}, {0x2EA0, 0x6C11}, {0x2EA1, 0x6C35},
    {0x2EA3, 0x706C}, {0x2EA4, 0x722B}, {0x2EA6, 0x4E2C}, {0x2EA8, 0x72AD}, {0x2EAB, 0x7F52},
    {0x2EAD, 0x793B}, {0x2EAF, 0x7CF9}, {0x2EB0, 0x7E9F}, {0x2EB1, 0x7F53}, {0x2EB2, 0x7F52},
    {0x2EB3, 0x34C1}, {0x2EB9, 0x8002}, {0x2EBA, 0x8080}, {0x2EBE, 0x8279}, {0x2EBF, 0x8279},
    {0x2EC1, 0x864E}, {0x2EC2, 0x8864}, {0x2EC3, 0x8980}, {0x2EC5, 0x89C1}, {0x2EC6, 0x89D2},
    {0x2EC8, 0x8BA0}, {0x2EC9, 0x8D1D}, {0x2ECB, 0x8F66}, {0x2ECC, 0x8FB6}, {0x2ECE, 0x8FB6},
    {0x2ED0, 0x9485}, {0x2ED1, 0x9577}, {0x2ED2, 0x9578}, {0x2ED3, 0x957F}, {0x2ED4, 0x95E8},
    {0x2ED6, 0x961D}, {0x2ED8, 0x9752}, {0x2ED9, 0x97E6}, {0x2EDA, 0x9875}, {0x2EDB, 0x98CE},
    {0x2EDC, 0x98DE}, {0x2EDD, 0x98DF}, {0x2EDF, 0x98E0}, {0x2EE0, 0x9963}, {0x2EE2, 0x9A6C},
    {0x2EE3, 0x9AA8}, {0x2EE4, 0x9B3C}, {0x2EE5, 0x9C7C}, {0x2EE6, 0x9E1F}, {0x2EE7, 0x5364},
    {0x2EE8, 0x9EA6}, {0x2EE9, 0x9EC4}, {0x2EEA, 0x9EFE}, {0x2EEB, 0x6589}, {0x2EEC, 0x9F50},
    {0x2EEE, 0x9F7F}, {0x2EEF, 0x7ADC}, {0x2EF0, 0x9F99}, {0x2EF1, 0x9F9C}, {0x2EF2, 0x4E80},
    {0x2EF3, 0x9F9F},
};

// The four-digit code "<XXXX>" at i, or -1.
int codeAt(const QByteArray& s, qsizetype i)
{
    if (i + 5 >= s.size() || s[i] != '<' || s[i + 5] != '>')
        return -1;
    int code = 0;
    for (int k = 1; k <= 4; ++k) {
        const int d = platform::hexDigitValue(s[i + k]);
        if (d < 0)
            return -1;
        code = code * 16 + d;
    }
    return code;
}

bool mendCodeAt(QByteArray& s, qsizetype i)
{
    const int code = codeAt(s, i);
    if (code < 0)
        return false;
    const char16_t unified = unifiedIdeographOf(char16_t(code));
    if (unified == code)
        return false;
    const QByteArray hex = QByteArray::number(int(unified), 16).toUpper().rightJustified(4, '0');
    s.replace(i + 1, 4, hex);
    return true;
}

// One line of a map: "<src> <dst>", "<first> <last> <dst>" or "<first> <last> [<dst>...]".
// Only the characters are mended; a range given by its first character stands for a run
// of consecutive characters and is left alone unless it is one code long.
int mendLine(QByteArray& s, qsizetype from, qsizetype to)
{
    int mended = 0;
    const qsizetype bracket = s.indexOf('[', from);
    if (bracket >= 0 && bracket < to) {
        for (qsizetype i = s.indexOf('<', bracket); i >= 0 && i < to; i = s.indexOf('<', i + 1))
            mended += mendCodeAt(s, i);
        return mended;
    }
    qsizetype starts[3];
    int n = 0;
    for (qsizetype i = s.indexOf('<', from); i >= 0 && i < to && n < 3; i = s.indexOf('<', i + 1))
        starts[n++] = i;
    if (n == 2)
        return mendCodeAt(s, starts[1]);
    if (n == 3 && s.mid(starts[0], starts[1] - starts[0]).trimmed() == s.mid(starts[1], starts[2] - starts[1]).trimmed())
        return mendCodeAt(s, starts[2]);
    return 0;
}

} // namespace

char16_t unifiedIdeographOf(char16_t code)
{
    if (code >= 0x2F00 && code <= 0x2FD5) {
        const QString unified = QString(QChar(code)).normalized(QString::NormalizationForm_KC);
        return unified.size() == 1 ? unified[0].unicode() : code;
    }
    const auto it = std::lower_bound(std::begin(kSupplement), std::end(kSupplement), code,
                                     [](const Equivalent& e, char16_t c) { return e.radical < c; });
    return it != std::end(kSupplement) && it->radical == code ? it->ideograph : code;
}

int mendPdfTextMaps(QByteArray& pdf)
{
    int mended = 0;
    for (qsizetype at = pdf.indexOf("begincmap"); at >= 0; at = pdf.indexOf("begincmap", at + 1)) {
        const qsizetype end = pdf.indexOf("endcmap", at);
        if (end < 0)
            break;
        for (qsizetype line = at; line < end;) {
            qsizetype next = pdf.indexOf('\n', line);
            if (next < 0 || next > end)
                next = end;
            mended += mendLine(pdf, line, next);
            line = next + 1;
        }
        at = end;
    }
    return mended;
}

} // namespace report::detail
