#pragma once

// The text layout engine of text objects: breaks a text into output lines for a rectangle,
// applies the HTML subset, measures, splits at a height and draws on screen and printer
// canvases. Measuring happens once, on the 600 dpi reference device, so every device breaks
// lines at the same places.
//
// A layout object serves one user at a time: Lock() before setting it up, Unlock() after the
// last result was read (or use TfrxDrawTextLock). Use it from the thread that runs reports.

#include "report/layout/html_tags.h"

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QString>
#include <functional>
#include <memory>

class QPainter;

namespace report {

enum class TextHAlign { haLeft, haRight, haCenter, haBlock };
enum class TextVAlign { vaTop, vaBottom, vaCenter };

struct TfrxTextSplit {
    int KeptLines = 0;   // output lines that fit
    QString Remainder;   // the whole text from the first line that does not fit; empty if all fit
    double FreeHeight = 0; // report units left below the kept lines
    bool Cut = false;    // some lines did not fit
    TfrxHTMLTag CutStyle; // style of the first character that did not fit (when Cut)
};

namespace detail {
struct LayoutState;
}

class TfrxDrawText {
public:
    TfrxDrawText();
    ~TfrxDrawText();
    TfrxDrawText(const TfrxDrawText&) = delete;
    TfrxDrawText& operator=(const TfrxDrawText&) = delete;

    // The layout object of text objects that belong to no report.
    static TfrxDrawText& global();

    // Busy flag: Lock() processes pending events while another user holds the object, then
    // takes it.
    void Lock();
    bool TryLock();
    void Unlock();
    bool IsBusy() const;

    // Settings; each takes effect at the next SetText().
    void SetFont(const QFont& font, const QColor& color = QColor(Qt::black));
    void SetOptions(bool wordWrap, bool htmlTags, int rotation, bool wysiwyg, bool clipped, bool wordBreak,
                    bool rtlReading);
    // All three in report units.
    void SetGaps(double paragraphGap, double charSpacing, double lineSpacing);
    // `layoutRect`: the text area in report units at scale 1. `deviceRect`: the same area on
    // the canvas in device pixels, drawn into and clipped to. `printScale` enlarges printer
    // fonts (1 = as designed).
    void SetDimensions(double scaleX, double scaleY, double printScale, const QRectF& deviceRect,
                       const QRectF& layoutRect);

    // Lays out a text whose paragraphs are separated by CR LF, LF or CR. As in a list of
    // lines, an empty text has no paragraph and a break at its very end starts none.
    void SetText(const QString& text);

    int LineCount() const;
    QString Line(int index) const; // with its hyphen, without tags
    bool IsParagraphStart(int index) const;
    bool IsParagraphEnd(int index) const;
    TfrxHTMLTags LineTags(int index) const; // one per character of Line(index)
    TfrxHTMLTagsList HTMLTags() const;
    QString WholeText() const; // as given to SetText

    int FontHeight() const;    // reference pixels
    double LineHeight() const; // report units
    double TextHeight() const;
    double TextWidth() const;

    // The lines that fit into `height` report units and what is left over.
    TfrxTextSplit Split(double height) const;

    // Draws the laid-out lines into the device rectangle. The canvas's pen may be left
    // with the text's colour; painters set the pen they stroke with.
    void DrawText(QPainter* canvas, TextHAlign hAlign, TextVAlign vAlign) const;

    // Told of every output line DrawText draws, in drawing order, with the line's text and
    // its rectangle on the canvas's device; the preview's find walks the runs of a page
    // this way. Empty normally.
    std::function<void(const QString& text, const QRectF& deviceRect)> OnLineDrawn;

private:
    std::unique_ptr<detail::LayoutState> d_;
};

// Holds a layout object's busy flag for a scope.
class TfrxDrawTextLock {
public:
    explicit TfrxDrawTextLock(TfrxDrawText& drawText) : drawText_(drawText) { drawText_.Lock(); }
    ~TfrxDrawTextLock() { drawText_.Unlock(); }
    TfrxDrawTextLock(const TfrxDrawTextLock&) = delete;
    TfrxDrawTextLock& operator=(const TfrxDrawTextLock&) = delete;

private:
    TfrxDrawText& drawText_;
};

} // namespace report
