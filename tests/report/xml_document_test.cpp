// The XML text form, part two: reading, writing, documents, files and the spill file.
#include "report/xml/xml_form.h"

#include "support/test_paths.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <functional>
#include <ostream>

static void PrintTo(const QByteArray& bytes, std::ostream* out)
{
    *out << '"' << bytes.toStdString() << '"';
}

namespace {

using report::TfrxInvalidXMLException;
using report::TfrxXMLDocument;
using report::TfrxXMLItem;
using report::TfrxXMLReader;
using report::TfrxXMLWriter;

const QByteArray header = R"(<?xml version="1.0" encoding="utf-8"?>)";

void load(TfrxXMLDocument& doc, const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    doc.loadFromStream(buffer);
}

QByteArray save(const TfrxXMLDocument& doc)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    doc.saveToStream(buffer);
    return bytes;
}

// Loads bytes that must be rejected; returns the message.
QString rejection(TfrxXMLDocument& doc, const QByteArray& bytes)
{
    try {
        load(doc, bytes);
    } catch (const TfrxInvalidXMLException& e) {
        return e.message();
    }
    return QStringLiteral("(accepted)");
}

QString rejection(const QByteArray& bytes)
{
    TfrxXMLDocument doc;
    return rejection(doc, bytes);
}

// The tree as one line: name[attribute text](children...).
QByteArray shape(const TfrxXMLItem* item)
{
    QByteArray out = item->name();
    if (!item->text().isEmpty())
        out += "[" + item->text() + "]";
    if (item->count() > 0) {
        out += "(";
        for (int i = 0; i < item->count(); ++i)
            out += (i ? " " : "") + shape(item->item(i));
        out += ")";
    }
    return out;
}

const QString invalid = QStringLiteral("Invalid file format");

TEST(XmlRead, AttributeValuesSurviveAWriteAndARead)
{
    const QByteArray nasty = "q\"amp&lt<gt>cr\rlf\n&amp;&#65;报价";
    TfrxXMLDocument doc;
    doc.root()->setName("r");
    doc.root()->addChild("m")->setAttr("Text", nasty);
    doc.root()->item(0)->setAttr("Name", "Memo1");
    for (const bool indent : {false, true}) {
        doc.setAutoIndent(indent);
        TfrxXMLDocument back;
        load(back, save(doc));
        ASSERT_EQ(back.root()->count(), 1);
        EXPECT_EQ(back.root()->item(0)->getAttr("text"), nasty);
        EXPECT_EQ(back.root()->item(0)->getAttr("Name"), "Memo1");
    }
}

TEST(XmlRead, QuotAndNamedEntitiesInAFile)
{
    TfrxXMLDocument doc;
    doc.root()->setName("r");
    doc.root()->addChild("m")->setAttr("a", "say &quot;hi&quot;");
    TfrxXMLDocument back;
    load(back, save(doc));
    EXPECT_EQ(back.root()->item(0)->getAttr("a"), "say \"hi\"");

    load(back, header + R"(<r><m a="x &amp; y &lt;z&gt; &quot;q&quot;"/></r>)");
    EXPECT_EQ(back.root()->item(0)->getAttr("a"), "x &amp; y &lt;z&gt; \"q\"");
}

TEST(XmlRead, ElementsWithoutChildren)
{
    TfrxXMLDocument doc;
    load(doc, header + R"(<r><a/><b x="1"/><c x="2" /><d></d><e x="3"></e></r>)");
    EXPECT_EQ(shape(doc.root()), R"(r(a b[x="1"] c[x="2" ] d e[x="3"]))");
    for (int i = 0; i < doc.root()->count(); ++i)
        EXPECT_EQ(doc.root()->item(i)->count(), 0);
    EXPECT_EQ(doc.root()->item(2)->getAttr("x"), "2");
    // the root itself may close at once
    load(doc, header + "<only/>");
    EXPECT_EQ(shape(doc.root()), "only");
}

TEST(XmlRead, ClosingTags)
{
    TfrxXMLDocument doc;
    load(doc, header + "<Report><Page><MEMO></memo></PAGE></report>");
    EXPECT_EQ(shape(doc.root()), "Report(Page(MEMO))");
    load(doc, header + "<r><a><b><></a><c/><>"); // "<>" closes any element
    EXPECT_EQ(shape(doc.root()), "r(a(b) c)");
    load(doc, header + "<r><a></a attr></r>"); // a closing tag's attributes are not looked at
    EXPECT_EQ(shape(doc.root()), "r(a)");

    EXPECT_EQ(rejection(header + "<r><a></b></r>"), invalid);
    EXPECT_EQ(rejection(header + "<r><a></r></a>"), invalid);
    EXPECT_EQ(rejection(header + "</r>"), invalid);
    EXPECT_EQ(rejection(header + "<r><a></></r>"), invalid); // "</>" is no "<>"
}

TEST(XmlRead, MalformedText)
{
    EXPECT_EQ(rejection(""), invalid);
    EXPECT_EQ(rejection("<r/>"), invalid);                         // no header
    EXPECT_EQ(rejection("<xml version=\"1.0\"?><r/>"), invalid);
    EXPECT_EQ(rejection(header), invalid);                         // no root
    EXPECT_EQ(rejection(header + "<r><a x=\"<\"/></r>"), invalid); // '<' inside a tag
    EXPECT_EQ(rejection(header + "<r><a x=\"1\""), invalid);       // the stream ends in a tag
    EXPECT_EQ(rejection(header + "<r><a/>"), invalid);             // ... or before the root closes
    EXPECT_EQ(rejection(header + "<r><!-- open comment"), invalid);
}

TEST(XmlRead, CommentsAndTextBetweenTagsAreSkipped)
{
    TfrxXMLDocument doc;
    load(doc, "<!-- before -->\r\n" + header + "\r\nsome text <!-- a <b> c -- d ---> <r>text<a x=\"1\">"
                  "more<!----><b/>\n</a>tail<!--<c/>--></r>");
    EXPECT_EQ(shape(doc.root()), R"(r(a[x="1"](b)))");
    // "!--" counts only at the start of a tag, and "-->" only after it
    load(doc, header + "<r><!-->--><x!--/></r>");
    EXPECT_EQ(shape(doc.root()), "r(x!--)");
}

TEST(XmlRead, TagSplitting)
{
    TfrxXMLDocument doc;
    // one trailing blank is dropped; the text after the first blank is kept as it stands
    load(doc, header + R"(<r ><a  x="1"  /><b/ ></r>)");
    EXPECT_EQ(doc.root()->name(), "r");
    EXPECT_EQ(doc.root()->item(0)->name(), "a");
    EXPECT_EQ(doc.root()->item(0)->text(), R"( x="1"  )");
    EXPECT_EQ(doc.root()->item(0)->getAttr("x"), "1");
    EXPECT_EQ(doc.root()->item(1)->name(), "b");
    EXPECT_EQ(doc.root()->item(1)->count(), 0);

    // Doubled closing slashes leave no slash in the name, so what is written reads back the
    // same.
    load(doc, header + R"(<r><c// t="1"><d/></r>)");
    EXPECT_EQ(shape(doc.root()), R"(r(c[t="1"] d))");
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    doc.saveToStream(out);
    TfrxXMLDocument again;
    load(again, out.data());
    EXPECT_EQ(shape(again.root()), shape(doc.root()));
}

TEST(XmlRead, WhatWasReadStaysWhenTheTextIsMalformed)
{
    TfrxXMLDocument doc;
    EXPECT_EQ(rejection(doc, header + R"(<r x="1"><a n="1"/><b><c/><d></x></b></r>)"), invalid);
    EXPECT_EQ(shape(doc.root()), R"(r[x="1"](a[n="1"] b(c d)))");
    // a new load starts from an empty tree
    load(doc, header + "<s/>");
    EXPECT_EQ(shape(doc.root()), "s");
}

TEST(XmlRead, TagsAcrossBufferBoundaries)
{
    // Every special spot (the '<', the "!--", the '>', the closing "-->", a blank) is
    // moved across the 4096-byte block boundary, and tags longer than a block are read.
    const QByteArray longValue(10000, 'v');
    for (int pad = 4060; pad < 4110; ++pad) {
        const QByteArray bytes = header + QByteArray(pad - header.size(), ' ') + R"(<r a="1"><!-- c --><m x=")"
                                 + longValue + R"("/><n b="2"/></r>)";
        TfrxXMLDocument doc;
        load(doc, bytes);
        ASSERT_EQ(doc.root()->count(), 2) << pad;
        EXPECT_EQ(doc.root()->getAttr("a"), "1") << pad;
        EXPECT_EQ(doc.root()->item(0)->getAttr("x"), longValue) << pad;
        EXPECT_EQ(doc.root()->item(1)->getAttr("b"), "2") << pad;
    }
}

TEST(XmlRead, TheReaderLeavesTheStreamAtItsEndPosition)
{
    // Two items one after the other behind some other data, and more data after them; the
    // data is longer than one buffer so the reader has read ahead.
    const QByteArray first = R"(<page0 a="1"><m/></page0>)";
    const QByteArray second = "<page1>" + QByteArray(5000, ' ') + "<m x=\"2\"/></page1>";
    const QByteArray bytes = "PREFIX" + first + second + "TAIL" + QByteArray(6000, '.');
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    buffer.seek(6);
    TfrxXMLItem a, b;
    {
        TfrxXMLReader reader(buffer);
        reader.readItem(&a);
        EXPECT_EQ(reader.position(), 6 + first.size());
    }
    EXPECT_EQ(buffer.pos(), 6 + first.size());
    {
        TfrxXMLReader reader(buffer);
        reader.readRootItem(&b);
    }
    EXPECT_EQ(buffer.pos(), 6 + first.size() + second.size());
    EXPECT_EQ(buffer.read(4), "TAIL");
    EXPECT_EQ(shape(&a), R"(page0[a="1"](m))");
    EXPECT_EQ(shape(&b), R"(page1(m[x="2"]))");

    // An item read without its children has only its tag read.
    buffer.seek(6);
    TfrxXMLItem tagOnly;
    {
        TfrxXMLReader reader(buffer);
        reader.readRootItem(&tagOnly, false);
    }
    EXPECT_EQ(shape(&tagOnly), R"(page0[a="1"])");
    EXPECT_EQ(buffer.pos(), 6 + QByteArray(R"(<page0 a="1">)").size());
}

TEST(XmlWrite, AutoIndentOffGivesOneLineAndOnGivesIndentedLines)
{
    TfrxXMLDocument doc;
    EXPECT_FALSE(doc.autoIndent());
    TfrxXMLItem* root = doc.root();
    root->setName("r");
    TfrxXMLItem* a = root->addChild("a");
    a->setText(R"(x="1")");
    a->addChild("b");
    TfrxXMLItem* c = root->addChild("c");
    c->setValue("v");
    root->addChild("d")->setText(R"( y="2")"); // a text that begins with a blank gets no second

    EXPECT_EQ(save(doc), header + R"(<r><a x="1"><b/></a><c>v</c><d y="2"/></r>)");
    doc.setAutoIndent(true);
    EXPECT_EQ(save(doc), header + "\r\n<r>\r\n  <a x=\"1\">\r\n    <b/>\r\n  </a>\r\n  <c>v</c>\r\n"
                                  "  <d y=\"2\"/>\r\n</r>\r\n");

    // Value is never read back
    TfrxXMLDocument back;
    load(back, save(doc));
    EXPECT_EQ(back.root()->item(1)->value(), "");
    EXPECT_EQ(shape(back.root()), R"(r(a[x="1"](b) c d[y="2"]))");
}

TEST(XmlWrite, WhatWasReadIsWrittenSoThatItReadsBackTheSame)
{
    // A tag may end in blanks; the reader drops one. What the writer makes of such a text
    // must read back as the same tree, and a slash before the blank must not close it.
    TfrxXMLDocument doc;
    load(doc, header + R"(<r a="1"  ><p x/  ><c/></p><q y="2" /></r>)");
    ASSERT_EQ(shape(doc.root()), R"(r[a="1" ](p[x/ ](c) q[y="2" ]))");
    const QByteArray written = save(doc);
    TfrxXMLDocument back;
    load(back, written);
    EXPECT_EQ(shape(back.root()), shape(doc.root()));
    EXPECT_EQ(save(back), written);

    // RemoveAttr of the last pair leaves a blank at the end of the text
    doc.root()->removeAttr("zz");
    doc.root()->setAttr("b", "2");
    doc.root()->removeAttr("b");
    load(back, save(doc));
    EXPECT_EQ(back.root()->getAttr("a"), "1");
    EXPECT_EQ(back.root()->count(), 2);
}

TEST(XmlWrite, UnloadableItemsAreMarked)
{
    TfrxXMLDocument doc;
    doc.root()->setName("r");
    TfrxXMLItem* page = doc.root()->addChild("page2");
    page->setUnloadable(true);
    page->setAttr("n", "1");
    doc.root()->addChild("page3")->setUnloadable(true);
    page->addChild("m");
    EXPECT_EQ(save(doc), header + R"(<r><page2 n="1" ld="0"><m/></page2><page3 ld="0"/></r>)");
    // the mark has no meaning when read back
    TfrxXMLDocument back;
    load(back, save(doc));
    EXPECT_FALSE(back.root()->item(0)->unloadable());
    EXPECT_TRUE(back.root()->item(0)->loaded());
}

TEST(XmlWrite, LargeDocumentsAndDeepNesting)
{
    TfrxXMLDocument doc;
    doc.root()->setName("r");
    TfrxXMLItem* at = doc.root();
    for (int i = 0; i < 200'000; ++i)
        at = at->addChild("d");
    for (int i = 0; i < 20'000; ++i)
        doc.root()->addChild("m")->setAttr("i", QByteArray::number(i));
    const QByteArray bytes = save(doc);
    TfrxXMLDocument back;
    load(back, bytes); // neither reading nor writing recurses
    EXPECT_EQ(back.root()->count(), 20'001);
    EXPECT_EQ(back.root()->item(20'000)->getAttr("i"), "19999");
    EXPECT_EQ(save(back), bytes);
}

class XmlSpill : public ::testing::Test {
protected:
    testing_support::TempFolder folder;
    TfrxXMLDocument doc;
    TfrxXMLItem* page = nullptr;

    void SetUp() override
    {
        doc.setTempDir(folder.path());
        doc.root()->setName("preparedreport");
        TfrxXMLItem* pages = doc.root()->addChild("previewpages");
        for (int p = 0; p < 3; ++p) {
            TfrxXMLItem* item = pages->addChild("page" + QByteArray::number(p));
            item->setUnloadable(p >= 1);
            item->setAttr("no", QByteArray::number(p));
            for (int m = 0; m < 300; ++m) {
                TfrxXMLItem* memo = item->addChild("m" + QByteArray::number(m % 7));
                memo->setAttr("l", QByteArray::number(m));
                memo->setAttr("u", "第" + QByteArray::number(m) + "行\r\n\"x\"");
                if (m % 50 == 0)
                    memo->addChild("b")->setAttr("k", "v");
            }
        }
        page = pages->item(1);
    }
};

TEST_F(XmlSpill, UnloadAndLoadGiveBackTheSameTree)
{
    const QByteArray before = shape(page);
    EXPECT_TRUE(doc.tempFileName().isEmpty());
    doc.unloadItem(page);
    EXPECT_FALSE(page->loaded());
    EXPECT_EQ(page->count(), 0);
    EXPECT_EQ(page->name(), "page1"); // name and attribute text stay in memory
    EXPECT_EQ(page->getAttr("no"), "1");

    const QFileInfo spill(doc.tempFileName());
    EXPECT_TRUE(spill.exists());
    EXPECT_EQ(QDir(spill.absolutePath()), QDir(folder.path()));
    EXPECT_TRUE(spill.fileName().startsWith(QStringLiteral("fr")));

    doc.loadItem(page);
    EXPECT_TRUE(page->loaded());
    EXPECT_EQ(shape(page), before);
    EXPECT_EQ(page->item(0)->parent(), page);
}

TEST_F(XmlSpill, OnlyLoadedUnloadableItemsMove)
{
    TfrxXMLItem* first = doc.root()->item(0)->item(0);
    doc.unloadItem(first); // not Unloadable
    EXPECT_TRUE(first->loaded());
    EXPECT_EQ(first->count(), 300);
    EXPECT_TRUE(doc.tempFileName().isEmpty());
    doc.loadItem(page); // Loaded already: nothing happens
    EXPECT_EQ(page->count(), 300);
    TfrxXMLItem* last = doc.root()->item(0)->item(2);
    doc.unloadItem(page);
    doc.unloadItem(last);
    const qint64 pageOffset = page->offset();
    doc.unloadItem(page); // already unloaded: stays where it is
    EXPECT_EQ(page->offset(), pageOffset);
    EXPECT_GT(last->offset(), pageOffset);
    doc.loadItem(last);
    doc.loadItem(page);
    EXPECT_EQ(last->item(299)->getAttr("l"), "299");
    EXPECT_EQ(page->item(0)->getAttr("u"), "第0行\r\n\"x\"");
}

TEST_F(XmlSpill, WritingReadsSpilledItemsBackWithoutChangingMemory)
{
    for (const bool indent : {false, true}) {
        doc.setAutoIndent(indent);
        doc.loadItem(page);
        const QByteArray inMemory = save(doc);
        doc.unloadItem(page);
        doc.unloadItem(doc.root()->item(0)->item(2));
        EXPECT_EQ(save(doc), inMemory);
        EXPECT_FALSE(page->loaded());
        EXPECT_EQ(page->count(), 0);
        doc.loadItem(doc.root()->item(0)->item(2));
    }
}

TEST_F(XmlSpill, AttributeTextChangedWhileUnloadedIsKept)
{
    doc.unloadItem(page);
    page->setAttr("no", "changed");
    const QString file = doc.tempFileName();
    doc.loadItem(page);
    EXPECT_EQ(page->getAttr("no"), "changed");
    EXPECT_EQ(page->getAttr("ld"), ""); // the mark written into the spill file stays there
    EXPECT_EQ(page->count(), 300);
    EXPECT_TRUE(QFile::exists(file));
}

TEST_F(XmlSpill, TextsWithLeadingAndTrailingBlanksComeBackExactly)
{
    // Read from a file, such texts are written to a file with one leading blank less; the
    // spill file must give back exactly what was in memory.
    TfrxXMLDocument odd;
    odd.setTempDir(folder.path());
    load(odd, header + R"(<r><page><a   x="1"  ><b/></a><c  y="2" /><d     /></page></r>)");
    TfrxXMLItem* p = odd.root()->item(0);
    ASSERT_EQ(shape(p), R"(page(a[  x="1" ](b) c[ y="2" ] d[    ]))");
    p->setUnloadable(true);
    const QByteArray before = save(odd);
    odd.unloadItem(p);
    EXPECT_EQ(save(odd), before);
    odd.loadItem(p);
    EXPECT_EQ(shape(p), R"(page(a[  x="1" ](b) c[ y="2" ] d[    ]))");
}

TEST_F(XmlSpill, SpillFileIsDeletedOnClearLoadAndDestruction)
{
    doc.unloadItem(page);
    QString file = doc.tempFileName();
    ASSERT_TRUE(QFile::exists(file));
    doc.clear();
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_TRUE(doc.tempFileName().isEmpty());
    EXPECT_EQ(doc.root()->count(), 0);

    SetUp();
    doc.unloadItem(page);
    file = doc.tempFileName();
    load(doc, header + "<r/>");
    EXPECT_FALSE(QFile::exists(file));

    {
        TfrxXMLDocument local;
        local.setTempDir(folder.path());
        local.root()->addChild()->setUnloadable(true);
        local.root()->item(0)->addChild();
        local.unloadItem(local.root()->item(0));
        file = local.tempFileName();
        ASSERT_TRUE(QFile::exists(file));
    }
    EXPECT_FALSE(QFile::exists(file));
}

TEST(XmlFile, SaveAndLoadFiles)
{
    testing_support::TempFolder folder;
    const QString path = folder.file(QStringLiteral("template.fr3"));
    TfrxXMLDocument doc;
    doc.setAutoIndent(true);
    doc.root()->setName("TfrxReport");
    doc.root()->addChild("TfrxMemoView")->setAttr("Text", "报价单");
    doc.saveToFile(path);
    TfrxXMLDocument back;
    back.loadFromFile(path);
    EXPECT_EQ(back.root()->item(0)->getAttr("Text"), "报价单");
    // only the file itself is left in the folder: the temporary name was renamed into place
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{QStringLiteral("template.fr3")});

    EXPECT_THROW(back.loadFromFile(folder.file(QStringLiteral("missing.fr3"))), platform::Error);
    EXPECT_THROW(doc.saveToFile(folder.file(QStringLiteral("no/such/folder.fr3"))), platform::Error);
}

} // namespace
