// The prepared-report file and the spill file.
#include "pages_fixture.h"
#include "report/storage/xml_serializer.h"
#include "support/test_paths.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QProcess>

using namespace pages_test;

namespace {

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QString memoText(TfrxReportPage* page, int band, int object = 0)
{
    auto* memo = dynamic_cast<TfrxCustomMemoView*>(page->Objects()[band]->Objects()[object]);
    return memo ? memo->Text() : QStringLiteral("<none>");
}

// Two pages with texts, a picture and a thicker bottom frame line on one memo.
void prepare(Template& t, TfrxPreviewPages& pages)
{
    Engine e(t, pages);
    e.newPage();
    t.picture->Picture = pngPicture(Qt::green);
    e.row(100, QStringLiteral("第一行 & <one>"));
    t.memo->Frame().Typ = 15;
    t.memo->Frame().BottomLine().Width = 4;
    e.row(120, QStringLiteral("two\r\nlines"));
    e.newPage();
    t.memo->Frame().BottomLine().Width = 1;
    e.row(100, QString());
    pages.Outline().LevelRoot();
    pages.Outline().AddItem(QStringLiteral("Summary"), 100);
    e.finish();
}

TEST(PreparedFile, SavedPagesComeBackTheSame)
{
    testing_support::TempFolder dir;
    Template t;
    TfrxPreviewPages pages(t.report);
    prepare(t, pages);
    t.report.PreviewOptions().OutlineWidth = 150;
    const QString path = dir.file("report.fp3");
    pages.SaveToFile(path);

    const QByteArray text = readFile(path);
    EXPECT_TRUE(text.startsWith("<?xml version=\"1.0\" encoding=\"utf-8\"?><preparedreport><previewpages><page0><b1 "))
        << text.left(120).constData();
    EXPECT_EQ(text.count('\n'), 0);
    EXPECT_TRUE(text.contains("<report><TfrxReport DotMatrixReport=\"0\" PreviewOptions.OutlineVisible=\"0\" "
                              "PreviewOptions.OutlineWidth=\"150\"/></report><sourcepages><TfrxReportPage "));
    EXPECT_TRUE(text.contains("<dictionary sources=\"full\"><b1 name=\"Page0.MasterData1\"/><b2 name=\"Page0.PageFooter1\"/>"
                              "<l1 name=\"Page0.Line1\"/><m1 name=\"Page0.Memo1\"/>"));
    EXPECT_TRUE(text.endsWith("</picturecache></preparedreport>"));

    TfrxReport other;
    other.PreviewOptions().OutlineWidth = 1;
    TfrxPreviewPages loaded(other);
    ASSERT_TRUE(loaded.LoadFromFile(path));
    EXPECT_EQ(other.PreviewOptions().OutlineWidth, 150);
    ASSERT_EQ(loaded.PageCount(), 2);
    EXPECT_EQ(loaded.GetPreparedPageSize(0), pages.GetPreparedPageSize(0));
    TfrxReportPage* page = loaded.GetPreparedPage(0);
    ASSERT_EQ(page->Objects().size(), 2);
    EXPECT_EQ(memoText(page, 0), QStringLiteral("第一行 & <one>"));
    EXPECT_EQ(memoText(page, 1), "two\r\nlines");
    auto* memo = dynamic_cast<TfrxMemoView*>(page->Objects()[1]->Objects()[0]);
    EXPECT_DOUBLE_EQ(memo->Frame().BottomLine().Width, 4);
    EXPECT_DOUBLE_EQ(memo->Frame().LeftLine().Width, 1);
    auto* picture = dynamic_cast<TfrxPictureView*>(page->Objects()[0]->Objects()[3]);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->Picture, pngPicture(Qt::green));
    EXPECT_EQ(memoText(loaded.GetPreparedPage(1), 0), "");
    loaded.Outline().LevelRoot();
    EXPECT_EQ(loaded.Outline().ItemCount(), 1);

    // Saved again, the file is the same.
    const QString again = dir.file("again.fp3");
    loaded.SaveToFile(again);
    EXPECT_EQ(readFile(again), text);
}

TEST(PreparedFile, ReportElementSetsTheOutlineOptions)
{
    testing_support::TempFolder dir;
    writeFile(dir.file("options.fp3"),
              "<?xml version=\"1.0\" encoding=\"utf-8\"?><preparedreport><previewpages/>"
              "<report><TfrxReport DotMatrixReport=\"1\" PreviewOptions.OutlineVisible=\"1\" "
              "PreviewOptions.OutlineWidth=\"200\" ScriptLanguage=\"evil\"/></report></preparedreport>");
    TfrxReport report;
    const QString language = report.ScriptLanguage;
    TfrxPreviewPages pages(report);
    ASSERT_TRUE(pages.LoadFromFile(dir.file("options.fp3")));
    EXPECT_TRUE(report.PreviewOptions().OutlineVisible);
    EXPECT_EQ(report.PreviewOptions().OutlineWidth, 200);
    EXPECT_TRUE(report.DotMatrixReport);
    EXPECT_EQ(report.ScriptLanguage, language); // nothing beyond the three options
    EXPECT_EQ(pages.PageCount(), 0);

    EXPECT_FALSE(pages.LoadFromFile(dir.file("missing.fp3")));
    EXPECT_TRUE(report.PreviewOptions().OutlineVisible);
}

TEST(PreparedFile, MalformedFilesLeaveAUsableStore)
{
    testing_support::TempFolder dir;
    Template t;
    TfrxPreviewPages pages(t.report);
    prepare(t, pages);
    const QString path = dir.file("report.fp3");
    pages.SaveToFile(path);
    const QByteArray whole = readFile(path);

    TfrxReport report;
    TfrxPreviewPages loaded(report);
    // Cut off anywhere: the reader's message, and whatever was read can be shown.
    for (qsizetype size = 0; size < whole.size(); size += 23) {
        writeFile(dir.file("cut.fp3"), whole.left(size));
        try {
            loaded.LoadFromFile(dir.file("cut.fp3"));
            ADD_FAILURE() << "no failure at " << size;
        } catch (const TfrxInvalidXMLException& e) {
            EXPECT_EQ(e.message(), "Invalid file format");
        }
        for (int i = 0; i < loaded.PageCount(); ++i) {
            loaded.GetPreparedPageSize(i);
            loaded.GetPreparedPage(i);
        }
        QImage image(200, 300, QImage::Format_RGB32);
        QPainter painter(&image);
        loaded.PaintPage(0, painter, 0.2, 0.2, 0, 0);
    }
    // Damaged references: a dictionary entry for a missing object, a page of a missing
    // source page, a short name pointing nowhere, a picture index beyond the cache.
    writeFile(dir.file("odd.fp3"),
              "<?xml version=\"1.0\" encoding=\"utf-8\"?><preparedreport><previewpages>"
              "<page7><m1 u=\"a\"/></page7><page0><m1 u=\"b\"/><p1 ImageIndex=\"9\"/><zz9/></page0></previewpages>"
              "<sourcepages><TfrxReportPage Name=\"Page1\"><TfrxMemoView Name=\"Memo1\"/>"
              "<TfrxPictureView Name=\"Picture1\"/></TfrxReportPage></sourcepages>"
              "<dictionary><m1 name=\"Page0.Memo1\"/><p1 name=\"Page0.Picture1\"/><q1 name=\"Page0.Nothing\"/>"
              "<r1 name=\"Page5.Memo1\"/><s1 name=\"garbage\"/></dictionary></preparedreport>");
    ASSERT_TRUE(loaded.LoadFromFile(dir.file("odd.fp3")));
    ASSERT_EQ(loaded.PageCount(), 2);
    TfrxReportPage* page = loaded.GetPreparedPage(0);
    ASSERT_NE(page, nullptr);
    ASSERT_EQ(page->Objects().size(), 1);
    page = loaded.GetPreparedPage(1);
    ASSERT_EQ(page->Objects().size(), 2);
    auto* picture = dynamic_cast<TfrxPictureView*>(page->Objects()[1]);
    ASSERT_NE(picture, nullptr);
    EXPECT_TRUE(picture->Picture.isEmpty());
}

TEST(PreparedFile, SpilledPagesComeBackAndAFailedSaveKeepsTheEarlierFile)
{
    testing_support::TempFolder dir;
    Template t;
    t.report.EngineOptions().UseFileCache = true;
    t.report.EngineOptions().MaxMemSize = 0; // every new page moves the earlier ones out
    t.report.EngineOptions().TempDir = dir.path();
    TfrxPreviewPages pages(t.report);
    Engine e(t, pages);
    for (int i = 0; i < 6; ++i) {
        e.newPage();
        e.row(100, QStringLiteral("page %1").arg(i));
    }
    e.finish();
    const TfrxXMLItem* list = pages.Root()->childByName("previewpages");
    EXPECT_TRUE(list->item(0)->loaded()); // the first two pages stay
    EXPECT_TRUE(list->item(1)->loaded());
    EXPECT_FALSE(list->item(3)->loaded());
    EXPECT_TRUE(pages.SpillFileName().startsWith(dir.path()));
    EXPECT_EQ(memoText(pages.GetPreparedPage(3), 0), "page 3");

    const QString path = dir.file("report.fp3");
    pages.SaveToFile(path);
    const QByteArray saved = readFile(path);
    EXPECT_TRUE(saved.contains("page 4"));
    EXPECT_TRUE(saved.contains("<page0 ld=\"0\">"));

    // The spill file is damaged: the save fails, the earlier file stays as it was.
    e.newPage(); // moves pages 2..5 out again
    QFile spill(pages.SpillFileName());
    ASSERT_TRUE(spill.open(QIODevice::ReadWrite));
    const qint64 size = spill.size();
    ASSERT_GT(size, 0);
    spill.write(QByteArray(size, '<'));
    spill.close();
    EXPECT_THROW(pages.SaveToFile(path), std::exception);
    EXPECT_EQ(readFile(path), saved);
    EXPECT_EQ(QDir(dir.path()).entryList({QStringLiteral("report.fp3*")}, QDir::Files).size(), 1);
}

TEST(PreparedFile, CommandLineListsPagesAndObjects)
{
    testing_support::TempFolder dir;
    Template t;
    TfrxPreviewPages pages(t.report);
    prepare(t, pages);
    pages.SaveToFile(dir.file("report.fp3"));
    const auto run = [](const QStringList& args) {
        QProcess p;
        p.start(QStringLiteral(QMX_BINARY_DIR "/bin/qmxdiy-report"), args);
        p.waitForFinished(60000);
        return std::make_tuple(p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                               QString::fromUtf8(p.readAllStandardError()));
    };
    auto [code, out, err] = run({QStringLiteral("pages"), dir.file("report.fp3")});
    EXPECT_EQ(code, 0) << err.toStdString();
    EXPECT_EQ(out, "pages: 2\npage 1: 794 x 1123, 10 objects\npage 2: 794 x 1123, 5 objects\n");

    std::tie(code, out, err) = run({QStringLiteral("pages"), dir.file("report.fp3"), QStringLiteral("--objects")});
    EXPECT_EQ(code, 0);
    const QStringList lines = out.split(u'\n');
    ASSERT_GE(lines.size(), 4);
    EXPECT_EQ(lines[1], "page 1: 794 x 1123, 10 objects");
    EXPECT_EQ(lines[2], "  b1 MasterData1 0 100 718.1107 20") << out.toStdString(); // aligned to the page
    EXPECT_EQ(lines[3], QStringLiteral("  m1 Memo1 10 0 200 18 第一行 & <one>"));
    EXPECT_TRUE(out.contains("  m1 Memo1 10 0 200 18 two\\nlines\n"));

    writeFile(dir.file("bad.fp3"), "<?xml version=\"1.0\"?><preparedreport><previewpages>");
    std::tie(code, out, err) = run({QStringLiteral("pages"), dir.file("bad.fp3")});
    EXPECT_EQ(code, 2);
    EXPECT_TRUE(err.contains("Invalid file format")) << err.toStdString();
}

} // namespace

namespace {

TfrxRichView* addRich(Template& t)
{
    auto* rich = new TfrxRichView(t.band);
    rich->SetName(QStringLiteral("Rich1"));
    rich->SetBounds(420, 0, 60, 18);
    rich->Color = 0xFF;
    rich->RichText = "{\\rtf1\\ansi {\\b same} text\\par}";
    return rich;
}

TfrxRichView* richOf(TfrxReportPage* page, int band)
{
    for (TfrxComponent* c : page->Objects()[band]->Objects())
        if (auto* rich = dynamic_cast<TfrxRichView*>(c))
            return rich;
    return nullptr;
}

} // namespace

// A rich text is stored as what differs from its source object, so a row whose document is
// the template's carries no copy of it; the file reads back the same either way.
TEST(PreparedFile, RichTextIsStoredAgainstItsSource)
{
    testing_support::TempFolder dir;
    Template t;
    TfrxRichView* rich = addRich(t);
    const QByteArray sameText = rich->RichText;
    const QByteArray otherText = "{\\rtf1\\ansi other\\par}";
    TfrxPreviewPages pages(t.report);
    Engine e(t, pages);
    e.newPage();
    e.row(100, QStringLiteral("one"));
    rich->RichText = otherText;
    rich->SetWidth(70);
    e.row(130, QStringLiteral("two"));
    rich->RichText = sameText;
    rich->SetWidth(60);
    e.finish();

    const TfrxXMLItem* page = pageElement(pages, 0);
    const auto richElement = [&](int row) { return page->item(row)->item(4); };
    EXPECT_EQ(richElement(0)->name(), "r1");
    EXPECT_FALSE(richElement(0)->text().contains("PropData")) << richElement(0)->text().constData();
    EXPECT_FALSE(richElement(0)->text().contains("Color"));
    EXPECT_TRUE(richElement(1)->text().contains("PropData"));

    const QString path = dir.file("rich.fp3");
    pages.SaveToFile(path);
    EXPECT_TRUE(readFile(path).contains("<dictionary sources=\"full\">"));
    TfrxReport other;
    TfrxPreviewPages loaded(other);
    ASSERT_TRUE(loaded.LoadFromFile(path));
    for (TfrxPreviewPages* store : {&pages, &loaded}) {
        TfrxReportPage* prepared = store->GetPreparedPage(0);
        ASSERT_NE(prepared, nullptr);
        TfrxRichView* first = richOf(prepared, 0);
        TfrxRichView* second = richOf(prepared, 1);
        ASSERT_TRUE(first && second);
        EXPECT_EQ(first->RichText, sameText);
        EXPECT_EQ(second->RichText, otherText);
        EXPECT_EQ(first->Color, 0xFF);
        EXPECT_EQ(second->Color, 0xFF);
        EXPECT_EQ(first->Width(), 60);
        EXPECT_EQ(second->Width(), 70);
    }
}

// Files written before stored a rich text with its source string being the class name
// and all its properties in its element: a property left at its default there is the
// default, not the source object's value.
TEST(PreparedFile, OlderRichTextElementsReadAsWritten)
{
    testing_support::TempFolder dir;
    Template t;
    TfrxRichView* rich = addRich(t);
    TfrxXMLSerializer serializer;
    const QByteArray source = "<TfrxRichView Name=\"Rich1\"" + serializer.ObjectToAttributes(*rich) + "/>";
    rich->Color = TfrxRichView().Color;
    rich->RichText = "{\\rtf1\\ansi older\\par}";
    const QByteArray element = "<r1" + serializer.ObjectToAttributes(*rich) + " t=\"0\"/>";
    const QByteArray file = "<?xml version=\"1.0\" encoding=\"utf-8\"?><preparedreport><previewpages><page0>" + element
                            + "</page0></previewpages><sourcepages><TfrxReportPage Name=\"Page1\">" + source
                            + "</TfrxReportPage></sourcepages>";
    for (const bool marked : {false, true}) {
        const QByteArray dictionary = marked ? "<dictionary sources=\"full\">" : "<dictionary>";
        writeFile(dir.file("rich.fp3"), file + dictionary + "<r1 name=\"Page0.Rich1\"/></dictionary></preparedreport>");
        TfrxReport other;
        TfrxPreviewPages loaded(other);
        ASSERT_TRUE(loaded.LoadFromFile(dir.file("rich.fp3")));
        TfrxReportPage* prepared = loaded.GetPreparedPage(0);
        ASSERT_NE(prepared, nullptr);
        ASSERT_EQ(prepared->Objects().size(), 1);
        auto* read = dynamic_cast<TfrxRichView*>(prepared->Objects()[0]);
        ASSERT_NE(read, nullptr);
        EXPECT_EQ(read->RichText, rich->RichText);
        // Marked, the element is a difference from the source, whose colour stays.
        EXPECT_EQ(read->Color, marked ? 0xFF : TfrxRichView().Color) << marked;
    }
}
