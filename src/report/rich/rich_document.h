#pragma once

// The content of a rich-text object: its text with paragraph breaks, the character format of
// every character and the format of every paragraph. It offers what the object needs of it:
// the plain text, replacing a range by text that takes the range's formatting, cutting off
// a remainder, and copies of a range (RTF in and out live in rtf_reader.h / rtf_writer.h).
//
// Positions count characters, each paragraph break as one, as the object's plain text with
// CR LF breaks is counted.

#include "report/rich/rich_picture.h"

#include <QRgb>
#include <QString>

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace report::rich {

// Character formatting. Sizes in half-points, as RTF writes them.
struct CharFormat {
    QString face;
    int charset = 0;
    int halfPoints = 16;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    bool autoColor = true; // the default text colour (black)
    QRgb color = 0xFF000000;
    bool hasHighlight = false;
    QRgb highlight = 0xFFFFFFFF;
    PictureRef picture; // set on the kObjectCharacter of a picture only

    bool operator==(const CharFormat&) const = default;
};

enum class ParaAlign : std::uint8_t { Left, Center, Right, Justify };

// Equal formats hash alike: a picture by its content, as formats compare.
struct CharFormatHash {
    std::size_t operator()(const CharFormat& format) const;
};

// Paragraph formatting; indents and spacing in twips.
struct ParaFormat {
    ParaAlign align = ParaAlign::Left;
    int leftIndent = 0;
    int rightIndent = 0;
    int firstIndent = 0; // relative to the left indent, may be negative
    int spaceBefore = 0;
    int spaceAfter = 0;
    // Line spacing: 0 single; > 0 at least this many twips; < 0 exactly that many. With
    // lineMultiple, a positive value is in 240ths of a single line (WordPad's 276 is 1.15).
    int lineSpacing = 0;
    bool lineMultiple = false;
    // Tab stops set for the paragraph (\tx), in twips from the left edge, ascending; past
    // them the document's default stops apply.
    std::vector<int> tabStops;

    bool operator==(const ParaFormat&) const = default;
};

// The format plain content takes: the control's default font (MS Sans Serif 8 pt), black,
// left-aligned paragraphs without indents.
CharFormat defaultCharFormat();

class RichDocument {
public:
    static constexpr char16_t kParagraphBreak = u'\r';
    static constexpr char16_t kLineBreak = u'\v'; // a line break inside a paragraph
    static constexpr char16_t kObjectCharacter = u'\uFFFC'; // where a picture stands

    RichDocument();
    // Plain text in the default format; CR LF, LF and CR break paragraphs.
    static RichDocument fromPlainText(const QString& text);

    // Characters, a paragraph break counting one.
    int length() const { return int(text_.size()); }
    // True when there is no character (a single empty paragraph).
    bool isEmpty() const { return text_.isEmpty(); }
    // The text with a single kParagraphBreak between paragraphs.
    const QString& text() const { return text_; }
    // The text with CR LF between paragraphs.
    QString plainText() const;

    const CharFormat& formatAt(int position) const { return formats_[formatIndex_[position]]; }
    // The format of the final paragraph mark: what text typed into an empty document takes.
    const CharFormat& endFormat() const { return endFormat_; }
    int paragraphCount() const { return int(paragraphs_.size()); }
    const ParaFormat& paragraph(int index) const { return paragraphs_[index]; }
    // The distance of the default tab stops, in twips (\deftab; Chinese Word writes 420).
    static constexpr int kDefaultTabTwips = 720;
    int defaultTab() const { return defaultTab_; }
    void setDefaultTab(int twips) { defaultTab_ = twips > 0 ? twips : kDefaultTabTwips; }

    // Building, for readers: characters in a format, paragraph breaks (the ended paragraph
    // gets `format`), and the format of the last paragraph and of its mark.
    void append(QStringView text, const CharFormat& format);
    void breakParagraph(const ParaFormat& format, const CharFormat& markFormat);
    void setLastParagraph(const ParaFormat& format, const CharFormat& markFormat);
    // A document that ends with a paragraph break ends with an empty paragraph; writers
    // end the last paragraph with a break too, and this takes that empty paragraph away.
    void dropFinalBreak();

    // The same text, character formats and paragraph formats (the final mark aside).
    bool operator==(const RichDocument& other) const;

    // Replaces `count` characters from `start` by `text` (paragraphs broken at CR LF, LF
    // or CR). The new characters take the format of the character at `start` (or, at the
    // end, of the one before it), a picture's aside; new paragraphs take the format of the paragraph at `start`.
    // Out-of-range arguments are clipped. Returns the length of the inserted text.
    int replace(int start, int count, const QString& text);

    struct Replacement {
        int start = 0;
        int count = 0;
        QString text;
    };
    // Ranges in order, each replaced as replace() does, one after another: positions are
    // those before any replacement, and a range overlapping the one before it is clipped.
    // One pass over the document, however many ranges.
    void replace(const std::vector<Replacement>& ranges);

    // A picture as one character in `format`.
    void appendPicture(RichPicture picture, const CharFormat& format);

    // The characters from `from` to `to` with their formats, as a document of its own.
    RichDocument slice(int from, int to) const;
    // Removes everything from `position` on; a paragraph break just before it goes too.
    void truncate(int position);

private:
    std::uint16_t indexOf(const CharFormat& format);
    std::uint16_t keep(CharFormat format);
    int paragraphAt(int position) const;

    QString text_;
    std::vector<std::uint16_t> formatIndex_; // one per character of text_
    std::vector<CharFormat> formats_;        // the distinct formats in use
    std::unordered_map<CharFormat, std::uint16_t, CharFormatHash> kept_; // a format's first index in formats_
    std::vector<ParaFormat> paragraphs_;     // one per paragraph, never empty
    CharFormat endFormat_;
    int defaultTab_ = kDefaultTabTwips;
};

} // namespace report::rich
