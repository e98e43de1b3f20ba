#pragma once

#include "report/model/frx_persistent.h"
#include "report/model/frx_types.h"

#include <QFont>
#include <QString>

namespace report {

// A font as templates store it: the height in pixels (negative: character height without
// internal leading, the usual form), colour, style set, character set and pitch.
class TfrxFont : public TfrxPersistent {
public:
    TfrxFont();
    TfrxFont(const TfrxFont& other);
    TfrxFont& operator=(const TfrxFont& other); // keeps the owner, tells it about the change
    static const ClassInfo& staticClassInfo();
    const ClassInfo& classInfo() const override { return staticClassInfo(); }

    bool operator==(const TfrxFont& other) const;

    QString Name() const { return name_; }
    void SetName(const QString& name);
    int Height() const { return height_; }
    // Clamped to kMaxFontPixels either way.
    void SetHeight(int height);
    static constexpr int kMaxFontPixels = 2000;
    // Points at the font's pixels per inch.
    int Size() const;
    void SetSize(int points);
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    int Style() const { return style_; } // TFontStyle bits
    void SetStyle(int style);
    int Charset() const { return charset_; }
    void SetCharset(int charset);
    TFontPitch Pitch() const { return pitch_; }
    void SetPitch(TFontPitch pitch);
    int PixelsPerInch() const { return pixelsPerInch_; }

    // The font for drawing at 96 pixels per inch (pixel size = |Height|).
    QFont toQFont() const;

private:
    void assignValues(const TfrxFont& other);

    QString name_;
    int height_ = 0;
    TColor color_ = clBlack;
    int style_ = 0;
    int charset_ = 1;
    TFontPitch pitch_ = TFontPitch::fpDefault;
    int pixelsPerInch_ = 96;
};

} // namespace report
