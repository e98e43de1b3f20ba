#include "platform/csv_text.h"
#include <QStringDecoder>
#include <algorithm>
#include <array>

namespace platform::csv {

namespace {

const QByteArray kUtf8Bom("\xEF\xBB\xBF");

bool isLineBreak(QChar c) { return c == QLatin1Char('\n') || c == QLatin1Char('\r'); }

} // namespace

Decoded decode(const QByteArray& bytes)
{
    if (bytes.startsWith(kUtf8Bom))
        return {QString::fromUtf8(bytes.constData() + 3, bytes.size() - 3), QStringLiteral("UTF-8 (BOM)")};
    QStringDecoder strict(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString asUtf8 = strict.decode(bytes);
    if (!strict.hasError())
        return {std::move(asUtf8), QStringLiteral("UTF-8")};
    QStringDecoder gbk("GB18030");
    if (!gbk.isValid()) // a Qt without ICU: the text is then read as UTF-8 with its faults
        return {std::move(asUtf8), QStringLiteral("UTF-8")};
    QString asGbk = gbk.decode(bytes);
    return {std::move(asGbk), QStringLiteral("GBK")};
}

QChar detectDelimiter(QStringView text)
{
    const std::array<QChar, 3> candidates{QLatin1Char(','), QLatin1Char(';'), QLatin1Char('\t')};
    std::array<int, 3> counts{};
    bool quoted = false;
    for (QChar c : text) {
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (!quoted && isLineBreak(c))
            break;
        else if (!quoted)
            for (std::size_t k = 0; k < candidates.size(); ++k)
                counts[k] += c == candidates[k] ? 1 : 0;
    }
    std::size_t best = 0;
    for (std::size_t k = 1; k < candidates.size(); ++k)
        if (counts[k] > counts[best])
            best = k;
    return candidates[best];
}

void Reader::countLineBreak(qsizetype& i)
{
    // CR LF counts once; i is left on the last character of the break.
    if (text_[i] == QLatin1Char('\r') && i + 1 < text_.size() && text_[i + 1] == QLatin1Char('\n'))
        ++i;
    ++line_;
}

void Reader::endField(Record& record, FieldState& field, const FieldSink& take)
{
    if (field.count < limits_.fields)
        take(field.text);
    else if (record.error.isEmpty())
        record.error = QStringLiteral("字段超过%1个").arg(limits_.fields);
    ++field.count;
    if (field.overflow && record.error.isEmpty())
        record.error = QStringLiteral("字段超过%1个字符").arg(limits_.fieldLength);
    field.text.clear();
    field.overflow = false;
}

qsizetype Reader::plainRunEnd(qsizetype from, bool inQuotes) const
{
    qsizetype end = from;
    while (end < text_.size() && text_[end] != QLatin1Char('"') && !isLineBreak(text_[end])
           && (inQuotes || text_[end] != delimiter_))
        ++end;
    return end;
}

bool Reader::next(Record& record)
{
    return next(record, [&record](QString& field) { record.fields.append(field); });
}

bool Reader::next(Record& record, const FieldSink& take)
{
    // Empty lines between records are skipped.
    while (at_ < text_.size() && isLineBreak(text_[at_])) {
        countLineBreak(at_);
        ++at_;
    }
    if (at_ >= text_.size())
        return false;
    record = Record{};
    record.line = line_;
    FieldState field;
    bool inQuotes = false;
    bool fieldStart = true; // only a quote that opens a field starts a quoted field
    qsizetype i = at_;
    auto append = [&](QStringView part) {
        fieldStart = false;
        const qsizetype room = limits_.fieldLength - field.text.size();
        if (part.size() > room) {
            field.overflow = true;
            part = part.first(std::max<qsizetype>(room, 0));
        }
        field.text.append(part);
    };
    for (; i < text_.size(); ++i) {
        // Characters that mean nothing to the reader are taken as one run.
        if (const qsizetype run = plainRunEnd(i, inQuotes); run > i) {
            append(text_.sliced(i, run - i));
            i = run - 1;
            continue;
        }
        const QChar c = text_[i];
        if (inQuotes && c == QLatin1Char('"')) {
            const bool doubled = i + 1 < text_.size() && text_[i + 1] == QLatin1Char('"');
            append(doubled ? QStringView(u"\"") : QStringView());
            i += doubled ? 1 : 0;
            inQuotes = doubled;
        } else if (inQuotes) {
            // A line break inside quotes is kept as one LF.
            countLineBreak(i);
            append(u"\n");
        } else if (c == QLatin1Char('"') && fieldStart) {
            inQuotes = true;
        } else if (c == delimiter_) {
            endField(record, field, take);
            fieldStart = true;
        } else if (isLineBreak(c)) {
            countLineBreak(i);
            ++i;
            break;
        } else {
            // A quote inside an unquoted field, or text after a closing quote, is kept as text,
            // as spreadsheet programs read it.
            append(QStringView(&c, 1));
        }
    }
    endField(record, field, take);
    at_ = i;
    if (inQuotes)
        record.error = QStringLiteral("引号没有结束（从第%1行起的内容都在引号内）").arg(record.line);
    return true;
}

QString quoted(const QString& field, QChar delimiter)
{
    const bool needsQuotes = field.contains(delimiter) || field.contains(QLatin1Char('"'))
        || field.contains(QLatin1Char('\n')) || field.contains(QLatin1Char('\r'))
        || (!field.isEmpty() && (field.front().isSpace() || field.back().isSpace()));
    if (!needsQuotes)
        return field;
    QString doubled = field;
    doubled.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + doubled + QLatin1Char('"');
}

namespace {

bool looksLikeFormula(const QString& field)
{
    qsizetype k = 0;
    while (k < field.size() && field[k] == QLatin1Char('\''))
        ++k;
    return k < field.size() && QStringView(u"=+-@").contains(field[k]);
}

} // namespace

QString guardedFormula(const QString& field)
{
    return looksLikeFormula(field) ? QLatin1Char('\'') + field : field;
}

QString unguardedFormula(const QString& field)
{
    return field.startsWith(QLatin1Char('\'')) && looksLikeFormula(field) ? field.mid(1) : field;
}

} // namespace platform::csv
