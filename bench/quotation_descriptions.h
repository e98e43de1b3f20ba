#pragma once

// Quotation line descriptions of about 60 mixed Chinese and Latin characters, as the text
// benchmarks lay them out, and the offscreen platform they run on.

#include <QString>
#include <vector>

inline std::vector<QString> quotationDescriptions(int count)
{
    const char* const brands[] = {"金士顿", "英特尔", "华硕", "技嘉", "三星", "西部数据", "海盗船", "七彩虹"};
    const char* const kinds[] = {"台式机内存条", "酷睿处理器", "游戏主板", "固态硬盘", "机械硬盘", "独立显卡"};
    const char* const details[] = {"频率6000MHz 时序CL30", "盒装 散热器 三年质保", "PCIe 4.0 读取7000MB/s",
                                   "ATX 大板 双M.2接口", "12GB GDDR6X 三风扇"};
    std::vector<QString> texts;
    texts.reserve(count);
    for (int i = 0; i < count; ++i) {
        QString t = QString::fromUtf8(brands[i % 8]) + QStringLiteral(" FURY DDR5 %1GB ").arg(8 << (i % 4))
                    + QString::fromUtf8(kinds[i % 6]) + QLatin1Char(' ') + QString::fromUtf8(details[i % 5])
                    + QStringLiteral(" 型号QMX-%1 RGB 正品行货").arg(100000 + i);
        texts.push_back(t);
    }
    return texts;
}

// Fonts need a GUI application object; benchmarks never show a window.
inline void useOffscreenPlatform()
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}
