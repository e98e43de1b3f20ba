#pragma once
// The category tree of the tree benchmarks: 10 + 100 + 1,000 + 8,890 = 10,000 categories over
// four levels, and `items` items in the first level-4 category ("品类 1").
#include "db/connection.h"
#include <QString>

namespace bench_support {

inline constexpr int kTreeL1 = 10, kTreeL2PerL1 = 10, kTreeL3PerL2 = 10, kTreeL4 = 8890;

inline void fillCategoryTree(db::Connection& c, int items)
{
    c.execute(QStringLiteral("BEGIN"));
    auto series = [&](const QString& body, int count) {
        c.execute(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) %2")
                      .arg(count)
                      .arg(body));
    };
    series(QStringLiteral("INSERT INTO L1 (L1_ID, L1_NM) SELECT i, '大类 ' || i FROM n"), kTreeL1);
    series(QStringLiteral("INSERT INTO L2 (L2_ID, L1_ID, L2_NM) SELECT i, (i - 1) / %1 + 1, '中类 ' || i FROM n")
               .arg(kTreeL2PerL1),
           kTreeL1 * kTreeL2PerL1);
    series(QStringLiteral("INSERT INTO L3 (L3_ID, L2_ID, L3_NM) SELECT i, (i - 1) / %1 + 1, '小类 ' || i FROM n")
               .arg(kTreeL3PerL2),
           kTreeL1 * kTreeL2PerL1 * kTreeL3PerL2);
    // Spread the level-4 rows over the level-3 rows (8 or 9 each).
    series(QStringLiteral("INSERT INTO L4 (L4_ID, L3_ID, L4_NM) SELECT i, (i - 1) % %1 + 1, '品类 ' || i FROM n")
               .arg(kTreeL1 * kTreeL2PerL1 * kTreeL3PerL2),
           kTreeL4);
    series(QStringLiteral("INSERT INTO HW (L4_ID, HW_MC, HW_DW, HW_NF, HW_CS, HW_JG) "
                          "SELECT 1, '金士顿 FURY DDR5 6000 32GB #' || i, '条', 2025, '频率 6000MHz；时序 CL30 ' || i, "
                          "599.5 + i % 100 FROM n"),
           items);
    c.execute(QStringLiteral("COMMIT"));
}

} // namespace bench_support
