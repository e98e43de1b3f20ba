#include "report/layout/reference_device.h"

#include "platform/font_table.h"

#include <QFontInfo>
#include <QStringList>

#include <cmath>

namespace report {

WidthTable::WidthTable(const QFont& font) : metrics_(font) {}

WidthTable::Page* WidthTable::newPage(int index)
{
    pages_[index] = std::make_unique<Page>();
    pages_[index]->fill(-1);
    return pages_[index].get();
}

int WidthTable::measure(char16_t c) const
{
    // The low half of a pair is measured with its high half.
    if (c >= 0xDC00 && c < 0xE000)
        return 0;
    return int(std::lround(metrics_.horizontalAdvance(QChar(c))));
}

int WidthTable::widthOfPair(char16_t high, char16_t low)
{
    const QChar pair[2] = {QChar(high), QChar(low)};
    return int(std::lround(metrics_.horizontalAdvance(QString(pair, 2))));
}

ReferenceDevice::ReferenceDevice()
{
    // Template font names must resolve to the same installed fonts everywhere.
    platform::installFontTable();
}

ReferenceDevice& ReferenceDevice::instance()
{
    // Never destroyed: its fonts must not outlive the application object.
    static ReferenceDevice* device = new ReferenceDevice;
    return *device;
}

QFont ReferenceDevice::makeFont(const QString& family, int pixelHeight, bool bold, bool italic)
{
    QFont f(family);
    f.setPixelSize(std::max(1, pixelHeight));
    f.setBold(bold);
    f.setItalic(italic);
    // Unhinted advances are the font's own; hinting would make them depend on the rasteriser
    // settings of the platform plugin. Characters are placed one by one, so no kerning.
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setKerning(false);
    return f;
}

QString ReferenceDevice::sharedFamily(const QString& family)
{
    constexpr std::size_t kNamesKept = 4096; // names only: past this they are looked up again
    if (const auto known = sharedByName_.find(family); known != sharedByName_.end())
        return known->second;
    if (sharedByName_.size() >= kNamesKept)
        sharedByName_.clear();
    const QFontInfo resolved(makeFont(family, 100, false, false));
    const QString key = resolved.family() + QChar(0) + resolved.styleName() + QChar(0)
                        + QString::number(resolved.weight()) + QChar(0) + QFont::substitutes(family).join(QChar(0));
    const QString& shared = sharedByResolved_.try_emplace(key, family).first->second;
    return sharedByName_.emplace(family, shared).first->second;
}

WidthTable& ReferenceDevice::table(const QString& family, int pixelHeight, bool bold, bool italic)
{
    Key key{sharedFamily(family), pixelHeight, bold, italic};
    auto it = tables_.find(key);
    if (it == tables_.end())
        it = tables_.emplace(key, std::make_unique<WidthTable>(makeFont(family, pixelHeight, bold, italic))).first;
    return *it->second;
}

} // namespace report
