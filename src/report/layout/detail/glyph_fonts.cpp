#include "report/layout/detail/glyph_fonts.h"

#include "report/layout/detail/reference_device.h"

#include <QFont>
#include <QStringList>

namespace report::detail {

GlyphFonts::GlyphFonts(const QString& family, double pixelHeight, bool bold, bool italic)
{
    ReferenceDevice::instance(); // installs the font table
    const auto add = [&](const QString& name) {
        QRawFont f = QRawFont::fromFont(ReferenceDevice::makeFont(name, 100, bold, italic));
        if (f.isValid()) {
            f.setPixelSize(pixelHeight);
            fonts_.push_back(std::move(f));
        }
    };
    add(family);
    if (fonts_.empty())
        fonts_.emplace_back();
    const QStringList chain = QFont::substitutes(family) + QFont::substitutes(fonts_.front().familyName());
    for (const QString& substitute : chain)
        add(substitute);
}

GlyphFonts& GlyphFonts::of(const QString& family, double pixelHeight, bool bold, bool italic)
{
    using Key = std::tuple<QString, double, bool, bool>;
    // Never destroyed: raw fonts must not outlive the application object.
    static auto* cache = new std::map<Key, std::unique_ptr<GlyphFonts>>;
    Key key{family, pixelHeight, bold, italic};
    auto it = cache->find(key);
    if (it == cache->end())
        it = cache->emplace(key, std::unique_ptr<GlyphFonts>(new GlyphFonts(family, pixelHeight, bold, italic))).first;
    return *it->second;
}

GlyphRef GlyphFonts::glyph(const QChar* chars, int count) const
{
    for (const QRawFont& f : fonts_) {
        quint32 index = 0;
        int glyphs = 1;
        if (f.isValid() && f.glyphIndexesForChars(chars, count, &index, &glyphs) && glyphs == 1 && index != 0)
            return {&f, index};
    }
    return {&fonts_.front(), 0};
}

} // namespace report::detail
