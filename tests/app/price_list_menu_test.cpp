// "导出价格表..." and "导入价格表..." from the popup menu: the preview before anything changes,
// Cancel changing nothing, the export of a right-clicked category, and failures reported.
#include "quotation_fixture.h"
#include "db/price_list.h"
#include <QApplication>
#include <QContextMenuEvent>
#include <QFile>
#include <QMenu>
#include <QTreeWidget>

using namespace quotation_testing;

namespace {

class PriceListMenuTest : public QuotationTest {
protected:
    QString writeList(const QString& rows)
    {
        const QString path = cat.folder.file("供应商.csv");
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("\xEF\xBB\xBF")
                   + (QStringLiteral("一级分类,二级分类,三级分类,四级分类,名称,详细参数,价格,网址\r\n") + rows).toUtf8());
        return path;
    }
    QString price(int id) { return cat.column(QStringLiteral("select HW_JG as v from HW where HW_ID = %1").arg(id), "v").value(0); }
};

// Answers file dialogs with `path` and confirmations with `accept`, recording every dialog.
struct FileAnswer {
    explicit FileAnswer(QString path, bool accept = true)
    {
        previous = platform::setDialogResponder([this, path, accept](const platform::DialogRequest& r) {
            seen.append(r);
            platform::DialogAnswer a;
            a.accepted = r.kind == DialogKind::OpenFile || r.kind == DialogKind::SaveFile ? true : accept;
            a.value = path;
            return a;
        });
    }
    ~FileAnswer() { platform::setDialogResponder(previous); }
    QList<platform::DialogRequest> of(DialogKind kind) const
    {
        QList<platform::DialogRequest> found;
        for (const auto& r : seen)
            if (r.kind == kind)
                found << r;
        return found;
    }
    QList<platform::DialogRequest> seen;
    platform::DialogResponder previous;
};

} // namespace

TEST_F(PriceListMenuTest, ImportShowsThePreviewAndChangesOnlyOnConfirmation)
{
    auto w = window();
    const QString path = writeList(QStringLiteral("电脑,配件,存储,硬盘,希捷 1TB,,1099,\r\n"
                                                  "电脑,配件,存储,硬盘,东芝 4TB,,599,\r\n"
                                                  "电脑,配件,存储,硬盘,坏的,,几百,\r\n"));
    {
        FileAnswer cancel(path, false);
        w->menu.N30->trigger();
        const auto confirms = cancel.of(DialogKind::Confirm);
        ASSERT_EQ(confirms.size(), 1);
        EXPECT_EQ(confirms[0].caption, "导入价格表");
        EXPECT_TRUE(confirms[0].text.contains(QStringLiteral("价格变动 1 项，新产品 1 项，新分类 0 个，未变 0 项，拒绝 1 行")))
            << confirms[0].text.toStdString();
        EXPECT_TRUE(confirms[0].details.contains(QStringLiteral("第2行  价格  电脑 > 配件 > 存储 > 硬盘 > 希捷 1TB：1234.5 → 1099")))
            << confirms[0].details.toStdString();
        EXPECT_TRUE(confirms[0].details.contains(QStringLiteral("第4行  拒绝：价格不是数字：“几百”")));
    }
    EXPECT_EQ(price(seagate), "1234.5");
    EXPECT_EQ(cat.count("select count(*) as n from HW"), 3);

    // The disks are on screen, the operator on 希捷.
    showDisks(*w);
    pick(*w, "希捷 1TB");
    const int row = w->ADOQueryHW->currentRow();
    {
        FileAnswer accept(path);
        w->menu.N30->trigger();
        const auto messages = accept.of(DialogKind::Message);
        ASSERT_EQ(messages.size(), 1);
        EXPECT_EQ(messages[0].text, "价格表已导入：价格变动 1 项，新产品 1 项，新分类 0 个，未变 0 项，拒绝 1 行");
    }
    EXPECT_EQ(price(seagate), "1099");
    EXPECT_EQ(cat.count("select count(*) as n from HW where HW_MC = '东芝 4TB'"), 1);
    // The grid offers the imported price at once, on the same row, and its rows can be edited.
    EXPECT_EQ(w->ADOQueryHW->currentRow(), row);
    EXPECT_EQ(w->ADOQueryHW->value("HW_JG").toDouble(), 1099);
    EXPECT_EQ(w->ADOQueryHW->recordCount(), 4);
    w->ADOQueryHW->edit();
    w->ADOQueryHW->setValue("HW_URL", QStringLiteral("https://example.cn/st"));
    EXPECT_NO_THROW(w->ADOQueryHW->post());

    // Again: nothing to change, said so without asking.
    FileAnswer again(path);
    w->menu.N30->trigger();
    EXPECT_TRUE(again.of(DialogKind::Confirm).isEmpty());
    ASSERT_EQ(again.of(DialogKind::Message).size(), 1);
    EXPECT_TRUE(again.of(DialogKind::Message)[0].text.startsWith(QStringLiteral("价格表“供应商.csv”中没有需要导入的变动。")));
}

TEST_F(PriceListMenuTest, AFileThatIsNoPriceListIsReportedAndChangesNothing)
{
    auto w = window();
    const QString path = cat.folder.file("notes.csv");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("just,some\ntext,here\n");
    file.close();
    FileAnswer answer(path);
    w->menu.N30->trigger();
    const auto errors = answer.of(DialogKind::ErrorReport);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_EQ(errors[0].text, "第1行不是价格表的标题行：找不到“名称”列");
    EXPECT_EQ(price(seagate), "1234.5");
}

TEST_F(PriceListMenuTest, ExportWritesTheRightClickedCategoryOrTheWholeCatalogue)
{
    cat.l4(cat.l3(cat.count("select L2_ID as n from L2 where L2_NM = '整机'"), "品牌机"), "联想");
    const int lenovo = cat.count("select L4_ID as n from L4 where L4_NM = '联想'");
    cat.run(QStringLiteral("insert into HW (L4_ID, HW_MC, HW_JG) values (%1, '联想 天逸', 3999)").arg(lenovo));
    auto w = window();
    const QString whole = cat.folder.file("all.csv");
    {
        FileAnswer answer(whole);
        w->menu.N29->trigger();
        EXPECT_EQ(answer.of(DialogKind::SaveFile).value(0).defaultValue, cat.folder.file("价格表.csv"));
        EXPECT_EQ(answer.of(DialogKind::Message).value(0).text,
                  QStringLiteral("已导出 4 项产品到“%1”。").arg(whole));
    }
    EXPECT_EQ(db::readPriceListFile(whole).rows.size(), 4);

    // A right click on 整机 exports that category only.
    w->show();
    QTreeWidgetItem* machines = node(*w, {"电脑", "整机"});
    ASSERT_NE(machines, nullptr);
    const QPoint at = w->tree.tv1->visualItemRect(machines).center();
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, at, w->tree.tv1->viewport()->mapToGlobal(at));
    QApplication::sendEvent(w->tree.tv1->viewport(), &rightClick);
    w->menu.PopupMenu1->hide();
    const QString part = cat.folder.file("part.csv");
    {
        FileAnswer answer(part);
        w->menu.N29->trigger();
        EXPECT_EQ(answer.of(DialogKind::SaveFile).value(0).defaultValue, cat.folder.file("价格表-整机.csv"));
    }
    const auto rows = db::readPriceListFile(part).rows;
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].name, "联想 天逸");
    EXPECT_EQ(rows[0].path, QStringList({"电脑", "整机", "品牌机", "联想"}));
}
