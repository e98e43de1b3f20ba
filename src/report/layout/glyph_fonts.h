#pragma once

// The fonts glyphs are drawn from: a run's font and, for characters it lacks, the fonts
// the font table names after it, as the reference device measures them. Text and rich-text
// objects draw their characters at the positions of their layout as runs of these glyphs,
// which costs far less than drawing character by character (bench/pdf_export_bench).

#include <QRawFont>
#include <QString>

#include <map>
#include <memory>
#include <tuple>
#include <vector>

namespace report {

struct GlyphRef {
    const QRawFont* font = nullptr;
    quint32 index = 0;
};

class GlyphFonts {
public:
    // The fonts of a family at a pixel height. They are kept (making a raw font costs more
    // than drawing a heading, bench/rich_text_bench), a bounded number of them: those handed
    // out stay valid until the event loop next runs.
    static GlyphFonts& of(const QString& family, double pixelHeight, bool bold, bool italic);
    // How often kept fonts have been destroyed: whatever is kept by a font's address must
    // be dropped when this changes.
    static quint64 retiredSets();

    // The glyph of a character (a surrogate pair as two), from the first font that has it.
    GlyphRef glyph(const QChar* chars, int count) const;

private:
    GlyphFonts(const QString& family, double pixelHeight, bool bold, bool italic);
    std::vector<QRawFont> fonts_;
};

} // namespace report
