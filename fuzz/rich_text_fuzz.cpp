// Fuzz target: RTF read from arbitrary bytes, then laid out, cut, written and drawn.
//
// Whatever the bytes, reading ends with a document no longer than the input; it writes
// as RTF that reads back as the same document (so a remainder survives a save and load);
// the quick test for a character says "maybe" whenever the text holds it;
// its layout covers every character once, in order, within the height it reports; cutting
// and replacing keep text and paragraphs in step; and drawing it ends.
#include "report/rich/rich_layout.h"
#include "report/rich/rich_paint.h"
#include "report/rich/rtf_reader.h"
#include "report/rich/rtf_writer.h"

#include "fuzz_check.h"
#include "fuzz_gui_application.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace {

using namespace report::rich;

void checkShape(const RichDocument& doc)
{
    const auto breaks = std::count(doc.text().cbegin(), doc.text().cend(), QChar(RichDocument::kParagraphBreak));
    FUZZ_CHECK(doc.paragraphCount() == breaks + 1);
}

void checkLayout(const RichDocument& doc, int width)
{
    const RichLayout layout = layOutRich(doc, width);
    int expected = 0;
    int bottom = 0;
    for (const RichLine& line : layout.lines) {
        FUZZ_CHECK(line.start == expected || (line.start == expected + 1 && doc.text()[expected] == u'\r'));
        FUZZ_CHECK(line.start <= line.end && line.end <= line.next && line.next <= doc.length());
        FUZZ_CHECK(line.top >= bottom && line.height > 0);
        bottom = line.top + line.height;
        expected = line.next;
    }
    FUZZ_CHECK(expected == doc.length());
    FUZZ_CHECK(layout.height >= bottom);
    const RichFit fit = fitRich(doc, layout, layout.height / 2);
    FUZZ_CHECK(fit.firstUnfit >= 0 && fit.firstUnfit <= doc.length() && fit.height <= layout.height);
}

void checkCuts(const RichDocument& doc, std::uint8_t seed)
{
    const int at = doc.length() == 0 ? 0 : seed % (doc.length() + 1);
    RichDocument head = doc;
    head.truncate(at);
    checkShape(head);
    // Cutting at a paragraph's start takes the break before it along; cutting at the end
    // takes nothing.
    QString expected = doc.text().left(at);
    if (at < doc.length() && expected.endsWith(QChar(RichDocument::kParagraphBreak)))
        expected.chop(1);
    FUZZ_CHECK(head.text() == expected);
    // The remainder travels as RTF.
    FUZZ_CHECK(readRtf(writeRtf(doc, at)) == doc.slice(at, doc.length()));

    RichDocument edited = doc;
    const int inserted = edited.replace(at, seed % 5, QStringLiteral("x\r\ny"));
    FUZZ_CHECK(inserted == 3);
    checkShape(edited);
}

void draw(const RichDocument& doc)
{
    // Huge sizes draw slowly without showing more; a picture of a few lines is enough.
    for (int i = 0; i < doc.length(); ++i)
        if (doc.formatAt(i).halfPoints > 200)
            return;
    const RichLayout layout = layOutRich(doc, 2000);
    QImage image(80, 60, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    paintRich(painter, doc, layout, QPointF(2, 2), 0.05, 0.05, 1000);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ensureGuiApplication();
    // What the program's event loop would do between documents (fonts kept for earlier
    // ones are let go there).
    QCoreApplication::processEvents();
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    const RichDocument doc = readRtf(input);
    FUZZ_CHECK(doc.length() <= input.size());
    checkShape(doc);
    FUZZ_CHECK(readRtf(writeRtf(doc)) == doc);
    // The quick test for an expression's bracket never misses one the text holds.
    for (const char16_t c : {u'[', u'<', char16_t(size > 0 ? data[0] & 0x7f : 'a')})
        FUZZ_CHECK(!doc.text().contains(QChar(c)) || mayHoldCharacter(input, c));
    if (doc.length() > 4000)
        return 0; // the rest grows with the square of the length
    const std::uint8_t seed = size > 0 ? data[size / 2] : 0;
    checkLayout(doc, 1 + seed * 23);
    checkCuts(doc, seed);
    if (doc.length() < 400)
        draw(doc);
    return 0;
}
