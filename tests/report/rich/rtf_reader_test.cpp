// Reading RTF as the quotation template, word processors and converters write it, and as
// hostile input that must end bounded and clean.
#include "report/rich/rtf_reader.h"

#include <gtest/gtest.h>

#include <QStringDecoder>

using namespace report::rich;

namespace {

RichDocument read(const char* rtf) { return readRtf(QByteArray(rtf)); }

QString text(const char* rtf) { return read(rtf).plainText(); }

int at(const RichDocument& doc, const QString& what) { return int(doc.text().indexOf(what)); }

// The way a Chinese WordPad writes: a GBK font table, code page 936 bytes, a colour table.
TEST(RtfReader, WordPadTextInCodePage936)
{
    const RichDocument doc = read(
        "{\\rtf1\\ansi\\ansicpg936\\deff0\\deflang1033\\deflangfe2052{\\fonttbl{\\f0\\fnil\\fprq2\\fcharset134 "
        "\\'cb\\'ce\\'cc\\'e5;}{\\f1\\fswiss\\fcharset0 Arial;}}\r\n{\\colortbl ;\\red255\\green0\\blue0;}\r\n"
        "\\viewkind4\\uc1\\pard\\lang2052\\f0\\fs24\\'d6\\'d0\\'ce\\'c4\\f1 abc\\cf1\\b  red\\par\r\n"
        "\\pard\\qc\\li720\\ri360\\fi-360\\sb120\\sa240\\cf0\\b0\\f0\\'b5\\'da\r\n\\'b6\\'fe\\'d0\\'d0\\par\r\n}\r\n");
    EXPECT_EQ(doc.plainText(), QStringLiteral("中文abc red\r\n第二行"));
    ASSERT_EQ(doc.paragraphCount(), 2);
    const CharFormat& zhong = doc.formatAt(0);
    EXPECT_EQ(zhong.face, QStringLiteral("宋体"));
    EXPECT_EQ(zhong.charset, 134);
    EXPECT_EQ(zhong.halfPoints, 24);
    EXPECT_TRUE(zhong.autoColor);
    EXPECT_EQ(doc.formatAt(at(doc, "abc")).face, "Arial");
    const CharFormat& red = doc.formatAt(at(doc, "red"));
    EXPECT_TRUE(red.bold);
    EXPECT_FALSE(red.autoColor);
    EXPECT_EQ(red.color & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(doc.paragraph(0).align, ParaAlign::Left);
    const ParaFormat& second = doc.paragraph(1);
    EXPECT_EQ(second.align, ParaAlign::Center);
    EXPECT_EQ(second.leftIndent, 720);
    EXPECT_EQ(second.rightIndent, 360);
    EXPECT_EQ(second.firstIndent, -360);
    EXPECT_EQ(second.spaceBefore, 120);
    EXPECT_EQ(second.spaceAfter, 240);
    EXPECT_FALSE(doc.formatAt(at(doc, QStringLiteral("第"))).bold);
}

// The way a word processor of today writes: \u with fallbacks (\uc scoped to its group),
// run classes with their associated fonts, a style sheet, document information, a
// generator, fields, bookmarks and a picture with binary data holding braces.
TEST(RtfReader, WordProcessorOutput)
{
    const RichDocument doc = read(
        "{\\rtf1\\adeflang1025\\ansi\\ansicpg1252\\uc1\\adeff31507\\deff0{\\fonttbl"
        "{\\f0\\fbidi \\froman\\fcharset0\\fprq2{\\*\\panose 02020603050405020304}Times New Roman;}"
        "{\\f13\\fbidi \\fnil\\fcharset134\\fprq2{\\*\\panose 02010600030101010101}SimSun{\\*\\falt \\'cb\\'ce\\'cc\\'e5};}}"
        "{\\colortbl;\\red0\\green0\\blue255;}"
        "{\\stylesheet{\\ql \\li0\\ri0\\rtlch\\fcs1 \\af0\\afs24 \\ltrch\\fcs0 \\fs24\\loch\\f0\\hich\\af0\\dbch\\af13 "
        "\\snext0 Normal;}}{\\*\\generator Microsoft Word;}{\\info{\\title Quote}{\\author shop}}\r\n"
        "\\pard\\plain \\ltrpar\\ql \\rtlch\\fcs1 \\af0\\afs24 \\ltrch\\fcs0 \\fs24\\loch\\af0\\hich\\af0\\dbch\\af13 "
        "{\\rtlch\\fcs1 \\ab\\af0 \\ltrch\\fcs0 \\b\\loch\\f0 Total: }"
        "{\\rtlch\\fcs1 \\af0 \\ltrch\\fcs0 \\loch\\f0\\hich\\af0\\dbch\\af13\\uc2 \\u21512\\'ba\\'cf\\u35745\\'bc\\'c6}"
        "\\u8212?{\\field{\\*\\fldinst {HYPERLINK \"http://x.example/\"}}{\\fldrslt {\\ul\\cf1 link}}}"
        "\\tab{\\*\\bkmkstart b}{\\pict{\\*\\picprop}\\wmetafile8\\picw10\\pich10\\bin4 }}{{}"
        "{\\fldinst PAGE}\\u-10179?\\u-8694?\\par}");
    // The picture keeps its place as one object character.
    EXPECT_EQ(doc.plainText(), QStringLiteral("Total: 合计—link\t\uFFFC😊"));
    EXPECT_TRUE(doc.formatAt(0).bold);
    EXPECT_EQ(doc.formatAt(0).face, "Times New Roman");
    const CharFormat& he = doc.formatAt(at(doc, QStringLiteral("合")));
    EXPECT_EQ(he.face, "SimSun"); // the \dbch run's associated font
    EXPECT_FALSE(he.bold);        // \ab belongs to the right-to-left run, not this one
    const CharFormat& link = doc.formatAt(at(doc, "link"));
    EXPECT_TRUE(link.underline);
    EXPECT_EQ(link.color & 0xFFFFFF, 0x0000FFu);
}

// Word opens every run with "\rtlch\fcs1 \af0 \ltrch\fcs0": the direction words end what
// \af describes, but the Chinese bytes after them still belong to the \dbch font.
TEST(RtfReader, DirectionWordsKeepTheRunClass)
{
    const char* head = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fcharset0 Times New Roman;}"
                       "{\\f13\\fcharset134 SimSun;}}\\pard\\plain \\ltrpar\\rtlch\\fcs1 \\af0 \\ltrch\\fcs0 "
                       "\\loch\\af0\\hich\\af0\\dbch\\af13 ";
    const RichDocument doc = read(QByteArray(head) + "{\\rtlch\\fcs1 \\af0\\ab \\ltrch\\fcs0 \\'c4\\'e3\\'ba\\'c3}"
                                  "{\\rtlch\\fcs1 \\af0 \\ltrch\\fcs0 \\af0 \\'c4\\'e3}\\par}");
    EXPECT_EQ(doc.plainText(), QStringLiteral("你好你"));
    EXPECT_EQ(doc.formatAt(0).face, "SimSun");
    EXPECT_FALSE(doc.formatAt(0).bold); // \ab after \rtlch is the right-to-left run's
    // An \af after \ltrch, before any class word, does not move the \dbch font either.
    EXPECT_EQ(doc.formatAt(2).face, "SimSun");
}

// Font tables in other character sets: each font's \'hh bytes are in its own set, and a
// two-byte character may be split over two escapes on two source lines.
TEST(RtfReader, CharacterSetsOfTheFonts)
{
    const RichDocument doc = read(
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fcharset0 Arial;}{\\f1\\fcharset136 PMingLiU;}"
        "{\\f2\\fcharset128 MS Mincho;}{\\f3\\fcharset129 Gulim;}{\\f4\\fcharset204 Arial Cyr;}"
        "{\\f5\\fcharset238 Arial CE;}{\\f6 NoCharset;}}"
        "\\f0 caf\\'e9 \\f1\\'a4\\'a4\\'a4\r\n\\'e5\\f2\\'93\\'fa\\'96\\'7b\\f3\\'c7\\'d1\\'b1\\'b9\\f4\\'cc\\'e8\\'f0"
        "\\f5\\'b9\\f6\\'80\\par}");
    EXPECT_EQ(doc.plainText(), QStringLiteral("café 中文日本한국Мир\u0105€"));
    EXPECT_EQ(doc.formatAt(at(doc, QStringLiteral("日"))).face, "MS Mincho");
    // A group inside a font's entry does not end its name; the entry's own group does.
    const RichDocument grouped = read("{\\rtf1{\\fonttbl{\\f0\\fcharset134 {\\uc1\\u24494?\\u36719?\\u38597?\\u40657?} "
                                      "Light;}{\\f1 Arial}}\\f0 a\\f1 b}");
    EXPECT_EQ(grouped.formatAt(0).face, QStringLiteral("微软雅黑 Light"));
    EXPECT_EQ(grouped.formatAt(1).face, QStringLiteral("Arial"));
    // Without \ansicpg the document's code page is 1252; with it, default-set fonts use it.
    EXPECT_EQ(text("{\\rtf1\\ansi\\ansicpg936{\\fonttbl{\\f0 Sys;}}\\f0\\'c4\\'e3}"), QStringLiteral("你"));
}

// Decodings are kept for bytes that recur (font names, headings): the same bytes still read
// by each font's own set, however often and after however many other texts.
TEST(RtfReader, RecurringBytesReadByTheirOwnCharacterSet)
{
    const char* gbk = "{\\rtf1{\\fonttbl{\\f0\\fcharset134 A;}}\\f0\\'a4\\'a4}";
    const char* big5 = "{\\rtf1{\\fonttbl{\\f0\\fcharset136 A;}}\\f0\\'a4\\'a4}";
    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(text(gbk), QStringLiteral("い"));
        EXPECT_EQ(text(big5), QStringLiteral("中"));
        // More distinct texts than are kept, each checked against the converter itself.
        for (int i = 0; i < 700; ++i) {
            const QByteArray trail = QByteArray::number(0xa1 + i % 94, 16);
            const QByteArray digits = QByteArray::number(i);
            const QByteArray bytes = QByteArray("\xb0") + char(0xa1 + i % 94) + digits;
            QStringDecoder gbkDecoder("GBK");
            ASSERT_EQ(readRtf("{\\rtf1{\\fonttbl{\\f0\\fcharset134 A;}}\\f0\\'b0\\'" + trail + digits + "}").plainText(),
                      QString(gbkDecoder.decode(bytes)));
        }
    }
}

TEST(RtfReader, SymbolsBreaksAndResets)
{
    EXPECT_EQ(text("{\\rtf1 \\bullet\\~\\emdash\\endash\\lquote\\rquote\\ldblquote\\rdblquote\\{\\}\\\\\\_a\\-b}"),
              QStringLiteral("•\u00A0—–‘’“”{}\\\u2011ab"));
    // \line breaks a line inside the paragraph; \sect and \page end paragraphs; table cells
    // are separated by tabs and rows end paragraphs; the break after the last \par opens
    // no paragraph of its own.
    EXPECT_EQ(text("{\\rtf1 a\\line b\\sect c\\page d\\cell e\\row f\\par\\par}"),
              QStringLiteral("a\vb\r\nc\r\nd\te\r\nf\r\n"));
    EXPECT_EQ(text("{\\rtf1 \\par}"), QString());
    EXPECT_TRUE(read("{\\rtf1\\pard\\qc\\b\\fs40\\par\r\n}\r\n").isEmpty());

    const RichDocument doc = read("{\\rtf1 \\b\\i\\ul\\strike\\fs40 A\\plain B\\qr\\li100 x\\par\\pard y}");
    const CharFormat& a = doc.formatAt(0);
    EXPECT_TRUE(a.bold && a.italic && a.underline && a.strike);
    EXPECT_EQ(a.halfPoints, 40);
    EXPECT_EQ(doc.formatAt(1), (CharFormat{.face = QStringLiteral("MS Sans Serif"), .halfPoints = 24, .picture = {}}));
    EXPECT_EQ(doc.paragraph(0).align, ParaAlign::Right);
    EXPECT_EQ(doc.paragraph(1), ParaFormat());
    // Hidden text (\v) is not shown, whether bytes, \u characters, symbols or pictures;
    // \v0 and \plain end it.
    EXPECT_EQ(text("{\\rtf1 a{\\v SECRET\\'e9\\u20013?\\tab{\\pict\\pngblip 00}}b\\v c\\v0 d\\v e\\plain f\\par}"),
              QStringLiteral("abdf"));
    // Groups keep their formatting to themselves.
    const RichDocument grouped = read("{\\rtf1 {\\b bold}plain}");
    EXPECT_TRUE(grouped.formatAt(0).bold);
    EXPECT_FALSE(grouped.formatAt(4).bold);
}

// Whatever the bytes, reading ends with the text read so far, in time and memory that grow
// with the input only.
TEST(RtfReader, HostileInputEndsBoundedAndClean)
{
    QByteArray deep = "{\\rtf1 a";
    deep += QByteArray(200000, '{') + "\\b b" + QByteArray(200000, '}') + " c}";
    const QString deepText = readRtf(deep).plainText();
    EXPECT_TRUE(deepText.startsWith(u'a'));
    EXPECT_TRUE(deepText.endsWith(QStringLiteral(" c")));

    QByteArray unclosedDeep = "{\\rtf1 x" + QByteArray(300000, '{') + "y";
    EXPECT_TRUE(readRtf(unclosedDeep).plainText().startsWith(u'x'));

    EXPECT_EQ(text("{\\rtf1 abc{\\b def"), "abcdef");
    EXPECT_EQ(text("{\\rtf1 a\\bin999999999999999 xyz}"), "a");
    EXPECT_EQ(text("{\\rtf1 a{\\pict\\bin-5 b}c}"), QStringLiteral("a\uFFFCc"));
    EXPECT_EQ(text("{\\rtf1 ab\\'4"), "ab");
    EXPECT_EQ(text("{\\rtf1 ab\\"), "ab");
    EXPECT_EQ(text("{\\rtf1 ab\\'zz}"), "abzz");
    EXPECT_EQ(text("{\\rtf1 ab\\u"), "ab");
    EXPECT_EQ(text("{\\rtf1 \\uc99999999999999 \\u65 xyz}"), "A");

    const RichDocument big = read("{\\rtf1 \\fs99999999999999999999 \\li-99999999999999\\fi99999999999 "
                                  "\\f-2147483648 \\cf99999999999 \\highlight-7 \\u99999999999 ?x}");
    ASSERT_EQ(big.plainText(), "x");
    EXPECT_LE(big.formatAt(0).halfPoints, 3276);
    EXPECT_GE(big.paragraph(0).leftIndent, -31680);
    EXPECT_LE(big.paragraph(0).firstIndent, 31680);

    // A misplaced \* at the document's level skips nothing but itself.
    EXPECT_EQ(text("{\\rtf1 a\\*\\unknown b}"), "ab");
    EXPECT_EQ(text("not rtf at all"), "not rtf at all");
    EXPECT_TRUE(readRtf(QByteArray()).isEmpty());
}

} // namespace

// The quick test for an expression's opening bracket: every way a bracket can be written
// says "maybe", a document with none says no, and whatever it says agrees with reading.
TEST(RtfReader, QuickTestForACharacterNeverMissesIt)
{
    const char* const holding[] = {
        "{\\rtf1 Date: [Date]}",
        "{\\rtf1\\ansi\\ansicpg1252 \\'5bDate]}",
        "{\\rtf1\\ansi\\ansicpg1252 \\'5BDate]}",
        "{\\rtf1\\uc1 \\u91?Date]}",
        "{\\rtf1\\uc1 \\u091 Date]}",
        "{\\rtf1\\ansi\\ansicpg936{\\fonttbl{\\f0\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}\\f0 \\'ba\\'cf[Sum]}",
    };
    for (const char* rtf : holding) {
        EXPECT_TRUE(text(rtf).contains(u'[')) << rtf;
        EXPECT_TRUE(mayHoldCharacter(QByteArray(rtf), u'[')) << rtf;
    }
    const char* const without[] = {
        "{\\rtf1\\ansi\\ansicpg936{\\fonttbl{\\f0\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}\\f0\\fs24 \\'ba\\'cf\\'bc\\'c6\\par}",
        "{\\rtf1 a \\\\u91 b \\'5c c}", // an escaped backslash starts no \u word
        "{\\rtf1\\uc1 \\u92?\\u9100?\\ul text\\ulnone}",
        "{\\rtf1\\uc1 \\u-65445?Date]}", // out of the 16-bit range: no character
        "",
    };
    for (const char* rtf : without) {
        EXPECT_FALSE(text(rtf).contains(u'[')) << rtf;
        EXPECT_FALSE(mayHoldCharacter(QByteArray(rtf), u'[')) << rtf;
    }
    // Control words at the very end of the bytes: a whole hex form counts, a cut one does not.
    EXPECT_TRUE(mayHoldCharacter(QByteArray("{\\rtf1 a}\\'5b"), u'['));
    EXPECT_FALSE(mayHoldCharacter(QByteArray("{\\rtf1 a}\\'5"), u'['));
    EXPECT_FALSE(mayHoldCharacter(QByteArray("{\\rtf1 a}\\"), u'['));
    // Characters it cannot decide about are always "maybe".
    EXPECT_TRUE(mayHoldCharacter(QByteArray("{\\rtf1 x}"), u'【'));
    EXPECT_TRUE(mayHoldCharacter(QByteArray("{\\rtf1 x}"), u'{'));
    // Breaks and tabs come from control words.
    for (const char16_t c : {u'\v', u'\t', u'\r'})
        EXPECT_TRUE(mayHoldCharacter(QByteArray("{\\rtf1 a\\line b\\tab c\\par d}"), c));
}
