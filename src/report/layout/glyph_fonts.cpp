#include "report/layout/glyph_fonts.h"

#include "report/layout/reference_device.h"

#include <QCoreApplication>
#include <QFont>
#include <QTimer>
#include <QStringList>

namespace report {

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

namespace {

// Fonts of this many sizes and styles are kept; a document naming more (hostile text may
// name thousands of sizes, each holding font engines and their glyph images) starts the
// store again. Fonts handed out stay valid until the event loop runs, which is after the
// drawing that asked for them.
constexpr std::size_t kFontsKept = 256;

using Key = std::tuple<QString, double, bool, bool>;
using Store = std::map<Key, std::unique_ptr<GlyphFonts>>;

quint64 retirements = 0;

// Never destroyed: raw fonts must not outlive the application object.
Store& store()
{
    static auto* fonts = new Store;
    return *fonts;
}

void retire(Store& fonts)
{
    static auto* retired = new std::vector<std::unique_ptr<GlyphFonts>>;
    for (auto& [key, font] : fonts)
        retired->push_back(std::move(font));
    fonts.clear();
    static bool pending = false;
    if (pending || !QCoreApplication::instance())
        return; // without an event loop they are kept
    pending = true;
    QTimer::singleShot(0, QCoreApplication::instance(), [] {
        retired->clear();
        ++retirements;
        pending = false;
    });
}

} // namespace

GlyphFonts& GlyphFonts::of(const QString& family, double pixelHeight, bool bold, bool italic)
{
    Store& fonts = store();
    Key key{ReferenceDevice::instance().sharedFamily(family), pixelHeight, bold, italic};
    auto it = fonts.find(key);
    if (it == fonts.end()) {
        if (fonts.size() >= kFontsKept)
            retire(fonts);
        it = fonts.emplace(key, std::unique_ptr<GlyphFonts>(new GlyphFonts(std::get<0>(key), pixelHeight, bold, italic)))
                 .first;
    }
    return *it->second;
}

quint64 GlyphFonts::retiredSets() { return retirements; }

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

} // namespace report
