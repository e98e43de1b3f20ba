// The HTML subset of the text layout: which tags are recognised, what they do to the style of
// each character, and how a cut text gets its style back.
#include "layout_fixture.h"

using namespace layout_test;
using report::TfrxHTMLTag;
using report::TfrxHTMLTags;

namespace {

Settings html()
{
    Settings s;
    s.html = true;
    s.color = QColor(0x10, 0x20, 0x30);
    return s;
}

constexpr QRgb kBase = 0x102030;

TEST(LayoutHtml, StyleTagsAreRemovedAndEveryCharacterKeepsItsStyle)
{
    Layout l(html(), QStringLiteral("a<B>b<i>c</b>d</I><u>e</u><strike>f</strike>g"));
    ASSERT_EQ(l.lines(), QStringList{QStringLiteral("abcdefg")});
    const TfrxHTMLTags tags = l.engine.LineTags(0);
    const unsigned char expected[] = {0,
                                      report::fsBold,
                                      report::fsBold | report::fsItalic,
                                      report::fsItalic,
                                      report::fsUnderline,
                                      report::fsStrikeOut,
                                      0};
    ASSERT_EQ(tags.size(), 7u);
    for (int k = 0; k < 7; ++k) {
        EXPECT_EQ(tags[k].Style, expected[k]) << k;
        EXPECT_EQ(tags[k].Size, 10) << k;
        EXPECT_EQ(tags[k].Color, kBase) << k;
    }
    // Positions point into the text with its tags.
    EXPECT_EQ(tags[0].Position, 0);
    EXPECT_EQ(tags[1].Position, 4);
    EXPECT_EQ(tags[6].Position, l.engine.WholeText().size() - 1);
    EXPECT_FALSE(tags[1].Default);
    EXPECT_TRUE(tags[1].Default == false && tags[6].Default == false);
}

TEST(LayoutHtml, FontColoursByHexValueAndByName)
{
    Layout l(html(), QStringLiteral("<font color=\"#FF0000\">r</font>b<font color=  purple>p</font>"
                                    "<font color=MoneyGreen>m<font color=\"navy\">n</font>x"));
    ASSERT_EQ(l.lines(), QStringList{QStringLiteral("rbpmnx")});
    const TfrxHTMLTags tags = l.engine.LineTags(0);
    EXPECT_EQ(tags[0].Color, 0xFF0000u);
    EXPECT_EQ(tags[1].Color, kBase); // </font> goes back to the base colour, not the last one
    EXPECT_EQ(tags[2].Color, 0x800080u);
    EXPECT_EQ(tags[3].Color, 0xC0DCC0u);
    EXPECT_EQ(tags[4].Color, 0x000080u);
    EXPECT_EQ(tags[5].Color, kBase);

    // Values that are not colours leave the tag in the text.
    const QString unknown = QStringLiteral("<font color=foo>a</font>");
    EXPECT_EQ(Layout(html(), unknown).lines(), QStringList{QStringLiteral("<font color=foo>a")});
    EXPECT_EQ(Layout(html(), QStringLiteral("<font color=\"#12345\">a")).lines(),
              QStringList{QStringLiteral("<font color=\"#12345\">a")});
}

TEST(LayoutHtml, UnknownFiveCharacterTagsDisappearOtherTextStays)
{
    Layout l(html(), QStringLiteral("1<xyz>2<br/>3<p>4 a<b c>5 x < y > z"));
    EXPECT_EQ(l.lines(), QStringList{QStringLiteral("123<p>4 a5 x  z")});
    // Without tags allowed nothing is touched.
    Settings plain;
    EXPECT_EQ(Layout(plain, QStringLiteral("<b>1<xyz>")).lines(), QStringList{QStringLiteral("<b>1<xyz>")});
}

TEST(LayoutHtml, SubscriptsAreSmallerAndNarrower)
{
    Settings s = html();
    s.points = 12;
    Layout l(s, QStringLiteral("H<sub>2</sub>O<sup>3</sup>"));
    ASSERT_EQ(l.lines(), QStringList{QStringLiteral("H2O3")});
    const TfrxHTMLTags tags = l.engine.LineTags(0);
    EXPECT_TRUE(tags[1].Small && tags[1].AddY);
    EXPECT_EQ(tags[1].Size, 8);
    EXPECT_TRUE(!tags[2].Small && !tags[2].AddY && tags[2].Size == 12);
    EXPECT_TRUE(tags[3].Small && !tags[3].AddY);

    // A small character takes two thirds of its width when lines are broken.
    Settings narrow = html();
    const double big = unboundedWidth(narrow, QStringLiteral("wwwwwwww"));
    narrow.width = big * 0.75;
    EXPECT_EQ(Layout(narrow, QStringLiteral("<sub>wwwwwwww</sub>")).engine.LineCount(), 1);
    EXPECT_EQ(Layout(narrow, QStringLiteral("wwwwwwww")).engine.LineCount(), 2);
    // A number is never broken, however narrow: it stays whole on its line.
    EXPECT_EQ(Layout(narrow, QStringLiteral("22222222222")).engine.LineCount(), 1);
}

TEST(LayoutHtml, StyleCarriesAcrossParagraphsAndTagOnlyParagraphsTakeALine)
{
    Layout l(html(), QStringLiteral("<b>one\r\n<i></i>\r\ntwo</b>three"));
    ASSERT_EQ(l.lines(), (QStringList{QStringLiteral("one"), QStringLiteral(" "), QStringLiteral("twothree")}));
    const TfrxHTMLTags last = l.engine.LineTags(2);
    EXPECT_EQ(last[0].Style, report::fsBold);
    EXPECT_EQ(last[3].Style, 0);
    EXPECT_EQ(l.engine.LineTags(1)[0].Style, report::fsBold);
}

TEST(LayoutHtml, CutTextGetsItsStyleBackFromTags)
{
    Settings s = html();
    Settings bold;
    bold.bold = true;
    s.width = std::max(unboundedWidth(bold, QStringLiteral("alpha")), unboundedWidth(bold, QStringLiteral("gamma"))) + 1;
    const QString text = QStringLiteral("<b>alpha <font color=\"#00FF00\"><u>beta</u></font> gamma</b>");
    Layout l(s, text);
    ASSERT_EQ(l.lines(), (QStringList{QStringLiteral("alpha"), QStringLiteral("beta"), QStringLiteral("gamma")}));

    auto split = l.engine.Split(l.engine.LineHeight());
    ASSERT_TRUE(split.Cut);
    EXPECT_EQ(split.Remainder, text.mid(text.indexOf(QStringLiteral("beta"))));
    EXPECT_EQ(report::htmlStyleRestoringTags(split.CutStyle, kBase),
              QStringLiteral("<b><u><font color=\"#00FF00\">"));

    split = l.engine.Split(2 * l.engine.LineHeight());
    EXPECT_EQ(report::htmlStyleRestoringTags(split.CutStyle, kBase), QStringLiteral("<b>"));
    // The restoring tags followed by the rest lay out with the same style.
    Layout rest(s, report::htmlStyleRestoringTags(split.CutStyle, kBase) + split.Remainder);
    EXPECT_EQ(rest.lines(), QStringList{QStringLiteral("gamma")});
    EXPECT_EQ(rest.engine.LineTags(0)[0].Style, report::fsBold);
}

} // namespace
