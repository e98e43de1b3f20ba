#pragma once

// Drawing runs of glyphs. On a raster canvas (the preview's widgets, page pictures) the
// glyphs are composed from coverage masks kept for the process into one picture per run,
// which the canvas blends in a single call: the platform's per-glyph, per-pixel text
// blending costs about three times as much (bench/rich_text_bench). Other canvases (PDF,
// printers) and transformed painters get the painter's own glyph runs, so their text stays
// text.

#include <QList>
#include <QPointF>

class QChar;
class QColor;
class QFont;
class QPainter;
class QRawFont;

namespace report {

// Draws glyphs of `font` in `color`, each with its baseline origin at its position in the
// canvas's logical coordinates. The font must be one of GlyphFonts': its masks are kept by
// its address until GlyphFonts destroys it.
void drawGlyphs(QPainter& canvas, const QRawFont& font, const QColor& color, const QList<quint32>& indexes,
                const QList<QPointF>& positions);

// One character (a surrogate pair as two) drawn alone with its baseline origin at `at`: for
// characters none of the table's fonts has (楷体 or 等线 text, say, where only their names
// are installed), so that the platform's own fallback still finds a glyph instead of a box.
void drawCharacterAlone(QPainter& canvas, const QFont& font, const QColor& color, QPointF at, const QChar* chars,
                        int count);

} // namespace report
