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
// The user guide shipped with the program, relative to the program's folder: installed as
// PREFIX/bin/qmxdiy and PREFIX/share/qmxdiy/guide/, and laid out the same in the build
// folder. "帮助" and the web-site and author items open it.
inline QString userGuidePath() { return QStringLiteral("../share/qmxdiy/guide/index.html"); }

} // namespace app
