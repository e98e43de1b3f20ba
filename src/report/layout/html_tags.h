#pragma once

// The HTML subset of text objects: <b>, <i>, <u>, <strike>, <sub>, <sup>, <font color=…> and
// their closing tags. Tags are removed from the text and every remaining character records
// the style in force at it.

#include <QRgb>
#include <QString>
#include <QStringView>
#include <vector>

namespace report {

enum TfrxFontStyleBit : unsigned char {
    fsBold = 1,
    fsItalic = 2,
    fsUnderline = 4,
    fsStrikeOut = 8,
};

// The style of one laid-out character.
struct TfrxHTMLTag {
    int Position = 0;          // index of the character in the whole text, tags included
    int Size = 0;              // points
    bool AddY = false;         // subscript: drawn lower
    unsigned char Style = 0;   // TfrxFontStyleBit flags
    QRgb Color = 0;
    bool Default = false;      // same style as the character before it
    bool Small = false;        // size differs from the base size

    bool sameStyle(const TfrxHTMLTag& o) const
    {
        return Size == o.Size && AddY == o.AddY && Style == o.Style && Color == o.Color;
    }
};

using TfrxHTMLTags = std::vector<TfrxHTMLTag>;      // one per character of an output line
using TfrxHTMLTagsList = std::vector<TfrxHTMLTags>; // one per output line

// Reads the tags of a text paragraph by paragraph; the style carries over from one paragraph
// to the next.
class HtmlTagParser {
public:
    HtmlTagParser(int baseSize, unsigned char baseStyle, QRgb baseColor);

    // Appends the characters of one paragraph without its tags to `chars` and their styles to
    // `tags`. `sourceOffset` is the paragraph's position in the whole text.
    void parseParagraph(QStringView paragraph, int sourceOffset, std::vector<char16_t>& chars,
                        std::vector<TfrxHTMLTag>& tags);

    // The style in force now, with `position` as its place in the whole text.
    TfrxHTMLTag current(int position) const;

private:
    int applyTag(QStringView text, int at);

    int baseSize_;
    QRgb baseColor_;
    int size_;
    bool addY_ = false;
    unsigned char style_;
    QRgb color_;
};

// A colour by its name without the "cl" prefix ("red", "MoneyGreen", "BtnFace"), ignoring
// letter case.
bool frxColorByName(QStringView name, QRgb* color);

// The tags that put back, at the start of a text, the style a character had: used when a
// text is cut and its rest continues elsewhere.
QString htmlStyleRestoringTags(const TfrxHTMLTag& style, QRgb baseColor);

} // namespace report
