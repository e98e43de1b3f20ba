#pragma once

// What a layout object keeps: its settings, the buffers reused from one layout to the next,
// and the result of the last layout.

#include "report/layout/reference_device.h"
#include "report/layout/draw_text.h"
#include "report/layout/html_tags.h"

#include <QRectF>
#include <QRgb>
#include <QString>
#include <functional>
#include <vector>

class QPainter;

namespace report::detail {

struct OutputLine {
    int start = 0;  // first character in the character buffer
    int length = 0; // characters from the buffer, without the hyphen
    int paragraph = 0;
    bool hyphen = false;
    bool paragraphStart = false;
    bool paragraphEnd = false;
    bool number = false; // a number kept whole: drawn whole even where wider than the area
};

struct Paragraph {
    int charStart = 0;   // in the character buffer
    int sourceStart = 0; // in the whole text
};

struct LayoutState {
    // Font
    QString family;
    int pointSize = 10;
    unsigned char baseStyle = 0; // TfrxFontStyleBit flags
    QRgb color = 0;
    int fontHeight = 83; // reference pixels
    WidthTable* widths[4] = {}; // by bold | italic << 1

    // Switches
    bool wordWrap = true;
    bool htmlTags = false;
    int rotation = 0;
    bool wysiwyg = true;
    bool clipped = true;
    bool wordBreak = false;
    bool rtlReading = false;

    // Spacing, report units
    double paragraphGap = 0;
    double charSpacing = 0;
    double lineSpacing = 2;

    // Rectangles and scales
    double scaleX = 1;
    double scaleY = 1;
    double printScale = 1;
    QRectF deviceRect;
    QRectF layoutRect;

    bool busy = false;

    // The last layout. Buffers keep their capacity between layouts.
    QString source;
    std::vector<char16_t> chars;
    std::vector<int> charWidths; // reference pixels, as used for breaking
    std::vector<TfrxHTMLTag> tags; // per character, with HTML tags only
    std::vector<Paragraph> paragraphs;
    std::vector<OutputLine> lines;

    void ensureWidthTables();
    WidthTable& tableFor(unsigned char style) { return *widths[(style & fsBold ? 1 : 0) | (style & fsItalic ? 2 : 0)]; }
    TfrxHTMLTag tagAt(int charIndex) const;
    int sourcePosition(const OutputLine& line) const;
    double lineHeight() const { return fontHeight / kReferencePerUnit + lineSpacing; }
    // Reference pixels of a line with the widths used for breaking, hyphen included.
    long long referenceWidth(const OutputLine& line);
    // The line's text with its hyphen.
    QString lineText(const OutputLine& line) const;
};

// onLine, when set, is told of each line drawn (its text and device rectangle).
void paintLayout(LayoutState& state, QPainter* canvas, TextHAlign hAlign, TextVAlign vAlign,
                 const std::function<void(const QString&, const QRectF&)>& onLine = {});

} // namespace report::detail
