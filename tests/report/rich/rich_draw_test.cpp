// Drawing and measuring rich-text objects, checked by the pixels of rendered images.
#include "rich_fixture.h"

#include "report/rich/rich_layout.h"
#include "report/rich/rich_view.h"
#include "report/rich/rtf_reader.h"

#include <gtest/gtest.h>
#include <memory>

using namespace report;
using namespace rich_test;

namespace {

constexpr double kScale = 4;

std::unique_ptr<TfrxRichView> heading(const QByteArray& rtf)
{
    auto view = std::make_unique<TfrxRichView>();
    view->SetBounds(0, 0, 25 * fr01cm, 5 * fr01cm);
    view->RichText = rtf;
    return view;
}

// The column heading "类别项目": 宋体 12 pt bold, left-aligned, in a 25 × 5 mm box with a
// 2-unit gap, drawn bold in the Song face.
TEST(RichDraw, HeadingDrawsBoldInTheSongFaceInsideItsBox)
{
    const QByteArray rtf = templateRtf("Rich3");
    ASSERT_FALSE(rtf.isEmpty());
    auto view = heading(rtf);
    const QImage drawn = render(*view, kScale);
    const QRect ink = inkRect(drawn);
    ASSERT_FALSE(ink.isEmpty());
    // Left-aligned after the 2-unit gap (the first stroke has a little side bearing), and
    // the four characters of 16 units each end well inside the box.
    EXPECT_GE(ink.left(), int(2 * kScale));
    EXPECT_LE(ink.left(), int(2 * kScale + 3 * kScale));
    EXPECT_NEAR(ink.right(), (2 + 64) * kScale, 3 * kScale);
    EXPECT_GE(ink.top(), int(1 * kScale));
    EXPECT_LT(ink.bottom(), drawn.height());

    // The Song face is what the font table gives 宋体: the same drawing as with that face
    // named directly, another drawing with the sans face 黑体.
    QByteArray song = rtf;
    song.replace("\\'cb\\'ce\\'cc\\'e5", "Noto Serif CJK SC");
    auto named = heading(song);
    EXPECT_EQ(render(*named, kScale), drawn);
    QByteArray sans = rtf;
    sans.replace("\\'cb\\'ce\\'cc\\'e5", "\\'ba\\'da\\'cc\\'e5");
    auto other = heading(sans);
    EXPECT_NE(render(*other, kScale), drawn);

    // Bold: the same heading without \b has clearly less ink.
    QByteArray regular = rtf;
    regular.replace("\\b\\f0", "\\f0");
    auto thin = heading(regular);
    EXPECT_GT(inkCount(drawn), inkCount(render(*thin, kScale)) * 115 / 100);
}

// Faces the font table does not know (楷体, Word's 等线) still draw Chinese: characters none
// of the table's fonts has are drawn through the platform's fallback, not as empty boxes,
// which would be the same picture for every character.
TEST(RichDraw, CharactersOfUnknownFacesDrawThroughTheFallback)
{
    for (const char* face : {"\\'bf\\'ac\\'cc\\'e5", "\\'b5\\'c8\\'cf\\'df", "No Such Face"}) {
        SCOPED_TRACE(face);
        const auto draw = [&](const char* bytes) {
            auto view = heading(QByteArray("{\\rtf1\\ansi\\ansicpg936{\\fonttbl{\\f0\\fcharset134 ") + face
                                + ";}}\\f0\\fs24 " + bytes + "\\par}");
            return render(*view, kScale);
        };
        const QImage zhong = draw("\\'d6\\'d0"); // 中
        const QImage wen = draw("\\'ce\\'c4");   // 文
        EXPECT_GT(inkCount(zhong), 0);
        EXPECT_GT(inkCount(wen), 0);
        EXPECT_NE(zhong, wen);
    }
}

TEST(RichDraw, CalcHeightMeasuresInTwipsInsideTheGaps)
{
    // No text: 0, whatever the stored paragraph's size.
    auto title = heading(templateRtf("Rich10"));
    EXPECT_EQ(calcItemHeight(*title), 0);
    auto empty = heading(QByteArray());
    EXPECT_EQ(calcItemHeight(*empty), 0);
    // 12 pt: 100 reference pixels, 240 twips, 16 units, plus 2 × GapY and 2.
    auto cell = heading(templateRtf("Rich3"));
    EXPECT_EQ(calcItemHeight(*cell), 16 + 2 + 2);
    // "具体型号参数" (six 16-unit characters) needs two lines in 25 mm, one in its own 39 mm.
    auto params = heading(templateRtf("Rich4"));
    EXPECT_EQ(calcItemHeight(*params), 32 + 2 + 2);
    params->SetWidth(39 * fr01cm);
    EXPECT_EQ(calcItemHeight(*params), 16 + 2 + 2);
    // Paragraph spacing counts: 240 twips before and after.
    auto spaced = heading("{\\rtf1\\fs24\\sb240\\sa240 x\\par}");
    EXPECT_EQ(calcItemHeight(*spaced), 16 + 16 + 16 + 2 + 2);
}

// Alignment and justification place the text; scaling keeps the line breaks.
TEST(RichDraw, AlignmentAndScaleKeepTheLayout)
{
    auto ellipsis = heading(templateRtf("Rich13"));
    ellipsis->SetWidth(12 * fr01cm);
    const QImage right = render(*ellipsis, kScale);
    const QRect ink = inkRect(right);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GT(ink.right(), right.width() - int(5 * kScale)); // right-aligned before the gap
    EXPECT_LE(ink.right(), right.width() - int(2 * kScale));

    // A justified Chinese paragraph: every line but the last ends at the right edge; the
    // same text at another scale has its ink in the same places, scaled.
    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg936{\\fonttbl{\\f0\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}\\qj\\f0\\fs20 ";
    for (int i = 0; i < 40; ++i)
        rtf += "\\'d7\\'b0\\'bb\\'fa"; // 装机
    rtf += "\\par}";
    auto para = heading(rtf);
    para->SetWidth(50 * fr01cm);
    para->SetHeight(calcItemHeight(*para));
    const QImage big = render(*para, 4);
    const QImage small = render(*para, 1);
    const int lineRows = int(10 * 600 / 72.0 / 6.25 * 4);
    const auto firstLine = [&](const QImage& img, int rows) {
        QRect r;
        for (int y = 0; y < rows; ++y)
            for (int x = 0; x < img.width(); ++x)
                if (isInk(img.pixel(x, y)))
                    r |= QRect(x, y, 1, 1);
        return r;
    };
    const QRect wide = firstLine(big, int(4 * 1 + lineRows));
    EXPECT_NEAR(wide.right(), big.width() - 2 * 4, 3 * 4);
    EXPECT_NEAR(inkRect(small).bottom(), inkRect(big).bottom() / 4.0, 2);
}

// A justified line of Chinese with a few Latin words spreads its spare width over the gaps
// beside the Chinese characters as well as its spaces, evenly, instead of opening holes at
// the spaces alone.
TEST(RichDraw, MixedJustifiedLinesStretchBesideChineseToo)
{
    QByteArray body;
    for (int i = 0; i < 12; ++i)
        body += "CPU \\'d7\\'b0\\'bb\\'fa\\'c5\\'e4\\'d6\\'c3 i5 "; // CPU 装机配置 i5
    const auto read = [&](const char* align) {
        return rich::readRtf("{\\rtf1\\ansi\\ansicpg936{\\fonttbl{\\f0\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}"
                             + QByteArray(align) + "\\f0\\fs20 " + body + "\\par}");
    };
    const rich::RichDocument doc = read("\\qj");
    const rich::RichLayout natural = rich::layOutRich(read("\\ql"), 1500);
    const rich::RichLayout justified = rich::layOutRich(doc, 1500);
    ASSERT_GT(justified.lines.size(), 1u);
    const rich::RichLine& first = justified.lines[0];
    ASSERT_EQ(first.end, natural.lines[0].end);
    int stretched = 0, least = 1 << 30, most = 0;
    for (int i = first.start; i < first.end; ++i) {
        const int extra = justified.width[std::size_t(i)] - natural.width[std::size_t(i)];
        if (extra > 0) {
            ++stretched;
            least = std::min(least, extra);
            most = std::max(most, extra);
        }
    }
    const int spaces = int(doc.text().sliced(first.start, first.end - first.start).count(u' '));
    EXPECT_EQ(justified.x[std::size_t(first.end - 1)] + justified.width[std::size_t(first.end - 1)], 1500);
    EXPECT_LE(most - least, 1);         // evenly spread
    EXPECT_GT(stretched, 2 * spaces);   // not at the spaces alone
}

// Line spacing as word processors write it: WordPad's 1.15 lines (\\sl276\\slmult1), "at
// least" a height, which a taller font overrides, and "exactly" a height. Tab stops stand
// at the document's default distance.
TEST(RichDraw, LineSpacingAndTabStopsAsWritten)
{
    const auto tabbed = [](const char* deftab) {
        const rich::RichDocument doc = rich::readRtf(QByteArray("{\\rtf1") + deftab + " a\\tab b\\tab c\\par}");
        const rich::RichLayout layout = rich::layOutRich(doc, 5000);
        return std::pair(layout.x[2], layout.x[4]);
    };
    EXPECT_EQ(tabbed(""), std::pair(rich::twipsToReference(720), rich::twipsToReference(1440)));
    EXPECT_EQ(tabbed("\\deftab420"), std::pair(rich::twipsToReference(420), rich::twipsToReference(840)));
    EXPECT_EQ(tabbed("\\deftab0"), tabbed(""));
    // Stops the paragraph sets come first, then the default ones; \\pard ends them.
    EXPECT_EQ(tabbed("\\pard\\tx1000"), std::pair(rich::twipsToReference(1000), rich::twipsToReference(1440)));
    EXPECT_EQ(tabbed("\\pard\\tx1000\\pard"), tabbed(""));
    // A hanging first line (a bulleted list) tabs to the left indent.
    EXPECT_EQ(tabbed("\\pard\\li360\\fi-360").first, rich::twipsToReference(360));

    const auto height = [](const char* spacing) {
        return rich::layOutRich(rich::readRtf(QByteArray("{\\rtf1\\pard") + spacing + " \\fs24 a\\line b\\line c\\par}"), 5000)
            .height;
    };
    const int single = height("");
    EXPECT_EQ(single, 3 * rich::referenceFontHeight(24));
    EXPECT_EQ(height("\\sl276\\slmult1"), 3 * 115);
    EXPECT_EQ(height("\\sl480"), 3 * rich::twipsToReference(480)); // at least 24 pt
    EXPECT_EQ(height("\\sl120"), single);                          // at least 6 pt: the font is taller
    EXPECT_EQ(height("\\sl-120"), 3 * rich::twipsToReference(120)); // exactly 6 pt
    EXPECT_EQ(height("\\sl276\\slmult1\\pard"), single);         // \\pard ends it
}

} // namespace
