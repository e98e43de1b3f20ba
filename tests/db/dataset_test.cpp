#include "db_fixture.h"
#include "db/db_error.h"
#include "platform/operator_text.h"
#include <QDateTime>
#include <QSignalSpy>

namespace st = db::statements;

namespace {
const QStringList kHwFields = {"HW_ID", "L4_ID", "HW_MC", "HW_DW", "HW_NF", "HW_RQ", "HW_CS",
                               "HW_JG", "HW_TP", "HW_URL", "HW_TP_URL"};
}

TEST_F(CatalogueTest, FieldsCarryTheColumnTypes)
{
    auto hw = std::make_unique<db::Dataset>(QStringLiteral("ADOQueryHW"), &connection);
    hw->setFixedFields(kHwFields);
    db::openStatement(*hw, st::itemsUnderL4Named(QStringLiteral("none")));
    ASSERT_EQ(hw->fields().size(), kHwFields.size());
    EXPECT_EQ(hw->field(QStringLiteral("HW_ID")).type, db::FieldType::AutoInc);
    EXPECT_TRUE(hw->field(QStringLiteral("HW_ID")).readOnly);
    EXPECT_EQ(hw->field(QStringLiteral("hw_mc")).type, db::FieldType::Text);
    EXPECT_EQ(hw->field(QStringLiteral("HW_MC")).size, 255);
    EXPECT_EQ(hw->field(QStringLiteral("HW_DW")).size, 10);
    EXPECT_EQ(hw->field(QStringLiteral("HW_NF")).type, db::FieldType::Integer);
    EXPECT_EQ(hw->field(QStringLiteral("HW_RQ")).type, db::FieldType::DateTime);
    EXPECT_EQ(hw->field(QStringLiteral("HW_CS")).type, db::FieldType::Memo);
    EXPECT_EQ(hw->field(QStringLiteral("HW_JG")).type, db::FieldType::Float);
    EXPECT_EQ(hw->field(QStringLiteral("HW_TP")).type, db::FieldType::Blob);
    EXPECT_TRUE(hw->isEmpty());
    EXPECT_TRUE(hw->bof());
    EXPECT_TRUE(hw->eof());

    // A fixed field the statement does not return fails the open and leaves the query closed.
    db::Dataset diy(QStringLiteral("ADOQueryDIY"), &connection);
    diy.setFixedFields({"DIY_ID", "DIY_MISSING"});
    EXPECT_DB_ERROR(db::openStatement(diy, st::linesOfNumber(QStringLiteral("1"))), "ADOQueryDIY: 找不到字段“DIY_MISSING”：数据库文件可能不是本程序的目录文件。");
    EXPECT_FALSE(diy.active());
}

// Expressions declare no type: their values decide it, so sums and counts stay numbers for
// a report's aggregates (text would be joined, "300" + "200" = "300200").
TEST_F(CatalogueTest, ExpressionColumnsTakeTheTypeOfTheirValues)
{
    db::Dataset q(QStringLiteral("Sums"), &connection);
    db::openStatement(q, QStringLiteral("SELECT 300 AS whole, 2.5 AS part, 'x' AS word, NULL AS nothing, "
                                        "(SELECT COUNT(*) FROM HW) AS lines, (SELECT max(HW_JG) * 2 FROM HW) AS twice "
                                        "UNION ALL SELECT 200, 1, 'y', NULL, 0, NULL"));
    EXPECT_EQ(q.field(QStringLiteral("whole")).type, db::FieldType::Integer);
    EXPECT_EQ(q.field(QStringLiteral("part")).type, db::FieldType::Float); // 2.5 and 1
    EXPECT_EQ(q.field(QStringLiteral("word")).type, db::FieldType::Text);
    EXPECT_EQ(q.field(QStringLiteral("nothing")).type, db::FieldType::Text);
    EXPECT_EQ(q.field(QStringLiteral("lines")).type, db::FieldType::Integer);
    EXPECT_TRUE(q.field(QStringLiteral("whole")).readOnly);
    EXPECT_EQ(q.value(QStringLiteral("whole")), QVariant(300)); // a number, not the text "300"
}

TEST_F(CatalogueTest, DataLayerErrorsNameTheQuery)
{
    db::Dataset diy(QStringLiteral("ADOQueryDIY"), &connection);
    EXPECT_DB_ERROR(diy.append(), "ADOQueryDIY: 数据没有打开，无法进行这项操作。请先打开它（点击左侧分类，或建立、查询装机单）。");
    EXPECT_DB_ERROR(diy.value(QStringLiteral("DIY_ID")), "ADOQueryDIY: 数据没有打开，无法进行这项操作。请先打开它（点击左侧分类，或建立、查询装机单）。");

    db::openStatement(diy, st::linesOfNumber(QStringLiteral("1")));
    EXPECT_DB_ERROR(diy.setValue(QStringLiteral("DIY_NM"), QStringLiteral("x")), "ADOQueryDIY: 记录不在修改状态，这个值没有保存。请先点击“修改”按钮，或按 Esc 恢复原来的值。");
    EXPECT_DB_ERROR(diy.post(), "ADOQueryDIY: 记录不在修改状态，这个值没有保存。请先点击“修改”按钮，或按 Esc 恢复原来的值。");
    EXPECT_DB_ERROR(diy.value(QStringLiteral("NOPE")), "ADOQueryDIY: 找不到字段“NOPE”：数据库文件可能不是本程序的目录文件。");
    EXPECT_DB_ERROR(diy.remove(), "ADOQueryDIY: 没有记录，无法进行这项操作。");
    diy.append();
    EXPECT_DB_ERROR(diy.setValue(QStringLiteral("DIY_SYS_ID"), 5), "ADOQueryDIY: 字段“DIY_SYS_ID”不能修改。");
    EXPECT_DB_ERROR(diy.setText(QStringLiteral("DIY_SL"), QStringLiteral("两")), "ADOQueryDIY: “两”不是整数，请输入整数，例如 12。");
    EXPECT_DB_ERROR(diy.setText(QStringLiteral("DIY_JG"), QStringLiteral("1..5")), "ADOQueryDIY: “1..5”不是数字，请输入数字，例如 1299.5。");

    // A result that cannot be written back says so instead of pretending.
    db::Dataset list(QStringLiteral("ADOQuery_LIST"), &connection);
    db::openStatement(list, st::distinctNumbers());
    EXPECT_THROW(list.append(), db::DbError);
    EXPECT_EQ(list.state(), db::Dataset::State::Browse);
}

// Rows go back only to the one table a statement reads, by its key: a join, a list of tables
// or a result without the key has no row of a table to write, and says so.
TEST_F(CatalogueTest, OnlyRowsOfOneTableHoldingItsKeyAreWrittenBack)
{
    const int l4 = addChain(QStringLiteral("配件"), QStringLiteral("内存"), QStringLiteral("DDR5"), QStringLiteral("台式"));
    connection.execute(QStringLiteral("insert into HW (L4_ID, HW_MC) values (%1, 'A')").arg(l4));
    const QString refused = QStringLiteral("这些数据不能修改：它们不来自一个带编号的表。");
    for (const char* sql : {"select HW.HW_ID, HW.HW_MC, L4.L4_NM from HW join L4 on L4.L4_ID = HW.L4_ID",
                            "select HW_ID, HW_MC from HW, L4 where L4.L4_ID = HW.L4_ID",
                            "select HW_MC from HW"}) {
        auto q = query(QStringLiteral("Q"), QString::fromLatin1(sql));
        EXPECT_FALSE(q->canModify()) << sql;
        EXPECT_DB_ERROR(q->edit(), "Q: " + refused.toStdString());
    }

    // A bracketed table name is the table; a column computed from it is not one of its columns.
    auto hw = query(QStringLiteral("ADOQueryHW"), QStringLiteral("select HW_ID, HW_MC, HW_MC || '!' as SHOUT from [HW]"));
    EXPECT_EQ(hw->tableName(), QStringLiteral("HW"));
    ASSERT_TRUE(hw->canModify());
    EXPECT_TRUE(hw->field(QStringLiteral("SHOUT")).readOnly);
    hw->edit();
    hw->setValue(QStringLiteral("HW_MC"), QStringLiteral("B"));
    hw->post();
    EXPECT_EQ(query(QStringLiteral("q"), QStringLiteral("select HW_MC from HW"))->asString(QStringLiteral("HW_MC")),
              QStringLiteral("B"));
}

TEST_F(CatalogueTest, NullValuesAreStrictWhenReadAsTextOrNumber)
{
    addLine(QStringLiteral("1"), QStringLiteral("n"), 1);
    connection.execute(QStringLiteral("insert into DIY (DIY_ID) values ('2')"));
    auto diy = query(QStringLiteral("ADOQueryDIY"), st::linesOfNumber(QStringLiteral("2")));
    EXPECT_TRUE(diy->isNull(QStringLiteral("HW_MS")));
    EXPECT_FALSE(diy->value(QStringLiteral("HW_MS")).isValid());
    EXPECT_EQ(diy->displayText(QStringLiteral("DIY_JG")), QString());
    EXPECT_DB_ERROR(diy->asString(QStringLiteral("HW_MS")), "ADOQueryDIY: 空值无法读取为文本：这一项还没有填写或内容不对，请先填写正确的值。");
    EXPECT_DB_ERROR(diy->asInteger(QStringLiteral("DIY_SL")), "ADOQueryDIY: 空值无法读取为整数：这一项还没有填写或内容不对，请先填写正确的值。");
    EXPECT_DB_ERROR(diy->asFloat(QStringLiteral("DIY_CASH")), "ADOQueryDIY: 空值无法读取为数字：这一项还没有填写或内容不对，请先填写正确的值。");
    EXPECT_EQ(diy->asString(QStringLiteral("DIY_ID")), QStringLiteral("2"));

    diy = query(QStringLiteral("ADOQueryDIY"), st::linesOfNumber(QStringLiteral("1")));
    EXPECT_EQ(diy->asInteger(QStringLiteral("DIY_SL")), 1);
    EXPECT_DOUBLE_EQ(diy->asFloat(QStringLiteral("DIY_CASH")), 1.0);
    // Text that holds a number converts; text that does not is an error, not a zero.
    EXPECT_EQ(diy->asInteger(QStringLiteral("DIY_ID")), 1);
    EXPECT_THROW(diy->asFloat(QStringLiteral("DIY_NM")), db::DbError);
}

TEST_F(CatalogueTest, EventsRunInOrderAndAutoNumbersComeBack)
{
    const int l4 = addChain(QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d"));
    auto hw = std::make_unique<db::Dataset>(QStringLiteral("ADOQueryHW"), &connection);
    hw->setFixedFields(kHwFields);
    QStringList log;
    hw->afterInsert = [&](db::Dataset& ds) {
        log << QStringLiteral("afterInsert");
        ds.setValue(QStringLiteral("L4_ID"), l4);
    };
    hw->afterPost = [&](db::Dataset&) { log << QStringLiteral("afterPost"); };
    hw->beforeDelete = [&](db::Dataset& ds) { log << QStringLiteral("beforeDelete:") + ds.asString(QStringLiteral("HW_MC")); };
    hw->afterDelete = [&](db::Dataset& ds) { log << QStringLiteral("afterDelete:%1").arg(ds.recordCount()); };
    db::openStatement(*hw, st::itemsUnderL4Named(QStringLiteral("d")));

    hw->append();
    EXPECT_EQ(hw->state(), db::Dataset::State::Insert);
    EXPECT_EQ(hw->asInteger(QStringLiteral("L4_ID")), l4); // shown before anything is typed
    hw->setValue(QStringLiteral("HW_MC"), QStringLiteral("金士顿 FURY 32GB"));
    hw->setText(QStringLiteral("HW_JG"), QStringLiteral("599.5"));
    const QDateTime before = QDateTime::currentDateTime().addSecs(-2);
    hw->post();
    const int firstId = hw->asInteger(QStringLiteral("HW_ID"));
    EXPECT_GT(firstId, 0);
    // The update date is the time of the insert when none was given.
    const QDateTime stamped = hw->value(QStringLiteral("HW_RQ")).toDateTime();
    EXPECT_TRUE(stamped.isValid());
    EXPECT_GE(stamped, before);

    hw->append();
    hw->setValue(QStringLiteral("HW_MC"), QStringLiteral("second"));
    hw->post();
    EXPECT_EQ(hw->asInteger(QStringLiteral("HW_ID")), firstId + 1);

    hw->first();
    hw->remove();
    EXPECT_EQ(log, QStringList({"afterInsert", "afterPost", "afterInsert", "afterPost", "beforeDelete:金士顿 FURY 32GB", "afterDelete:1"}));

    // A before-delete handler that fails keeps the row.
    hw->beforeDelete = [](db::Dataset&) { throw db::DbError(QStringLiteral("refused")); };
    EXPECT_THROW(hw->remove(), db::DbError);
    db::openStatement(*hw, st::itemsUnderL4Named(QStringLiteral("d")));
    ASSERT_EQ(hw->recordCount(), 1);
    EXPECT_EQ(hw->asString(QStringLiteral("HW_MC")), QStringLiteral("second"));
}

TEST_F(CatalogueTest, FailingAfterInsertLeavesTheNewRowPending)
{
    auto l1 = query(QStringLiteral("ADOQueryL1_L4"), st::allL1());
    l1->afterInsert = [](db::Dataset& ds) { ds.setValue(QStringLiteral("L2_ID"), 3); };
    EXPECT_DB_ERROR(l1->append(), "ADOQueryL1_L4: 找不到字段“L2_ID”：数据库文件可能不是本程序的目录文件。");
    EXPECT_EQ(l1->state(), db::Dataset::State::Insert);
    EXPECT_EQ(l1->recordCount(), 1);
    l1->cancel();
    EXPECT_EQ(l1->recordCount(), 0);
    EXPECT_EQ(l1->state(), db::Dataset::State::Browse);
}

TEST_F(CatalogueTest, EditsAreWrittenBackAndRefusedPostsKeepTheRow)
{
    addLine(QStringLiteral("1"), QStringLiteral("配置单"), 10);
    auto diy = query(QStringLiteral("ADOQueryDIY"), st::linesOfNumber(QStringLiteral("1")));
    diy->edit();
    diy->setValue(QStringLiteral("DIY_SL"), 3);
    diy->setValue(QStringLiteral("DIY_CASH"), 30.25);
    diy->post();

    diy->edit();
    diy->setValue(QStringLiteral("L2_NM"), QString(51, QLatin1Char('x')));
    EXPECT_THROW(diy->post(), db::DbError);
    EXPECT_EQ(diy->state(), db::Dataset::State::Edit); // nothing lost: still editable
    diy->cancel();

    auto again = query(QStringLiteral("check"), st::linesOfNumber(QStringLiteral("1")));
    EXPECT_EQ(again->asInteger(QStringLiteral("DIY_SL")), 3);
    EXPECT_DOUBLE_EQ(again->asFloat(QStringLiteral("DIY_CASH")), 30.25);
    EXPECT_TRUE(again->isNull(QStringLiteral("L2_NM")));
}

TEST_F(CatalogueTest, ASecondCopysChangeIsNotOverwrittenSilently)
{
    addLine(QStringLiteral("1"), QStringLiteral("配置单"), 10);
    auto mine = query(QStringLiteral("ADOQueryDIY"), st::linesOfNumber(QStringLiteral("1")));
    db::Connection other;
    other.setConnectionString(connection.connectionString());
    other.open();
    other.execute(QStringLiteral("update DIY set DIY_JG = 99"));
    mine->edit();
    mine->setValue(QStringLiteral("DIY_JG"), 12.0);
    EXPECT_THROW(mine->post(), db::DbError);
    mine->cancel();
    mine->refresh();
    EXPECT_DOUBLE_EQ(mine->asFloat(QStringLiteral("DIY_JG")), 99.0);
}

TEST_F(CatalogueTest, MovingPostsAChangedRowAndDropsAnUntouchedNewOne)
{
    addLine(QStringLiteral("1"), QStringLiteral("a"), 1);
    addLine(QStringLiteral("1"), QStringLiteral("a"), 2);
    auto diy = query(QStringLiteral("ADOQueryDIY"), st::linesOfNumber(QStringLiteral("1")));
    QSignalSpy moved(diy.get(), &db::Dataset::currentChanged);
    diy->last();
    EXPECT_TRUE(diy->eof());
    diy->append();
    EXPECT_EQ(diy->recordCount(), 3);
    diy->prior(); // nothing typed: the new row goes away
    EXPECT_EQ(diy->recordCount(), 2);
    EXPECT_EQ(diy->state(), db::Dataset::State::Browse);

    diy->first();
    diy->edit();
    diy->setValue(QStringLiteral("HW_MS"), QStringLiteral("moved on"));
    diy->next(); // posted on the way
    EXPECT_FALSE(moved.isEmpty());
    auto check = query(QStringLiteral("check"), QStringLiteral("select count(*) as N from DIY where HW_MS='moved on'"));
    EXPECT_EQ(check->asInteger(QStringLiteral("N")), 1);

    diy->next();
    EXPECT_TRUE(diy->eof());
    EXPECT_EQ(diy->currentRow(), 1);
    diy->first();
    EXPECT_TRUE(diy->bof());
    diy->prior();
    EXPECT_TRUE(diy->bof());
    EXPECT_EQ(diy->currentRow(), 0);
}

TEST_F(CatalogueTest, ClosingOrRerunningPostsThePendingRowAndAFailedPostStopsIt)
{
    addLine(QStringLiteral("1"), QStringLiteral("a"), 1);
    auto diy = query(QStringLiteral("ADOQueryDIY"), st::linesOfNumber(QStringLiteral("1")));
    auto storedNames = [&] {
        auto check = query(QStringLiteral("check"), QStringLiteral("select HW_MS from DIY order by DIY_SYS_ID"));
        QStringList names;
        for (int row = 0; row < check->recordCount(); ++row)
            names << check->valueAt(row, 0).toString();
        return names.join(QLatin1Char('|'));
    };

    // An edit is posted by a close, a new row by a re-run; an untouched new row is dropped.
    diy->edit();
    diy->setValue(QStringLiteral("HW_MS"), QStringLiteral("edited"));
    diy->close();
    EXPECT_FALSE(diy->active());
    db::openStatement(*diy, st::linesOfNumber(QStringLiteral("1")));
    diy->append();
    diy->setValue(QStringLiteral("DIY_ID"), QStringLiteral("1"));
    diy->setValue(QStringLiteral("HW_MS"), QStringLiteral("inserted"));
    db::openStatement(*diy, st::linesOfNumber(QStringLiteral("1")));
    EXPECT_EQ(diy->recordCount(), 2);
    diy->append();
    diy->refresh();
    EXPECT_EQ(diy->recordCount(), 2);
    EXPECT_EQ(storedNames(), QStringLiteral("edited|inserted"));

    // A post the file refuses: the close fails, naming the query and the cause, and the
    // dataset stays open on the row with the value it was given.
    diy->first();
    diy->edit();
    diy->setValue(QStringLiteral("L2_NM"), QString(51, QLatin1Char('x')));
    try {
        diy->close();
        ADD_FAILURE() << "the close went on";
    } catch (const db::UnsavedEditError& e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("ADOQueryDIY"))) << e.text().toStdString();
        EXPECT_TRUE(e.text().contains(QStringLiteral("L2_NM"))) << e.text().toStdString();
    }
    EXPECT_THROW(db::openStatement(*diy, st::linesOfNumber(QStringLiteral("2"))), db::UnsavedEditError);
    EXPECT_EQ(diy->state(), db::Dataset::State::Edit);
    EXPECT_EQ(diy->value(QStringLiteral("L2_NM")).toString(), QString(51, QLatin1Char('x')));
    EXPECT_EQ(diy->sqlText(), st::linesOfNumber(QStringLiteral("1")));
    // Cancel still discards, and the close then goes through.
    diy->cancel();
    diy->close();
    EXPECT_FALSE(diy->active());
    EXPECT_EQ(storedNames(), QStringLiteral("edited|inserted"));
}

TEST_F(CatalogueTest, InsertGoesBeforeTheCurrentRowAndRefreshKeepsThePlace)
{
    addLine(QStringLiteral("1"), QStringLiteral("a"), 1);
    addLine(QStringLiteral("1"), QStringLiteral("b"), 2);
    auto diy = query(QStringLiteral("ADOQueryDIY"), st::linesOfNumber(QStringLiteral("1")));
    diy->last();
    diy->insert();
    EXPECT_EQ(diy->currentRow(), 1);
    diy->setValue(QStringLiteral("DIY_ID"), QStringLiteral("1"));
    diy->setValue(QStringLiteral("DIY_NM"), QStringLiteral("c"));
    diy->post();
    EXPECT_EQ(diy->displayTextAt(1, diy->fieldIndex(QStringLiteral("DIY_NM"))), QStringLiteral("c"));
    EXPECT_EQ(diy->displayTextAt(2, diy->fieldIndex(QStringLiteral("DIY_NM"))), QStringLiteral("b"));
    const int key = diy->asInteger(QStringLiteral("DIY_SYS_ID"));
    diy->refresh();
    EXPECT_EQ(diy->asInteger(QStringLiteral("DIY_SYS_ID")), key);
    EXPECT_EQ(diy->recordCount(), 3);
}

TEST_F(CatalogueTest, ValuesKeepTheirTypesAndDisplayForms)
{
    connection.execute(QStringLiteral("insert into HW (L4_ID, HW_MC, HW_JG, HW_CS, HW_TP, HW_RQ) values "
                                      "(1, 'x', 1234.5, 'long text', x'FFD8FF', '2026-03-01 00:00:00')"));
    auto hw = query(QStringLiteral("ADOQueryHW"), QStringLiteral("select * from HW"));
    EXPECT_EQ(hw->value(QStringLiteral("HW_JG")).typeId(), QMetaType::Double);
    EXPECT_EQ(hw->displayText(QStringLiteral("HW_JG")), QStringLiteral("1234.5"));
    EXPECT_EQ(hw->value(QStringLiteral("HW_TP")).toByteArray(), QByteArray("\xFF\xD8\xFF"));
    EXPECT_EQ(hw->value(QStringLiteral("HW_RQ")).toDateTime(), QDateTime(QDate(2026, 3, 1), QTime(0, 0)));
    EXPECT_EQ(hw->value(QStringLiteral("HW_CS")).toString(), QStringLiteral("long text"));
    EXPECT_EQ(db::fieldTypeWord(db::FieldType::Memo, false), QStringLiteral("(MEMO)"));
    EXPECT_EQ(db::fieldTypeWord(db::FieldType::Blob, true), QStringLiteral("(Blob)"));

    // A date typed as the grid shows one ("2025-11-30") is stored as a date, and read back equal.
    hw->edit();
    const QDate day(2025, 11, 30);
    hw->setText(QStringLiteral("HW_RQ"), platform::shortDate(day));
    hw->post();
    EXPECT_EQ(hw->value(QStringLiteral("HW_RQ")).toDateTime().date(), day);
    EXPECT_DB_ERROR(hw->edit(); hw->setText(QStringLiteral("HW_RQ"), QStringLiteral("yesterday")),
                    "ADOQueryHW: “yesterday”不是日期时间，请按“年-月-日 时:分:秒”填写，例如 2024-05-01 09:30:00。");
}
