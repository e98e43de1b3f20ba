// Result sets larger than the storage chunks of a dataset, values larger than a chunk, and
// how empty and null texts are written.
#include "db_fixture.h"

TEST_F(CatalogueTest, LargeResultsAndValuesLargerThanAStorageChunkReadBackIntact)
{
    constexpr int kRows = 20000;
    // Names, prices, and specifications that are null, empty or up to 499 characters long.
#ifdef QMX_TEST_ON_SERVER
    connection.execute(QStringLiteral(
        "INSERT INTO HW (L4_ID, HW_MC, HW_JG, HW_CS) SELECT i, '货物 ' || i, i + 0.5, "
        "CASE i % 3 WHEN 0 THEN NULL WHEN 1 THEN '' ELSE repeat('x', i % 500) END FROM generate_series(1, %1) AS n(i)")
                           .arg(kRows));
#else
    connection.execute(QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
        "INSERT INTO HW (L4_ID, HW_MC, HW_JG, HW_CS) SELECT i, '货物 ' || i, i + 0.5, "
        "CASE i % 3 WHEN 0 THEN NULL WHEN 1 THEN '' ELSE replace(hex(zeroblob(i % 500)), '00', 'x') END FROM n")
                           .arg(kRows));
#endif
    QByteArray picture(3 * 1024 * 1024 + 7, Qt::Uninitialized);
    for (qsizetype i = 0; i < picture.size(); ++i)
        picture[i] = char(i * 7 % 251);
    const int pictureRow = kRows / 2;
    {
        auto hw = query(QStringLiteral("ADOQueryHW"), QStringLiteral("select * from HW"));
        hw->setCurrentRow(pictureRow);
        hw->edit();
        hw->setValue(QStringLiteral("HW_TP"), picture);
        hw->post();
        EXPECT_EQ(hw->value(QStringLiteral("HW_TP")).toByteArray(), picture); // the row as read back after the post
    }

    auto hw = query(QStringLiteral("ADOQueryHW"), QStringLiteral("select * from HW"));
    ASSERT_EQ(hw->recordCount(), kRows);
    const int name = hw->fieldIndex(QStringLiteral("HW_MC"));
    const int price = hw->fieldIndex(QStringLiteral("HW_JG"));
    const int specs = hw->fieldIndex(QStringLiteral("HW_CS"));
    const int tp = hw->fieldIndex(QStringLiteral("HW_TP"));
    int wrong = 0;
    for (int row = 0; row < kRows; ++row) {
        const int i = row + 1;
        const QVariant spec = hw->valueAt(row, specs);
        const bool specRight = i % 3 == 0 ? spec.isNull()
                                          : !spec.isNull() && spec.toString() == QString(i % 3 == 1 ? 0 : i % 500, u'x');
        if (hw->valueAt(row, name).toString() != QStringLiteral("货物 %1").arg(i)
            || hw->valueAt(row, price).toDouble() != i + 0.5 || !specRight
            || hw->valueAt(row, tp).isNull() != (row != pictureRow)) {
            if (++wrong <= 3)
                ADD_FAILURE() << "row " << row << " reads back wrong";
        }
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(hw->valueAt(pictureRow, tp).toByteArray(), picture);
}

TEST_F(CatalogueTest, AnEmptyTextIsWrittenAsEmptyTextAndOnlyNullAsNull)
{
    auto hw = query(QStringLiteral("ADOQueryHW"), QStringLiteral("select * from HW"));
    hw->append();
    hw->setValue(QStringLiteral("HW_MC"), QString());                 // an empty text
    hw->setValue(QStringLiteral("HW_DW"), QStringLiteral(""));        // the same, spelt otherwise
    hw->setValue(QStringLiteral("HW_CS"), QVariant());                 // null
    hw->post();
    auto check = query(QStringLiteral("q"), QStringLiteral("select HW_MC is null as A, HW_MC = '' as B, HW_DW = '' as C, "
                                                           "HW_CS is null as D from HW"));
    EXPECT_EQ(check->asInteger(QStringLiteral("A")), 0);
    EXPECT_EQ(check->asInteger(QStringLiteral("B")), 1);
    EXPECT_EQ(check->asInteger(QStringLiteral("C")), 1);
    EXPECT_EQ(check->asInteger(QStringLiteral("D")), 1);
}
