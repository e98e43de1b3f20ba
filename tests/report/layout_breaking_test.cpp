// Line breaking and measuring of the text layout engine.
#include "layout_fixture.h"

#include <QRawFont>
#include <cmath>

using namespace layout_test;
using report::TfrxDrawText;

namespace {

TEST(LayoutBreaking, ChineseDescriptionInA75mmCellBreaksBetweenCharactersWithoutHyphens)
{
    // Sixty ideographs; each is one em wide, 75 reference pixels at 9 points, and 75 mm is
    // 1772 reference pixels, so 23 fit on a line.
    const QString unit = u8("英特尔酷睿处理器台式机主板内存条固态硬盘显卡电源机箱散热器风扇");
    const QString text = (unit + unit).left(60);
    ASSERT_EQ(text.size(), 60);
    for (bool wordBreak : {false, true}) {
        Settings s;
        s.family = u8("宋体");
        s.points = 9;
        s.width = 75 * kUnitsPerMm;
        s.wordBreak = wordBreak;
        Layout l(s, text);
        EXPECT_EQ(l.lines(), (QStringList{text.left(23), text.mid(23, 23), text.mid(46)})) << "word break " << wordBreak;
        EXPECT_TRUE(l.engine.IsParagraphStart(0) && !l.engine.IsParagraphEnd(0));
        EXPECT_TRUE(!l.engine.IsParagraphStart(2) && l.engine.IsParagraphEnd(2));
        EXPECT_NEAR(l.engine.TextWidth(), 23 * 75 / 6.25, 1e-9);
    }
}

TEST(LayoutBreaking, SecondWordThatDoesNotFitGoesToTheNextLineWithoutTheSpace)
{
    Settings s;
    const double first = unboundedWidth(s, QStringLiteral("Quotation"));
    const double both = unboundedWidth(s, QStringLiteral("Quotation total"));
    s.width = (first + both) / 2;
    Layout l(s, QStringLiteral("Quotation total"));
    EXPECT_EQ(l.lines(), (QStringList{QStringLiteral("Quotation"), QStringLiteral("total")}));
    EXPECT_NEAR(l.engine.TextWidth(), first, 1e-9);

    // Two spaces: only the last one, where the line breaks, goes.
    Layout two(s, QStringLiteral("Quotation  total"));
    EXPECT_EQ(two.lines(), (QStringList{QStringLiteral("Quotation "), QStringLiteral("total")}));
}

TEST(LayoutBreaking, CharacterWiderThanTheAreaStillGetsItsOwnLine)
{
    Settings s;
    s.width = 1; // narrower than any letter
    Layout one(s, QStringLiteral("W"));
    EXPECT_EQ(one.lines(), QStringList{QStringLiteral("W")});
    Layout several(s, QStringLiteral("iWi"));
    EXPECT_EQ(several.lines(), (QStringList{QStringLiteral("i"), QStringLiteral("W"), QStringLiteral("i")}));

    // A character outside the basic plane is never split from its second half.
    const QString emoji = QString::fromUcs4(U"\U0001F600\U0001F600");
    Layout pairs(s, emoji);
    EXPECT_EQ(pairs.lines(), (QStringList{emoji.left(2), emoji.mid(2)}));
}

TEST(LayoutBreaking, ParagraphsEmptyLinesAndSwitches)
{
    Settings s;
    Layout l(s, QStringLiteral("first\r\n\r\nthird\nfourth\rfifth"));
    EXPECT_EQ(l.lines(), (QStringList{QStringLiteral("first"), QStringLiteral(" "), QStringLiteral("third"),
                                      QStringLiteral("fourth"), QStringLiteral("fifth")}));
    for (int i = 0; i < l.engine.LineCount(); ++i)
        EXPECT_TRUE(l.engine.IsParagraphStart(i) && l.engine.IsParagraphEnd(i)) << i;

    // A list of lines: nothing for an empty text, no extra line for a final break.
    EXPECT_EQ(Layout(s, QString()).engine.LineCount(), 0);
    EXPECT_EQ(Layout(s, QString()).engine.TextHeight(), 0);
    EXPECT_EQ(Layout(s, QStringLiteral("a\r\n")).lines(), QStringList{QStringLiteral("a")});
    EXPECT_EQ(Layout(s, QStringLiteral("\r\n")).lines(), QStringList{QStringLiteral(" ")});
    EXPECT_EQ(Layout(s, QStringLiteral("a\n\n")).lines(), (QStringList{QStringLiteral("a"), QStringLiteral(" ")}));

    // Word wrap off keeps a paragraph on one line whatever its width.
    s.width = 20;
    s.wordWrap = false;
    Layout unwrapped(s, QStringLiteral("a long line of words"));
    EXPECT_EQ(unwrapped.engine.LineCount(), 1);
    EXPECT_GT(unwrapped.engine.TextWidth(), 20);
}

TEST(LayoutBreaking, ParagraphGapNarrowsOnlyTheFirstLineAndCountsInTheWidth)
{
    Settings s;
    const QString text = QStringLiteral("aaaa bbbb");
    const double whole = unboundedWidth(s, text);
    s.width = whole + 1;
    EXPECT_EQ(Layout(s, text).engine.LineCount(), 1);

    s.paragraphGap = 10;
    Layout gapped(s, text + QStringLiteral(" cccc"));
    EXPECT_EQ(gapped.lines(), (QStringList{QStringLiteral("aaaa"), QStringLiteral("bbbb cccc")}));
    const double aaaa = unboundedWidth(Settings{}, QStringLiteral("aaaa"));
    const double rest = unboundedWidth(Settings{}, QStringLiteral("bbbb cccc"));
    EXPECT_NEAR(gapped.engine.TextWidth(), std::max(aaaa + 10, rest), 1e-9);
}

TEST(LayoutBreaking, CharSpacingWidensEveryCharacter)
{
    Settings s;
    const QString text = QStringLiteral("spacing");
    const double plain = unboundedWidth(s, text);
    s.charSpacing = 1.5;
    EXPECT_NEAR(unboundedWidth(s, text), plain + 7 * 1.5, 1e-9);

    // The wider characters also break earlier: the plain width no longer holds the text.
    s.wordWrap = true;
    s.width = plain + 1;
    Layout l(s, text);
    EXPECT_EQ(l.engine.LineCount(), 2);
    EXPECT_EQ(l.lines().join(QString()), text);
}

TEST(LayoutBreaking, LineHeightAndTextHeightFollowTheReferenceFont)
{
    Settings s;
    s.points = 10;
    s.lineSpacing = 2;
    Layout l(s, QStringLiteral("one\r\ntwo\r\nthree"));
    EXPECT_EQ(l.engine.FontHeight(), 83);
    EXPECT_DOUBLE_EQ(l.engine.LineHeight(), 83 / 6.25 + 2);
    EXPECT_DOUBLE_EQ(l.engine.TextHeight(), 3 * (83 / 6.25 + 2));

    s.points = 9;
    s.lineSpacing = 0;
    Layout nine(s, QStringLiteral("x"));
    EXPECT_EQ(nine.engine.FontHeight(), 75);
    EXPECT_DOUBLE_EQ(nine.engine.LineHeight(), 12);
}

TEST(LayoutBreaking, ParagraphsLongerThan32768CharactersAreLaidOutWhole)
{
    Settings s;
    s.width = 50 * kUnitsPerMm;
    QString text(40000, QLatin1Char('x'));
    text[20000] = QLatin1Char(' ');
    Layout l(s, text + QStringLiteral("\r\nend"));
    QStringList lines = l.lines();
    ASSERT_GT(lines.size(), 2);
    EXPECT_EQ(lines.takeLast(), QStringLiteral("end"));
    EXPECT_EQ(lines.join(QString()).size(), 39999); // only the space at the break is gone

    s.html = true;
    s.wordWrap = false;
    Layout html(s, QStringLiteral("<b>") + QString(50000, QLatin1Char('y')) + QStringLiteral("</b>"));
    ASSERT_EQ(html.engine.LineCount(), 1);
    EXPECT_EQ(html.engine.Line(0).size(), 50000);
}

TEST(LayoutBreaking, WordBreakHyphenatesRussianWordsAtSyllables)
{
    Settings s;
    s.wordBreak = true;
    auto widthFor = [&](const char* fits, const char* whole) {
        return (unboundedWidth(s, u8(fits)) + unboundedWidth(s, u8(whole))) / 2;
    };

    // мо-ло-ко: five letters fit, the last break before the fifth is after "моло".
    s.width = widthFor("молок", "молоко");
    EXPECT_EQ(Layout(s, u8("молоко")).lines(), (QStringList{u8("моло-"), u8("ко")}));
    // Four letters fit: the break must come before the fourth.
    s.width = widthFor("моло", "молок");
    EXPECT_EQ(Layout(s, u8("молоко")).lines(), (QStringList{u8("мо-"), u8("локо")}));
    // A doubled consonant before a vowel is split between its letters.
    s.width = widthFor("ванн", "ванна");
    EXPECT_EQ(Layout(s, u8("ванна")).lines(), (QStringList{u8("ван-"), u8("на")}));
    // After a space the word is offered too; the line keeps the space.
    s.width = widthFor("я молок", "я молоко");
    EXPECT_EQ(Layout(s, u8("я молоко")).lines(), (QStringList{u8("я моло-"), u8("ко")}));

    // Short words and words without Russian vowels are cut where they stop fitting.
    s.width = widthFor("до", "дом");
    EXPECT_EQ(Layout(s, u8("дом")).lines(), (QStringList{u8("до"), u8("м")}));
    // The word ends at punctuation, so this one is short too.
    EXPECT_EQ(Layout(s, u8("дом,абвгд")).lines().first(), u8("до"));
    s.width = widthFor("abcde", "abcdef");
    EXPECT_EQ(Layout(s, QStringLiteral("abcdefgh")).lines(), (QStringList{QStringLiteral("abcde"), QStringLiteral("fgh")}));

    // Without word break there is no hyphen.
    s.wordBreak = false;
    s.width = widthFor("молок", "молоко");
    EXPECT_EQ(Layout(s, u8("молоко")).lines(), (QStringList{u8("молок"), u8("о")}));
}

TEST(LayoutBreaking, SplitKeepsWholeLinesAndReturnsTheRestOfTheText)
{
    Settings s;
    Layout l(s, QStringLiteral("one\r\ntwo\r\nthree\r\nfour"));
    const double lh = l.engine.LineHeight();

    auto split = l.engine.Split(2 * lh - 1); // exactly two lines
    EXPECT_EQ(split.KeptLines, 2);
    EXPECT_TRUE(split.Cut);
    EXPECT_EQ(split.Remainder, QStringLiteral("three\r\nfour"));
    EXPECT_NEAR(split.FreeHeight, 0, 1e-9);

    split = l.engine.Split(2 * lh - 1.01);
    EXPECT_EQ(split.KeptLines, 1);
    EXPECT_EQ(split.Remainder, QStringLiteral("two\r\nthree\r\nfour"));

    split = l.engine.Split(10 * lh);
    EXPECT_EQ(split.KeptLines, 4);
    EXPECT_FALSE(split.Cut);
    EXPECT_TRUE(split.Remainder.isEmpty());
    EXPECT_NEAR(split.FreeHeight, 10 * lh + 1 - 4 * lh, 1e-9);

    // A wrapped paragraph is cut inside: the rest starts with the first line that did not fit.
    s.width = unboundedWidth(s, QStringLiteral("alpha beta")) + 1;
    Layout wrapped(s, QStringLiteral("alpha beta gamma delta"));
    ASSERT_GE(wrapped.engine.LineCount(), 2);
    ASSERT_EQ(wrapped.engine.Line(0), QStringLiteral("alpha beta"));
    EXPECT_EQ(wrapped.engine.Split(lh).Remainder, QStringLiteral("gamma delta"));
}

TEST(LayoutBreaking, MeasuringDoesNotDependOnTheDrawingScale)
{
    // Drawing settings must not change where lines break.
    Settings s;
    s.family = u8("宋体");
    s.points = 9;
    s.width = 75 * kUnitsPerMm;
    const QString text = u8("金士顿 FURY DDR5 6000MHz 32GB 台式机内存条 频率6000 时序CL30 RGB灯条 黑色散热马甲");
    Layout screen(s, text);
    Layout print(s, QString());
    print.apply(s, text, 600.0 / 96.0, QPointF(40, 40));
    EXPECT_GT(screen.engine.LineCount(), 1);
    EXPECT_EQ(screen.lines(), print.lines());
    EXPECT_EQ(screen.engine.TextWidth(), print.engine.TextWidth());
}

} // namespace

namespace {

TEST(LayoutBreaking, ReferenceWidthsAreTheFontFilesOwnAdvances)
{
    // Advances straight from the font file at the reference size: rasteriser settings, which
    // differ between platform plugins, must not enter into them.
    for (const char* family : {"Arial", "宋体"}) {
        QFont reference(u8(family));
        reference.setPixelSize(83);
        const QRawFont raw = QRawFont::fromFont(reference);
        ASSERT_TRUE(raw.isValid());
        const QString sample = QStringLiteral("AWil.,1Mg");
        for (QChar c : sample) {
            const QList<quint32> glyphs = raw.glyphIndexesForString(QString(c));
            const QList<QPointF> advances =
                raw.advancesForGlyphIndexes(glyphs, QRawFont::SeparateAdvances | QRawFont::UseDesignMetrics);
            Settings s;
            s.family = u8(family);
            s.points = 10;
            EXPECT_NEAR(unboundedWidth(s, QString(c)) * 6.25, std::round(advances.at(0).x()), 1e-9)
                << family << " " << c.toLatin1();
        }
    }
}

} // namespace
