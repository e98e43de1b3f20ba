// Fuzz target: price lists read from arbitrary bytes.
//
// Whatever the bytes, the CSV reader must end, keep within its limits and count lines
// forward; a record it read without error, written again field by field, must read back as
// the same fields; read field by field without limits (as the report's CSV data source
// reads), it must give the same records; and reading the bytes as a price list must either fail with the data
// layer's error or give rows that the import can take (four category names, a name without
// control characters, a non-negative price) and refused rows with a line and a reason.
#include "platform/csv_text.h"
#include "db/db_error.h"
#include "db/price_list.h"

#include "fuzz_check.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

namespace {

void checkRecords(const QString& text, QChar delimiter)
{
    platform::csv::Reader reader(text, delimiter);
    platform::csv::Record record;
    int lastLine = 0;
    qsizetype lastPosition = -1;
    while (reader.next(record)) {
        FUZZ_CHECK(reader.position() > lastPosition);
        FUZZ_CHECK(record.line > lastLine);
        lastPosition = reader.position();
        lastLine = record.line;
        FUZZ_CHECK(record.fields.size() <= platform::csv::kMaxFields);
        for (const QString& field : record.fields)
            FUZZ_CHECK(field.size() <= platform::csv::kMaxFieldLength && !field.contains(QLatin1Char('\r')));
        if (!record.error.isEmpty() || record.fields == QStringList{QString()})
            continue;
        QString again;
        for (qsizetype k = 0; k < record.fields.size(); ++k)
            again += (k ? QString(delimiter) : QString()) + platform::csv::quoted(record.fields[k], delimiter);
        again += QStringLiteral("\r\n");
        platform::csv::Reader reread(again, delimiter);
        platform::csv::Record back;
        FUZZ_CHECK(reread.next(back));
        FUZZ_CHECK(back.error.isEmpty() && back.fields == record.fields);
        FUZZ_CHECK(!reread.next(back));
    }
}

// The field-by-field reading without limits against the record reading with them.
void checkUnlimited(const QString& text, QChar delimiter)
{
    platform::csv::Reader limited(text, delimiter);
    platform::csv::Reader unlimited(text, delimiter, platform::csv::Limits::none());
    platform::csv::Record record;
    platform::csv::Record streamed;
    QStringList fields;
    const auto take = [&fields](QString& field) { fields.append(field); };
    while (limited.next(record)) {
        fields.clear();
        FUZZ_CHECK(unlimited.next(streamed, take));
        FUZZ_CHECK(streamed.line == record.line && unlimited.position() == limited.position());
        if (record.error.isEmpty()) {
            FUZZ_CHECK(streamed.error.isEmpty() && fields == record.fields);
            continue;
        }
        // A record over the limits: what was kept is the start of the whole.
        FUZZ_CHECK(record.fields.size() <= fields.size());
        bool overLimit = fields.size() > platform::csv::kMaxFields;
        for (qsizetype k = 0; k < fields.size(); ++k) {
            overLimit = overLimit || fields[k].size() > platform::csv::kMaxFieldLength;
            if (k < record.fields.size())
                FUZZ_CHECK(record.fields[k] == fields[k].left(platform::csv::kMaxFieldLength));
        }
        FUZZ_CHECK(overLimit || !streamed.error.isEmpty());
    }
    FUZZ_CHECK(!unlimited.next(streamed, take));
}

void checkPriceList(const QByteArray& bytes)
{
    db::PriceListFile file;
    try {
        file = db::readPriceList(bytes);
    } catch (const db::DbError& e) {
        FUZZ_CHECK(!e.text().isEmpty());
        return;
    }
    for (const db::PriceListRow& row : file.rows) {
        FUZZ_CHECK(row.line >= 2 && row.path.size() == 4);
        for (const QString& name : row.path)
            FUZZ_CHECK(!name.isEmpty() && name.size() <= db::kCategoryNameLength);
        FUZZ_CHECK(!row.name.isEmpty() && row.name.size() <= db::kItemNameLength);
        for (QChar c : row.name + row.webAddress)
            FUZZ_CHECK(c.unicode() >= 0x20 && c.unicode() != 0x7F && c != QChar::ReplacementCharacter);
        FUZZ_CHECK(!row.price || (std::isfinite(*row.price) && *row.price >= 0));
    }
    for (const db::RefusedRow& refused : file.refused)
        FUZZ_CHECK(refused.line >= 2 && !refused.reason.isEmpty());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    const platform::csv::Decoded decoded = platform::csv::decode(input);
    FUZZ_CHECK(!decoded.encoding.isEmpty());
    const QChar delimiter = platform::csv::detectDelimiter(decoded.text);
    checkRecords(decoded.text, delimiter);
    checkUnlimited(decoded.text, delimiter);
    checkPriceList(input);
    return 0;
}
