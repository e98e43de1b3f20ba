#pragma once

// Shared helpers of the text layout tests: a layout object set up for one text, and the ink
// of a rendered image.

#include "report/layout/draw_text.h"

#include <QImage>
#include <QPainter>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace layout_test {

inline QString u8(const char* utf8) { return QString::fromUtf8(utf8); }

constexpr double kUnitsPerMm = 3.77953;

struct Settings {
    QString family = QStringLiteral("Arial");
    int points = 10;
    bool bold = false;
    double width = 1000;  // report units
    double height = 1000;
    bool wordWrap = true;
    bool html = false;
    bool wordBreak = false;
    bool wysiwyg = true;
    bool clipped = true;
    bool rtl = false;
    int rotation = 0;
    double paragraphGap = 0;
    double charSpacing = 0;
    double lineSpacing = 2;
    QColor color = Qt::black;
};

// Lays out `text` in a fresh layout object with the settings, at scale 1.
class Layout {
public:
    Layout(const Settings& s, const QString& text) { apply(s, text, 1.0); }

    void apply(const Settings& s, const QString& text, double scale, QPointF offset = {})
    {
        QFont font(s.family, s.points);
        font.setBold(s.bold);
        engine.SetFont(font, s.color);
        engine.SetOptions(s.wordWrap, s.html, s.rotation, s.wysiwyg, s.clipped, s.wordBreak, s.rtl);
        engine.SetGaps(s.paragraphGap, s.charSpacing, s.lineSpacing);
        const QRectF area(0, 0, s.width, s.height);
        engine.SetDimensions(scale, scale, 1.0,
                             QRectF(offset.x() + area.left() * scale, offset.y() + area.top() * scale,
                                    area.width() * scale, area.height() * scale),
                             area);
        engine.SetText(text);
    }

    QStringList lines() const
    {
        QStringList out;
        for (int i = 0; i < engine.LineCount(); ++i)
            out << engine.Line(i);
        return out;
    }

    // Draws onto a white image of the given size.
    QImage render(QSize size, report::TextHAlign h = report::TextHAlign::haLeft,
                  report::TextVAlign v = report::TextVAlign::vaTop) const
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter p(&image);
        engine.DrawText(&p, h, v);
        p.end();
        return image;
    }

    report::TfrxDrawText engine;
};

// The width of a text on one line, in report units, as the engine measures it.
inline double unboundedWidth(const Settings& base, const QString& text)
{
    Settings s = base;
    s.wordWrap = false;
    Layout l(s, text);
    return l.engine.TextWidth();
}

inline bool isInk(QRgb c) { return qGray(c) < 160; }

// Horizontal extent of the ink in a band of rows; {-1, -1} when the band is blank.
inline std::pair<int, int> inkColumns(const QImage& image, int top, int bottom)
{
    int left = -1, right = -1;
    for (int y = std::max(0, top); y < std::min(bottom, image.height()); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (isInk(row[x])) {
                if (left < 0 || x < left)
                    left = x;
                right = std::max(right, x);
            }
        }
    }
    return {left, right};
}

inline QRect inkRect(const QImage& image, auto&& accept)
{
    QRect r;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (accept(image.pixel(x, y)))
                r |= QRect(x, y, 1, 1);
    return r;
}

inline int countPixels(const QImage& image, auto&& accept)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += accept(image.pixel(x, y)) ? 1 : 0;
    return n;
}

} // namespace layout_test
