// The XML text form, part one: escaping, typed values, items and their attribute text.
#include "report/xml/xml_form.h"

#include <QDate>
#include <QVariant>
#include <gtest/gtest.h>

#include <memory>
#include <ostream>

static void PrintTo(const QByteArray& bytes, std::ostream* out)
{
    *out << '"' << bytes.toStdString() << '"';
}

namespace {

using report::appendEscapedXML;
using report::EscapeXML;
using report::TfrxXMLItem;
using report::UnescapeXML;
using report::ValueToXML;

TEST(XmlEscape, TheSixSpecialCharactersBecomeDecimalReferences)
{
    EXPECT_EQ(EscapeXML("\r"), "&#13;");
    EXPECT_EQ(EscapeXML("\n"), "&#10;");
    EXPECT_EQ(EscapeXML("\""), "&#34;");
    EXPECT_EQ(EscapeXML("&"), "&#38;");
    EXPECT_EQ(EscapeXML("<"), "&#60;");
    EXPECT_EQ(EscapeXML(">"), "&#62;");
    // everything else, tabs, apostrophes and the bytes of Chinese text included, is copied
    const QByteArray plain = QByteArray("a\tb'c ") + QByteArray("报价单 \x01\xff");
    EXPECT_EQ(EscapeXML(plain), plain);
    EXPECT_EQ(EscapeXML(""), "");
}

TEST(XmlEscape, QuotEntityBecomesOneEscapedQuote)
{
    EXPECT_EQ(EscapeXML("&quot;"), "&#34;");
    EXPECT_EQ(EscapeXML("a&quot;b&quot"), "a&#34;b&#38;quot"); // the second lacks its ';'
    EXPECT_EQ(EscapeXML("&amp;"), "&#38;amp;");
    EXPECT_EQ(UnescapeXML(EscapeXML("x&quot;y")), "x\"y");
}

TEST(XmlEscape, ShortAndLongStringsGiveTheSameResult)
{
    // The short form is escaped in place, the long one built into a growing buffer: the
    // text of one must be the other's, whatever the length and wherever the specials stand.
    const QByteArray unit = "a\"b&c<d>e\rf\ng&quot;h";
    const QByteArray escapedUnit = EscapeXML(unit);
    EXPECT_EQ(escapedUnit, "a&#34;b&#38;c&#60;d&#62;e&#13;f&#10;g&#34;h");
    QByteArray text, expected;
    for (int i = 0; i < 100; ++i) {
        text += unit;
        expected += escapedUnit;
        ASSERT_EQ(EscapeXML(text), expected) << "length " << text.size();
    }
}

TEST(XmlEscape, AppendingTextGivesTheEscapedUtf8)
{
    // The appending form converts and escapes in one pass; whatever the text, it must give
    // what escaping its UTF-8 gives, after what the buffer already holds.
    const QString texts[] = {
        QString(),
        QStringLiteral("Memo12"),
        QStringLiteral("a\"b&c<d>e\r\nf"),
        QStringLiteral("华硕 主板 & 显卡 <i5> \"全新\""),
        QStringLiteral("价格&quot;含税&quot"),
        QStringLiteral("é&quot;ü"),
        QString::fromUcs4(U"\U0001F600 表情 \U00020000"),
        QString(QChar(0xD800)) + QStringLiteral("孤立的代理"), // a lone surrogate
        QStringLiteral("x") + QChar(0xDC00),
    };
    for (const QString& text : texts) {
        std::string out = "prefix ";
        appendEscapedXML(out, text);
        EXPECT_EQ(QByteArray::fromStdString(out), "prefix " + EscapeXML(text.toUtf8())) << text.toStdString();
    }
    std::string bytes;
    appendEscapedXML(bytes, QByteArrayView("&quot;<"));
    EXPECT_EQ(bytes, "&#34;&#60;");
}

TEST(XmlEscape, UnescapeDecodesNumericReferencesAndQuotOnly)
{
    EXPECT_EQ(UnescapeXML("&#13;&#10;&#34;&#38;&#60;&#62;"), "\r\n\"&<>");
    EXPECT_EQ(UnescapeXML("A&#66;C&#0067;"), "ABCC");
    EXPECT_EQ(UnescapeXML("&quot;x&quot;"), "\"x\"");
    EXPECT_EQ(UnescapeXML("&#200;"), QByteArray(1, char(200)));
    // named entities other than quot, and anything malformed, stay as they stand
    EXPECT_EQ(UnescapeXML("a &amp; b &lt; c &gt;"), "a &amp; b &lt; c &gt;");
    EXPECT_EQ(UnescapeXML("&#;&#x41;&#65&#256;&#1234567890;&"),
              "&#;&#x41;&#65&#256;&#1234567890;&");
    EXPECT_EQ(UnescapeXML("&quot"), "&quot");
    EXPECT_EQ(UnescapeXML("&&#65;"), "&A");
    EXPECT_EQ(UnescapeXML(QByteArrayView()), "");
    EXPECT_EQ(UnescapeXML(QByteArray()), "");
}

TEST(XmlEscape, EveryByteSurvivesARoundTrip)
{
    QByteArray all;
    for (int c = 0; c < 256; ++c)
        all += char(c);
    const QByteArray escaped = EscapeXML(all);
    for (const char c : {'\r', '\n', '"', '<', '>'})
        EXPECT_FALSE(escaped.contains(c));
    EXPECT_EQ(UnescapeXML(escaped), all);
}

TEST(XmlValues, TypedValuesAsAttributeText)
{
    EXPECT_EQ(ValueToXML(-42), "-42");
    EXPECT_EQ(ValueToXML(true), "1");
    EXPECT_EQ(ValueToXML(false), "0");
    EXPECT_EQ(ValueToXML(QByteArrayView("a\"b")), "a&#34;b");
    EXPECT_EQ(ValueToXML(QVariant(short(-7))), "-7");
    EXPECT_EQ(ValueToXML(QVariant::fromValue<uchar>(200)), "200");
    EXPECT_EQ(ValueToXML(QVariant(true)), "1");
    EXPECT_EQ(ValueToXML(QVariant(QStringLiteral("主板<"))), QByteArray("主板&#60;"));
    EXPECT_EQ(ValueToXML(QVariant(2.5)), ValueToXML(2.5));
    EXPECT_EQ(ValueToXML(QVariant(QDate(2024, 3, 5))), ValueToXML(QDate(2024, 3, 5)));
    EXPECT_FALSE(ValueToXML(QDate(2024, 3, 5)).isEmpty());
    // every other type gives the empty string
    EXPECT_EQ(ValueToXML(QVariant()), "");
    EXPECT_EQ(ValueToXML(QVariant(QStringList{"a"})), "");
}

TEST(XmlItem, GetAttrIgnoresCaseAndTakesTheFirstOccurrence)
{
    TfrxXMLItem item;
    item.setText(R"(Left="10" FontName="宋体" Name="Memo1" name="second" Text="a&#34;b&amp;")");
    EXPECT_EQ(item.getAttr("left"), "10");
    EXPECT_EQ(item.getAttr("LEFT"), "10");
    EXPECT_EQ(item.getAttr("Name"), "Memo1");     // not the tail of FontName, not the second
    EXPECT_EQ(item.getAttr("FontName"), "宋体");
    EXPECT_EQ(item.getAttr("Text"), "a\"b&amp;");
    EXPECT_EQ(item.getAttr("Missing"), "");
    EXPECT_EQ(item.getAttr("eft"), "");

    TfrxXMLItem open;
    open.setText(R"(a="1" b="unterminated)");
    EXPECT_EQ(open.getAttr("a"), "1");
    EXPECT_EQ(open.getAttr("b"), "");
}

TEST(XmlItem, SetAttrReplacesInPlaceOrAppends)
{
    TfrxXMLItem item;
    item.setAttr("Name", "Memo1");
    EXPECT_EQ(item.text(), R"(Name="Memo1")"); // no blank in front of the first pair
    item.setAttr("Left", "1");
    item.setAttr("Top", "2");
    EXPECT_EQ(item.text(), R"(Name="Memo1" Left="1" Top="2")");
    item.setAttr("left", "a<\"b\"");
    EXPECT_EQ(item.text(), R"(Name="Memo1" left="a&#60;&#34;b&#34;" Top="2")");
    EXPECT_EQ(item.getAttr("Left"), "a<\"b\"");
    item.setAttr("Name", "");
    EXPECT_EQ(item.text(), R"(Name="" left="a&#60;&#34;b&#34;" Top="2")");

    // a text ending in a blank (as read from `<x a="1" />`) gets no second blank
    TfrxXMLItem spaced;
    spaced.setText(R"(a="1" )");
    spaced.setAttr("b", "2");
    EXPECT_EQ(spaced.text(), R"(a="1" b="2")");
}

TEST(XmlItem, RemoveAttrTakesThePairAndTheBlankAfterIt)
{
    TfrxXMLItem item;
    item.setText(R"(a="1" b="2" c="3")");
    item.removeAttr("B");
    EXPECT_EQ(item.text(), R"(a="1" c="3")");
    item.removeAttr("a");
    EXPECT_EQ(item.text(), R"(c="3")");
    item.removeAttr("missing");
    EXPECT_EQ(item.text(), R"(c="3")");
    item.removeAttr("c");
    EXPECT_EQ(item.text(), "");
}

TEST(XmlItem, ChildrenAreOwnedMovedAndFoundByName)
{
    TfrxXMLItem root("root");
    TfrxXMLItem* a = root.addChild("Alpha");
    TfrxXMLItem* b = root.addChild("beta");
    EXPECT_EQ(root.count(), 2);
    EXPECT_EQ(a->parent(), &root);
    EXPECT_EQ(root.findChild("ALPHA"), 0);
    EXPECT_EQ(root.findChild("Beta"), 1);
    EXPECT_EQ(root.findChild("gamma"), -1);
    EXPECT_EQ(root.childByName("BETA"), b);
    TfrxXMLItem* gamma = root.childByName("gamma");
    EXPECT_EQ(root.count(), 3);
    EXPECT_EQ(gamma->name(), "gamma");
    EXPECT_EQ(root.indexOf(gamma), 2);

    // appending an item that has a parent moves it
    TfrxXMLItem other("other");
    other.addItem(a);
    EXPECT_EQ(a->parent(), &other);
    EXPECT_EQ(root.count(), 2);
    EXPECT_EQ(root.indexOf(a), -1);
    root.insertItem(0, a);
    EXPECT_EQ(other.count(), 0);
    EXPECT_EQ(root.item(0), a);
    EXPECT_EQ(root.indexOf(b), 1);
    // an item cannot become its own descendant
    a->addItem(&root);
    EXPECT_EQ(root.parent(), nullptr);

    // destroying an item takes it out of its parent's list
    delete b;
    EXPECT_EQ(root.count(), 2);
    EXPECT_EQ(root.item(1), gamma);
    std::unique_ptr<TfrxXMLItem> taken = root.takeItem(0);
    EXPECT_EQ(taken->parent(), nullptr);
    EXPECT_EQ(root.count(), 1);
}

TEST(XmlItem, ClearUnloadsOnlyUnloadableItems)
{
    TfrxXMLItem plain;
    plain.addChild()->addChild();
    plain.clear();
    EXPECT_EQ(plain.count(), 0);
    EXPECT_TRUE(plain.loaded());

    TfrxXMLItem page;
    EXPECT_FALSE(page.unloadable());
    page.setUnloadable(true);
    page.addChild();
    page.clear();
    EXPECT_FALSE(page.loaded());
}

TEST(XmlItem, DeepTreesAreDestroyedWithoutRecursion)
{
    auto root = std::make_unique<TfrxXMLItem>("r");
    TfrxXMLItem* at = root.get();
    for (int i = 0; i < 1'000'000; ++i)
        at = at->addChild("d");
    root.reset(); // would overflow the stack if destruction recursed
    SUCCEED();
}

} // namespace
