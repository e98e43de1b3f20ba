#include "report/model/frx_font.h"

#include "report/model/detail/prop_builders.h"

#include <algorithm>
#include <cmath>

namespace report {

using namespace detail;

const ClassInfo& TfrxFont::staticClassInfo()
{
    static const ClassInfo& info = []() __attribute__((noinline)) -> const ClassInfo& {
        // Charset, Color, Height and Style have no declared default and are always stored;
        // Size is derived from Height and never stored.
        static const ClassInfo built("TFont", nullptr, {
            access<&TfrxFont::Charset, &TfrxFont::SetCharset>("Charset", PropKind::Integer).initial(1),
            access<&TfrxFont::Color, &TfrxFont::SetColor>("Color", PropKind::Integer).initial(clBlack),
            access<&TfrxFont::Height, &TfrxFont::SetHeight>("Height", PropKind::Integer).initial(-13),
            access<&TfrxFont::Name, &TfrxFont::SetName>("Name", PropKind::String).initial(QStringLiteral("Arial")),
            access<&TfrxFont::Pitch, &TfrxFont::SetPitch>("Pitch", PropKind::Enum).enums(TFontPitchInfo).def(0),
            access<&TfrxFont::Size, &TfrxFont::SetSize>("Size", PropKind::Integer).storedIf(neverStored),
            access<&TfrxFont::Style, &TfrxFont::SetStyle>("Style", PropKind::Set).enums(TFontStyleInfo).initial(0),
        });
        return built;
    }();
    return info;
}

TfrxFont::TfrxFont()
{
    initProperties(*this, staticClassInfo());
}

TfrxFont::TfrxFont(const TfrxFont& other) : TfrxPersistent()
{
    assignValues(other);
}

TfrxFont& TfrxFont::operator=(const TfrxFont& other)
{
    if (this != &other) {
        assignValues(other);
        changed();
    }
    return *this;
}

void TfrxFont::assignValues(const TfrxFont& other)
{
    name_ = other.name_;
    height_ = other.height_;
    color_ = other.color_;
    style_ = other.style_;
    charset_ = other.charset_;
    pitch_ = other.pitch_;
    pixelsPerInch_ = other.pixelsPerInch_;
}

bool TfrxFont::operator==(const TfrxFont& other) const
{
    return name_ == other.name_ && height_ == other.height_ && color_ == other.color_ && style_ == other.style_
        && charset_ == other.charset_ && pitch_ == other.pitch_;
}

#define FONT_SETTER(Setter, Type, member)                                                              \
    void TfrxFont::Setter(Type value)                                                                    \
    {                                                                                                    \
        if (member != value) {                                                                           \
            member = value;                                                                              \
            changed();                                                                                   \
        }                                                                                                \
    }
FONT_SETTER(SetName, const QString&, name_)
FONT_SETTER(SetColor, TColor, color_)
FONT_SETTER(SetStyle, int, style_)
FONT_SETTER(SetCharset, int, charset_)
FONT_SETTER(SetPitch, TFontPitch, pitch_)
#undef FONT_SETTER

void TfrxFont::SetHeight(int value)
{
    // A font larger than any page is of no use and its sizes overflow the layout
    // arithmetic; a template may hold any number.
    value = std::clamp(value, -kMaxFontPixels, kMaxFontPixels);
    if (height_ != value) {
        height_ = value;
        changed();
    }
}

int TfrxFont::Size() const
{
    return int(std::lround(-double(height_) * 72 / pixelsPerInch_));
}

void TfrxFont::SetSize(int points)
{
    // Kept to sizes a font can have, so that no value overflows the height.
    const double pixels = std::clamp(double(points) * pixelsPerInch_ / 72, -double(kMaxFontPixels), double(kMaxFontPixels));
    SetHeight(-int(std::lround(pixels)));
}

QFont TfrxFont::toQFont() const
{
    QFont font(name_);
    font.setPixelSize(std::max(1, std::abs(height_)));
    font.setBold(inSet(style_, TFontStyle::fsBold));
    font.setItalic(inSet(style_, TFontStyle::fsItalic));
    font.setUnderline(inSet(style_, TFontStyle::fsUnderline));
    font.setStrikeOut(inSet(style_, TFontStyle::fsStrikeOut));
    if (pitch_ == TFontPitch::fpFixed)
        font.setFixedPitch(true);
    return font;
}

} // namespace report
