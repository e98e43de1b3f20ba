#pragma once
#include <QString>

namespace app {

// The product title, with the makers' credits, shown as the window caption and the
// application title.
inline QString productTitle()
{
    return QStringLiteral("QMX电脑装机写单DIY V1.0 —— 装机单开源小组 出品");
}

inline QString webSiteName() { return QStringLiteral("装机单开源小组网站"); }
inline QString authorName() { return QStringLiteral("装机单开源小组"); }
// The program's own help page, shipped beside the program file; the web-site and author
// items open it until the makers have a site of their own.
inline QString helpPageName() { return QStringLiteral("README.md"); }

} // namespace app
