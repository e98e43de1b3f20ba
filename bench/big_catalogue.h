#pragma once
// A catalogue of 100,000 items as a shop's grows: ten level-1 categories of five, four and
// five levels below (1,000 level-4 categories of 100 items), names of brand, series, model
// and size, parameters of a few dozen characters, Chinese and Latin mixed.
#include "db/catalogue_file.h"
#include "db/connection.h"
#include <QString>
#include <QStringList>
#include <ctime>

namespace bench_support {

inline constexpr int kBigCatalogueItems = 100000;

// Processor time of this thread: the machine is shared, so the wall clock also counts waits
// for other programs.
inline double cpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

// Creates the catalogue file in the folder and answers the number of items.
inline int createBigCatalogue(const QString& folderWithSlash)
{
    const QString path = folderWithSlash + QLatin1String(db::kDatabaseFileName);
    db::createCatalogue(path, false);
    db::Connection c;
    c.setConnectionString(db::ConnectionString::build(folderWithSlash));
    c.open();
    const QStringList brands = {"金士顿", "芝奇", "海盗船", "威刚", "希捷", "西部数据", "三星", "华硕", "微星", "技嘉",
                                "英特尔", "AMD", "NVIDIA", "影驰", "七彩虹", "联想", "戴尔", "惠普", "罗技", "雷蛇"};
    const QStringList series = {"FURY", "Trident Z5", "Vengeance", "XPG", "酷鱼", "Blue", "990 PRO", "ROG", "MAG", "AORUS",
                                "Core i7", "Ryzen 7", "RTX 4070", "名人堂", "iGame", "拯救者", "XPS", "暗影精灵", "G502", "炼狱蝰蛇"};
    c.execute(QStringLiteral("BEGIN"));
    int l4 = 0;
    for (int a = 1; a <= 10; ++a) {
        c.execute(QStringLiteral("INSERT INTO L1 (L1_ID, L1_NM) VALUES (%1, '大类%1')").arg(a));
        for (int b = 1; b <= 5; ++b) {
            const int l2 = a * 10 + b;
            c.execute(QStringLiteral("INSERT INTO L2 (L2_ID, L1_ID, L2_NM) VALUES (%1, %2, '类别%1')").arg(l2).arg(a));
            for (int d = 1; d <= 4; ++d) {
                const int l3 = l2 * 10 + d;
                c.execute(QStringLiteral("INSERT INTO L3 (L3_ID, L2_ID, L3_NM) VALUES (%1, %2, '小类%1')").arg(l3).arg(l2));
                for (int e = 1; e <= 5; ++e)
                    c.execute(QStringLiteral("INSERT INTO L4 (L4_ID, L3_ID, L4_NM) VALUES (%1, %2, '细类%1')").arg(++l4).arg(l3));
            }
        }
    }
    // Item i: brand i % 20, series (i / 20) % 20, model and size from i.
    QString brandCase = QStringLiteral("CASE i % 20"), seriesCase = QStringLiteral("CASE (i / 20) % 20");
    for (int k = 0; k < 20; ++k) {
        brandCase += QStringLiteral(" WHEN %1 THEN '%2'").arg(k).arg(brands[k]);
        seriesCase += QStringLiteral(" WHEN %1 THEN '%2'").arg(k).arg(series[k]);
    }
    brandCase += QStringLiteral(" END");
    seriesCase += QStringLiteral(" END");
    c.execute(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                             "INSERT INTO HW (L4_ID, HW_MC, HW_DW, HW_NF, HW_CS, HW_JG, HW_URL) "
                             "SELECT 1 + i / 100, %2 || ' ' || %3 || ' ' || (1000 + i % 9000) || ' ' || (8 << (i % 4)) || 'GB', "
                             "'个', 2020 + i % 6, '型号 M' || i || '，频率 ' || (3200 + i % 3000) || 'MHz，三年质保，"
                             "全国联保，接口 PCIe ' || (3 + i % 3) || '.0', 99 + i % 5000 + 0.5, "
                             "'https://www.example.cn/item/' || i FROM n")
                  .arg(kBigCatalogueItems - 1)
                  .arg(brandCase, seriesCase));
    c.execute(QStringLiteral("COMMIT"));
    return kBigCatalogueItems;
}

// The big catalogue in the folder, created and opened.
inline void openBigCatalogue(db::Connection& connection, const QString& folderWithSlash)
{
    createBigCatalogue(folderWithSlash);
    connection.setConnectionString(db::ConnectionString::build(folderWithSlash));
    connection.open();
}

} // namespace bench_support
