#include "report/rich/detail/glyph_fonts.h"

#include "report/layout/detail/reference_device.h"

#include <QFont>

namespace report::rich::detail {

GlyphFonts::GlyphFonts(const QString& family, int pixelHeight, bool bold, bool italic)
{
    using report::detail::ReferenceDevice;
    ReferenceDevice::instance(); // installs the font table
    fonts_.push_back(QRawFont::fromFont(ReferenceDevice::makeFont(family, pixelHeight, bold, italic)));
    for (const QString& substitute : QFont::substitutes(family)) {
        QRawFont f = QRawFont::fromFont(ReferenceDevice::makeFont(substitute, pixelHeight, bold, italic));
        if (f.isValid())
            fonts_.push_back(std::move(f));
    }
    for (const QString& substitute : QFont::substitutes(fonts_.front().familyName())) {
        QRawFont f = QRawFont::fromFont(ReferenceDevice::makeFont(substitute, pixelHeight, bold, italic));
        if (f.isValid())
            fonts_.push_back(std::move(f));
    }
}

GlyphFonts& GlyphFonts::of(const QString& family, int pixelHeight, bool bold, bool italic)
{
    using Key = std::tuple<QString, int, bool, bool>;
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

} // namespace report::rich::detail
