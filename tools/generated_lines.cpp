#include "generated_lines.h"

namespace {

const char* const kFields[] = {"DIY_ID", "DIY_NM", "HW_ID", "L2_ID", "HW_MS", "DIY_SL",
                               "DIY_JG", "DIY_CASH", "L2_NM", "DIY_SYS_ID"};
constexpr int kFieldCount = 10;

} // namespace

std::vector<GeneratedLine> generateLines(int count)
{
    static const char* const categories[8] = {"处理器 CPU", "主板 Board", "内存 RAM", "固态硬盘 SSD",
                                              "显卡 GPU", "电源 PSU", "机箱 Case", "散热器 Cooler"};
    static const char* const descriptions[8] = {
        "英特尔 Core i7-13700K 处理器 16核24线程 睿频5.4GHz 盒装 LGA1700 接口",
        "华硕 TUF GAMING B760M-PLUS WIFI D4 主板 支持DDR4 双M.2 接口",
        "金士顿 FURY Beast DDR5 6000MHz 32GB(16G×2) 套装 台式机内存条",
        "三星 990 PRO 2TB NVMe M.2 固态硬盘 PCIe 4.0 读速7450MB/s",
        "七彩虹 iGame GeForce RTX 4070 Ti Ultra W OC 12GB 白色三风扇显卡",
        "海韵 FOCUS GX-850 金牌全模组电源 850W 十年质保 ATX3.0 原生12VHPWR接口",
        "联力 LANCOOL 216 中塔机箱 黑色 钢化玻璃侧透 支持360水冷 配两把16cm风扇",
        "利民 PA120 SE 双塔风冷散热器 6热管 AGHP 附带双风扇 ARGB 兼容LGA1700"};
    static const int base[8] = {2899, 1299, 799, 1399, 5999, 899, 499, 199};
    // The eight texts decoded once; the lines share them.
    QString categoryTexts[8], descriptionTexts[8];
    for (int k = 0; k < 8; ++k) {
        categoryTexts[k] = QString::fromUtf8(categories[k]);
        descriptionTexts[k] = QString::fromUtf8(descriptions[k]) + QStringLiteral(" #");
    }
    std::vector<GeneratedLine> lines;
    lines.reserve(std::size_t(std::max(count, 0)));
    for (int i = 0; i < count; ++i) {
        GeneratedLine line;
        line.category = categoryTexts[i % 8];
        line.description = descriptionTexts[i % 8] + QString::number(i + 1).rightJustified(5, u'0');
        line.quantity = 1 + (i * 7) % 5;
        line.unitPrice = base[i % 8] + (i * 37) % 200;
        line.amount = qint64(line.quantity) * line.unitPrice;
        lines.push_back(line);
    }
    return lines;
}

GeneratedLinesDataSet::GeneratedLinesDataSet(int count) : lines_(generateLines(count))
{
    for (const char* f : kFields)
        Fields << QString::fromLatin1(f);
    RangeEnd = report::TfrxRangeEnd::reCount;
    RangeEndCount = int(lines_.size());
}

int GeneratedLinesDataSet::fieldIndex(const QString& field) const
{
    // Templates name fields as they are spelt, and comparing exactly is far cheaper (two
    // QStrings of different lengths differ without a look at their characters).
    for (int i = 0; i < kFieldCount; ++i)
        if (field == Fields[i])
            return i;
    for (int i = 0; i < kFieldCount; ++i)
        if (field.compare(QLatin1StringView(kFields[i]), Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QVariant GeneratedLinesDataSet::GetValue(const QString& field)
{
    if (RecNo < 0 || RecNo >= int(lines_.size()))
        return {};
    const GeneratedLine& line = lines_[std::size_t(RecNo)];
    switch (fieldIndex(field)) {
    case 0: return QStringLiteral("Q00001");
    case 1: return QStringLiteral("装机配置单");
    case 2: return 1000 + RecNo % 8;
    case 3: return 1 + RecNo % 8;
    case 4: return line.description;
    case 5: return line.quantity;
    case 6: return line.unitPrice;
    case 7: return line.amount;
    case 8: return line.category;
    case 9: return RecNo + 1;
    default: return {};
    }
}

QString GeneratedLinesDataSet::GetDisplayText(const QString& field)
{
    return GetValue(field).toString();
}

report::TfrxFieldType GeneratedLinesDataSet::GetFieldType(const QString& field)
{
    const int i = fieldIndex(field);
    return i == 0 || i == 1 || i == 4 || i == 8 ? report::TfrxFieldType::fftString : report::TfrxFieldType::fftNumeric;
}
