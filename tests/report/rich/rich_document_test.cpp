// The rich document: replacing ranges, cutting remainders and writing RTF that reads back
// as the same document.
#include "report/rich/rtf_reader.h"
#include "report/rich/rtf_writer.h"

#include <gtest/gtest.h>

using namespace report::rich;

namespace {

const char* const kStyled =
    "{\\rtf1\\ansi\\ansicpg936\\deff0\\deftab420{\\fonttbl{\\f0\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}{\\f1\\fcharset0 Arial;}}"
    "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green128\\blue0;}"
    "\\pard\\qc\\li360\\sb60 \\f0\\fs24\\b \\'b1\\'ea\\'cc\\'e2\\b0\\par"
    "\\pard\\qj\\fi240\\sa120\\sl276\\slmult1\\tx2000\\tx500 \\f1\\fs20\\cf1 red {\\highlight2 marked} {\\i\\ul\\strike odd\\{\\}\\\\} a\\tab b\\line c"
    "\\u8364?\\u-10179?\\u-8694?\\par}";

TEST(RichDocument, WrittenRtfReadsBackAsTheSameDocument)
{
    const RichDocument doc = readRtf(QByteArray(kStyled));
    ASSERT_EQ(doc.plainText(), QStringLiteral("标题\r\nred marked odd{}\\ a\tb\vc€😊"));
    EXPECT_TRUE(readRtf(writeRtf(doc)) == doc);
    // Plain ASCII: the bytes need no code page to be read.
    const QByteArray rtf = writeRtf(doc);
    EXPECT_TRUE(std::all_of(rtf.cbegin(), rtf.cend(), [](char c) { return uchar(c) < 0x80; }));
    EXPECT_TRUE(rtf.contains("\\'cb\\'ce\\'cc\\'e5")); // 宋体 in its character set
    // A range: from the second paragraph on, with its paragraph format.
    const int second = int(doc.text().indexOf(u'\r')) + 1;
    const RichDocument rest = readRtf(writeRtf(doc, second));
    EXPECT_TRUE(rest == doc.slice(second, doc.length()));
    EXPECT_EQ(rest.paragraph(0).align, ParaAlign::Justify);
    EXPECT_EQ(rest.paragraph(0).firstIndent, 240);
    EXPECT_EQ(rest.paragraph(0).lineSpacing, 276);
    EXPECT_TRUE(rest.paragraph(0).lineMultiple);
    EXPECT_EQ(rest.defaultTab(), 420);
    EXPECT_EQ(rest.paragraph(0).tabStops, (std::vector<int>{500, 2000}));
    // An empty document writes and reads as empty.
    EXPECT_TRUE(readRtf(writeRtf(RichDocument())).isEmpty());
    // DEL and other control characters are no text, whether read or typed in (a Shift_JIS
    // font could not even write DEL back).
    RichDocument controls = readRtf(QByteArray("{\\rtf1{\\fonttbl{\\f0\\fcharset128 MS Mincho;}}\\f0 a\\u127?b\\'7fc\\'01d}"));
    EXPECT_EQ(controls.plainText(), QStringLiteral("abcd"));
    controls.replace(1, 0, QStringLiteral("x\x7f\x01\ty"));
    EXPECT_EQ(controls.plainText(), QStringLiteral("ax\tybcd"));
    EXPECT_TRUE(readRtf(writeRtf(controls)) == controls);
    // Nor are they part of a font's name.
    const RichDocument named = readRtf(QByteArray("{\\rtf1{\\fonttbl{\\f0 MS\\'1cMin\x1c" "cho\\u127?;}}\\f0 a}"));
    EXPECT_EQ(named.formatAt(0).face, QStringLiteral("MSMincho"));
    EXPECT_TRUE(readRtf(writeRtf(named)) == named);
}

TEST(RichDocument, ReplacedTextTakesTheFormatOfTheRangeStart)
{
    RichDocument doc = readRtf(QByteArray("{\\rtf1 plain {\\b\\fs40 [}x{\\i ]} end}"));
    const int open = int(doc.text().indexOf(u'['));
    EXPECT_EQ(doc.replace(open, 3, QStringLiteral("one\r\ntwo")), 7);
    EXPECT_EQ(doc.plainText(), QStringLiteral("plain one\r\ntwo end"));
    for (int i = open; i < open + 7; ++i) {
        if (doc.text()[i] == u'\r')
            continue;
        EXPECT_TRUE(doc.formatAt(i).bold);
        EXPECT_EQ(doc.formatAt(i).halfPoints, 40);
        EXPECT_FALSE(doc.formatAt(i).italic);
    }
    EXPECT_EQ(doc.paragraphCount(), 2);
    EXPECT_FALSE(doc.formatAt(doc.length() - 1).bold);

    // Replacing across a paragraph break joins the paragraphs; out-of-range is clipped.
    doc.replace(open, 7, QString());
    EXPECT_EQ(doc.plainText(), "plain  end");
    EXPECT_EQ(doc.paragraphCount(), 1);
    doc.replace(1000, 5, QStringLiteral("!"));
    EXPECT_EQ(doc.plainText(), "plain  end!");
    // Text typed into an empty document takes the format of its paragraph mark.
    RichDocument empty = readRtf(QByteArray("{\\rtf1\\pard\\qc\\b\\fs40\\par}"));
    empty.replace(0, 0, QStringLiteral("title"));
    EXPECT_TRUE(empty.formatAt(0).bold);
    EXPECT_EQ(empty.formatAt(0).halfPoints, 40);
    EXPECT_EQ(empty.paragraph(0).align, ParaAlign::Center);
}

// A document keeps a bounded number of distinct formats: those kept are found again however
// many came since, and text in a format met only past the bound takes the last one kept.
TEST(RichDocument, FormatsPastTheKeptOnes)
{
    QByteArray rtf = "{\\rtf1 ";
    for (int size = 1; size <= 1500; ++size)
        for (const char* style : {"\\b0\\i0", "\\b\\i0", "\\b0\\i", "\\b\\i"})
            rtf += "\\fs" + QByteArray::number(size) + style + " a";
    rtf += "\\fs7\\b\\i0 b\\fs1\\b0\\i0 c}";
    const RichDocument doc = readRtf(rtf);
    ASSERT_EQ(doc.length(), 6002);
    int lastKept = 0;
    for (int i = 0; i < 6000; ++i) {
        const CharFormat& f = doc.formatAt(i);
        const bool own = f.halfPoints == i / 4 + 1 && f.bold == bool(i % 2) && f.italic == bool(i % 4 / 2);
        if (own) {
            ASSERT_EQ(lastKept, i) << "a format past the bound was kept";
            lastKept = i + 1;
        } else {
            EXPECT_EQ(f, doc.formatAt(lastKept - 1)) << i;
        }
    }
    EXPECT_GT(lastKept, 4000);
    EXPECT_LT(lastKept, 6000);
    EXPECT_EQ(doc.formatAt(6000).halfPoints, 7);
    EXPECT_TRUE(doc.formatAt(6000).bold);
    EXPECT_FALSE(doc.formatAt(6000).italic);
    EXPECT_EQ(doc.formatAt(6001), doc.formatAt(0));
    EXPECT_TRUE(readRtf(writeRtf(doc)) == doc);
    // A part keeps formats of its own.
    EXPECT_TRUE(readRtf(writeRtf(doc, lastKept - 10)) == doc.slice(lastKept - 10, doc.length()));
    const RichDocument boldFirst =
        readRtf(QByteArray("{\\rtf1{\\fonttbl{\\f0\\fcharset0 MS Sans Serif;}}\\f0\\fs16 {\\b a}b}"));
    ASSERT_EQ(boldFirst.formatAt(1), defaultCharFormat());
    EXPECT_TRUE(boldFirst.slice(0, 2) == boldFirst);
}

TEST(RichDocument, TruncatingKeepsTheStartAndItsFormats)
{
    RichDocument doc = readRtf(QByteArray(kStyled));
    const RichDocument whole = doc;
    const int second = int(doc.text().indexOf(u'\r')) + 1;
    doc.truncate(second);
    EXPECT_EQ(doc.plainText(), QStringLiteral("标题"));
    EXPECT_EQ(doc.paragraphCount(), 1);
    EXPECT_EQ(doc.paragraph(0), whole.paragraph(0));
    EXPECT_TRUE(readRtf(writeRtf(doc)) == doc);
    doc.truncate(0);
    EXPECT_TRUE(doc.isEmpty());
}

} // namespace
