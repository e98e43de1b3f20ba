#include "platform/font_table.h"
#include <QFont>
#include <QStringList>

namespace platform {

namespace {

struct FontMapping {
    const char16_t* name;
    const char16_t* replacement;
};

// Song-style (serif) CJK text goes to Noto Serif CJK, plain sans text to Liberation Sans,
// which has the same metrics as Arial; CJK characters in a Latin font fall back to Noto.
constexpr FontMapping kFontTable[] = {
    {u"宋体", u"Noto Serif CJK SC"},
    {u"SimSun", u"Noto Serif CJK SC"},
    {u"新宋体", u"Noto Serif CJK SC"},
    {u"NSimSun", u"Noto Serif CJK SC"},
    {u"黑体", u"Noto Sans CJK SC"},
    {u"SimHei", u"Noto Sans CJK SC"},
    {u"微软雅黑", u"Noto Sans CJK SC"},
    {u"Microsoft YaHei", u"Noto Sans CJK SC"},
    {u"Arial", u"Liberation Sans"},
    {u"Helvetica", u"Liberation Sans"},
    {u"Tahoma", u"Liberation Sans"},
    {u"MS Sans Serif", u"Liberation Sans"},
    {u"Times New Roman", u"Liberation Serif"},
    {u"Courier New", u"Liberation Mono"},
};

} // namespace

void installFontTable()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    for (const FontMapping& m : kFontTable) {
        const QString name = QString::fromUtf16(m.name);
        const QString replacement = QString::fromUtf16(m.replacement);
        const bool cjk = replacement.contains(QLatin1String("CJK"));
        QStringList chain{replacement};
        if (!cjk)
            chain << QStringLiteral("Noto Serif CJK SC");
        QFont::insertSubstitutions(name, chain);
    }
    for (const char* latin : {"Liberation Sans", "Liberation Serif", "Liberation Mono"})
        QFont::insertSubstitutions(QString::fromLatin1(latin), {QStringLiteral("Noto Serif CJK SC")});
}

} // namespace platform
