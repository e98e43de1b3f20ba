#include "report/rich/rtf_reader.h"

#include "platform/hex_digit.h"

#include "report/rich/detail/rtf_charsets.h"
#include "report/rich/detail/rtf_keywords.h"
#include "report/rich/detail/rtf_picture_reader.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace report::rich {

using detail::Keyword;

namespace {

// Groups nested deeper are skipped whole; real documents stay far below.
constexpr int kMaxDepth = 200;
constexpr int kMaxWordLength = 32;
constexpr std::size_t kMaxTableEntries = 16384;
constexpr qsizetype kMaxFontNameBytes = 1024;
constexpr qsizetype kMaxFontNameLength = 128; // characters: what a writer writes reads back whole
// Parameters are clamped here, so no arithmetic on them overflows.
constexpr long long kParamLimit = 1'000'000'000;
constexpr int kMaxHalfPoints = 3276; // 1638 points
constexpr int kMaxTwips = 31680;     // 22 inches

enum class Dest : std::uint8_t { Text, FontTable, ColorTable, Picture };
enum class FontClass : std::uint8_t { Loch, Hich, Dbch, None };

struct State {
    Dest dest = Dest::Text;
    int font = -1; // -1: the default font
    int classFont[3] = {-1, -1, -1};
    FontClass fontClass = FontClass::None;
    // Whether \af and its kin describe the run class above. \rtlch and \ltrch end that until
    // the next class word, but leave the class itself: Word writes "\rtlch\fcs1 \af0
    // \ltrch\fcs0" before every run, and its Chinese bytes still belong to the \dbch font.
    bool associated = false;
    int halfPoints = 24;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    bool hidden = false; // \v: text a word processor does not show, nor does this object
    int color = 0;
    int highlight = 0;
    ParaFormat para;
    int uc = 1;
};

struct FontEntry {
    QByteArray nameBytes; // not yet decoded
    QString name;
    int charset = 1; // the default set: the document's code page
    bool named = false;
};

struct Word {
    QByteArrayView name;
    bool hasParam = false;
    int param = 0;
};

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The numeric parameter of a control word starting at `pos` (an optional minus sign and
// digits), clamped; `pos` ends after it.
struct Param {
    bool present = false;
    int value = 0;
};

Param readParam(QByteArrayView in, qsizetype& pos)
{
    const qsizetype n = in.size();
    bool negative = false;
    if (pos + 1 < n && in[pos] == '-' && isDigit(in[pos + 1])) {
        negative = true;
        ++pos;
    }
    Param p;
    long long value = 0;
    while (pos < n && isDigit(in[pos])) {
        p.present = true;
        value = std::min(kParamLimit, value * 10 + (in[pos] - '0'));
        ++pos;
    }
    p.value = int(negative ? -value : value);
    return p;
}

class Reader {
public:
    explicit Reader(QByteArrayView in) : in_(in) {}
    RichDocument run();

private:
    // Lexing
    Word readWord();
    void skipRestOfGroup();
    void skipDestination();
    void openGroup();
    bool closeGroup(); // false when the outermost group closed
    void controlWord();
    void controlSymbol(char c);
    void hexByte();

    // Acting
    void handleWord(const Word& w);
    bool handleCharacterWord(Keyword k, const Word& w);
    bool handleParagraphWord(Keyword k, const Word& w);
    void finishPicture();
    void textByte(char c, bool escaped = false);
    void textChar(char16_t c);
    bool consumeFallback();
    void flush();
    const CharFormat& charFormat();
    int effectiveFont() const;
    void finishFontName();
    void decodeFontName(FontEntry& e);
    void endColorEntry();

    QByteArrayView in_;
    qsizetype pos_ = 0;
    State st_;
    std::vector<State> stack_;
    RichDocument doc_;
    QByteArray pending_; // text bytes of the current format, not yet decoded
    int fallbackLeft_ = 0; // characters still to skip after \u
    bool optionalDestination_ = false;
    bool documentClosed_ = false;
    int ansiCodePage_ = 1252;
    int defaultFont_ = 0;
    std::map<int, FontEntry> fonts_;
    int currentFontEntry_ = -1;
    // The group depth its \f was read at: a group inside the entry ({\uc1\u24494?} in a
    // name, say) does not end the name when it closes; the entry's own group does.
    std::size_t fontEntryDepth_ = 0;
    std::vector<std::optional<QRgb>> colors_;
    int red_ = 0, green_ = 0, blue_ = 0;
    bool colorSet_ = false;
    detail::Decoders& decoders_ = detail::Decoders::ofThisThread();
    struct FormatKey {
        int font, halfPoints;
        bool bold, italic, underline, strike;
        int color, highlight, fonts, colors, named;
        bool operator==(const FormatKey&) const = default;
    };
    std::optional<FormatKey> formatKey_;
    CharFormat format_;
    int namedFonts_ = 0; // font names finished so far
    detail::RtfPictureReader picture_; // the picture being read
};

RichDocument Reader::run()
{
    const qsizetype n = in_.size();
    while (pos_ < n) {
        const char c = in_[pos_];
        if (c == '{') {
            ++pos_;
            openGroup();
        } else if (c == '}') {
            ++pos_;
            if (!closeGroup() || documentClosed_)
                break;
        } else if (c == '\\') {
            ++pos_;
            if (pos_ >= n)
                break;
            const char next = in_[pos_];
            if (isLetter(next))
                controlWord();
            else if (next == '\'')
                hexByte();
            else {
                ++pos_;
                controlSymbol(next);
            }
        } else {
            ++pos_;
            if (c != '\r' && c != '\n' && c != '\0')
                textByte(c);
        }
    }
    flush();
    if (st_.dest == Dest::FontTable)
        finishFontName();
    if (!documentClosed_)
        doc_.setLastParagraph(st_.para, charFormat());
    doc_.dropFinalBreak();
    return std::move(doc_);
}

void Reader::openGroup()
{
    flush();
    fallbackLeft_ = 0;
    if (stack_.size() >= std::size_t(kMaxDepth)) {
        skipRestOfGroup();
        return;
    }
    stack_.push_back(st_);
}

bool Reader::closeGroup()
{
    flush();
    fallbackLeft_ = 0;
    optionalDestination_ = false;
    if (st_.dest == Dest::FontTable && stack_.size() <= fontEntryDepth_)
        finishFontName();
    if (stack_.empty())
        return false;
    if (st_.dest == Dest::Picture && stack_.back().dest != Dest::Picture)
        finishPicture();
    // The last paragraph takes the format in force where the document ends.
    if (stack_.size() == 1) {
        doc_.setLastParagraph(st_.para, charFormat());
        documentClosed_ = true;
    }
    st_ = stack_.back();
    stack_.pop_back();
    return true;
}

// Skips to the end of the group whose opening brace was just read, stepping over escaped
// braces and \bin data, without nesting any state.
void Reader::skipRestOfGroup()
{
    int level = 1;
    const qsizetype n = in_.size();
    while (pos_ < n) {
        const char c = in_[pos_++];
        if (c == '\\') {
            if (pos_ < n && isLetter(in_[pos_])) {
                const Word w = readWord();
                if (w.name == "bin" && w.hasParam && w.param > 0)
                    pos_ += std::min<qsizetype>(w.param, n - pos_);
            } else if (pos_ < n) {
                ++pos_;
            }
        } else if (c == '{') {
            ++level;
        } else if (c == '}' && --level == 0) {
            return;
        }
    }
}

// The group the destination word stands in is skipped, unless it is the document's own
// group (a misplaced word there must not take the rest of the document with it).
void Reader::skipDestination()
{
    if (stack_.size() < 2)
        return;
    skipRestOfGroup();
    st_ = stack_.back();
    stack_.pop_back();
}

Word Reader::readWord()
{
    const qsizetype n = in_.size();
    const qsizetype start = pos_;
    while (pos_ < n && isLetter(in_[pos_]))
        ++pos_;
    Word w;
    w.name = in_.sliced(start, std::min<qsizetype>(pos_ - start, kMaxWordLength));
    const Param param = readParam(in_, pos_);
    w.hasParam = param.present;
    w.param = param.value;
    if (pos_ < n && in_[pos_] == ' ')
        ++pos_;
    return w;
}

void Reader::controlWord()
{
    const Word w = readWord();
    if (w.name == "bin") {
        // Binary data is never text; its length counts as one character of a fallback.
        flush();
        const qsizetype length = w.hasParam && w.param > 0 ? std::min<qsizetype>(w.param, in_.size() - pos_) : 0;
        if (st_.dest == Dest::Picture)
            picture_.binary(in_.sliced(pos_, length));
        pos_ += length;
        consumeFallback();
        return;
    }
    if (consumeFallback())
        return;
    flush();
    handleWord(w);
}

void Reader::controlSymbol(char c)
{
    if (c == '*') {
        optionalDestination_ = true;
        return;
    }
    if (c == '\r' || c == '\n') {
        handleWord(Word{"par"});
        return;
    }
    switch (c) {
    case '\\': case '{': case '}':
        textByte(c, true);
        return;
    case '~':
        textChar(0x00A0);
        return;
    case '_':
        textChar(0x2011);
        return;
    case '-': // optional hyphen: not shown unless the word is broken there
    default:
        consumeFallback();
        return;
    }
}

void Reader::hexByte()
{
    ++pos_; // the quote
    const qsizetype n = in_.size();
    if (pos_ + 1 >= n) {
        pos_ = n;
        return;
    }
    const int hi = platform::hexDigitValue(in_[pos_]);
    const int lo = platform::hexDigitValue(in_[pos_ + 1]);
    if (hi < 0 || lo < 0) {
        consumeFallback();
        return;
    }
    pos_ += 2;
    textByte(char(hi << 4 | lo), true);
}

// True when the token is part of the fallback text of a \u and is dropped.
bool Reader::consumeFallback()
{
    if (fallbackLeft_ <= 0)
        return false;
    --fallbackLeft_;
    return true;
}

// A byte of text; a semicolon that was not escaped ends a table entry.
void Reader::textByte(char c, bool escaped)
{
    if (consumeFallback())
        return;
    switch (st_.dest) {
    case Dest::Text:
        if (!st_.hidden)
            pending_ += c;
        return;
    case Dest::FontTable:
        if (c == ';' && !escaped)
            finishFontName();
        else if (currentFontEntry_ >= 0 && fonts_[currentFontEntry_].nameBytes.size() < kMaxFontNameBytes)
            fonts_[currentFontEntry_].nameBytes += c;
        return;
    case Dest::ColorTable:
        if (c == ';' && !escaped)
            endColorEntry();
        return;
    case Dest::Picture:
        if (!escaped)
            picture_.hexByte(c);
        return;
    }
}

void Reader::textChar(char16_t c)
{
    if (consumeFallback())
        return;
    flush();
    if (st_.dest == Dest::Text) {
        if (!st_.hidden)
            doc_.append(QStringView(&c, 1), charFormat());
    } else if (st_.dest == Dest::FontTable && currentFontEntry_ >= 0) {
        FontEntry& e = fonts_[currentFontEntry_];
        if (!e.named && e.name.size() < kMaxFontNameLength) {
            decodeFontName(e);
            e.name += QChar(c);
        }
    }
}

void Reader::flush()
{
    if (pending_.isEmpty())
        return;
    const auto font = fonts_.find(effectiveFont());
    const int charset = font == fonts_.end() ? 1 : font->second.charset;
    doc_.append(decoders_.decode(detail::charsetEncoding(charset, ansiCodePage_), pending_), charFormat());
    pending_.clear();
}

int Reader::effectiveFont() const
{
    if (st_.fontClass <= FontClass::Dbch) {
        const int f = st_.classFont[int(st_.fontClass)];
        if (f >= 0)
            return f;
    }
    return st_.font >= 0 ? st_.font : defaultFont_;
}

// The format of text at this point. Made again only when the state or the tables it
// depends on changed: \u text comes one character per control word.
const CharFormat& Reader::charFormat()
{
    const FormatKey key{effectiveFont(), st_.halfPoints, st_.bold, st_.italic, st_.underline, st_.strike,
                        st_.color, st_.highlight, int(fonts_.size()), int(colors_.size()), namedFonts_};
    if (formatKey_ && *formatKey_ == key)
        return format_;
    formatKey_ = key;
    CharFormat& f = format_;
    f = CharFormat();
    const auto font = fonts_.find(effectiveFont());
    if (font != fonts_.end() && !font->second.name.isEmpty()) {
        f.face = font->second.name;
        f.charset = font->second.charset;
    } else {
        f.face = defaultCharFormat().face;
    }
    f.halfPoints = st_.halfPoints;
    f.bold = st_.bold;
    f.italic = st_.italic;
    f.underline = st_.underline;
    f.strike = st_.strike;
    if (st_.color > 0 && std::size_t(st_.color) < colors_.size() && colors_[st_.color]) {
        f.autoColor = false;
        f.color = *colors_[st_.color];
    }
    if (st_.highlight > 0 && std::size_t(st_.highlight) < colors_.size() && colors_[st_.highlight]) {
        f.hasHighlight = true;
        f.highlight = *colors_[st_.highlight];
    }
    return f;
}

// Font names come as bytes in the font's character set, \u characters between them.
void Reader::decodeFontName(FontEntry& e)
{
    if (e.nameBytes.isEmpty())
        return;
    e.name += decoders_.decode(detail::charsetEncoding(e.charset, ansiCodePage_), e.nameBytes);
    e.nameBytes.clear();
}

void Reader::finishFontName()
{
    if (currentFontEntry_ < 0)
        return;
    FontEntry& e = fonts_[currentFontEntry_];
    if (!e.named) {
        decodeFontName(e);
        // Control characters are no part of a name, as they are no text (nor could a
        // name with them be written back).
        e.name.removeIf([](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; });
        e.name = e.name.left(kMaxFontNameLength).trimmed();
        e.named = !e.name.isEmpty();
        namedFonts_ += e.named;
    }
}

void Reader::endColorEntry()
{
    if (colors_.size() < kMaxTableEntries)
        colors_.push_back(colorSet_ ? std::optional<QRgb>(qRgb(red_, green_, blue_)) : std::nullopt);
    red_ = green_ = blue_ = 0;
    colorSet_ = false;
}

void Reader::handleWord(const Word& w)
{
    const detail::KeywordInfo info = detail::lookupKeyword(w.name);
    const bool optional = std::exchange(optionalDestination_, false);
    const int p = w.param;
    switch (info.keyword) {
    case Keyword::Unknown:
        // An unknown destination marked with \* is skipped whole; other unknown words alone.
        if (optional)
            skipDestination();
        return;
    case Keyword::SkipDestination:
        skipDestination();
        return;
    case Keyword::Rtf:
        return;
    case Keyword::Ansicpg:
        if (w.hasParam && p > 0)
            ansiCodePage_ = p;
        return;
    case Keyword::Deff:
        defaultFont_ = std::max(0, p);
        return;
    case Keyword::Deftab:
        doc_.setDefaultTab(std::min(p, kMaxTwips));
        return;
    case Keyword::FontTable:
        st_.dest = Dest::FontTable;
        return;
    case Keyword::ColorTable:
        st_.dest = Dest::ColorTable;
        return;
    case Keyword::Uc:
        st_.uc = std::clamp(p, 0, 16);
        return;
    case Keyword::U:
        // A 16-bit code unit, written signed by many programs; other values are no character.
        if (w.hasParam && p >= -32768 && p <= 65535)
            textChar(char16_t(p < 0 ? p + 65536 : p));
        if (w.hasParam)
            fallbackLeft_ = st_.uc;
        return;
    case Keyword::Symbol:
        textChar(info.symbol);
        return;
    case Keyword::Par:
    case Keyword::Row:
        if (st_.dest == Dest::Text)
            doc_.breakParagraph(st_.para, charFormat());
        return;
    case Keyword::Line:
        textChar(RichDocument::kLineBreak);
        return;
    case Keyword::Tab:
    case Keyword::Cell:
        textChar(u'\t');
        return;
    case Keyword::F:
        if (st_.dest == Dest::FontTable) {
            finishFontName();
            currentFontEntry_ = -1;
            if (fonts_.size() < kMaxTableEntries || fonts_.count(p)) {
                currentFontEntry_ = p;
                fontEntryDepth_ = stack_.size();
                fonts_[p];
            }
            return;
        }
        st_.font = p;
        if (st_.associated && st_.fontClass <= FontClass::Dbch)
            st_.classFont[int(st_.fontClass)] = p;
        return;
    case Keyword::Fcharset:
        if (st_.dest == Dest::FontTable && currentFontEntry_ >= 0)
            fonts_[currentFontEntry_].charset = p;
        return;
    case Keyword::Red:
    case Keyword::Green:
    case Keyword::Blue: {
        const int v = std::clamp(p, 0, 255);
        (info.keyword == Keyword::Red ? red_ : info.keyword == Keyword::Green ? green_ : blue_) = v;
        colorSet_ = true;
        return;
    }
    case Keyword::Pict:
        // A picture is one character of the text; elsewhere it is skipped.
        if (st_.dest != Dest::Text) {
            skipDestination();
            return;
        }
        st_.dest = Dest::Picture;
        picture_.start();
        return;
    default:
        if (!handleCharacterWord(info.keyword, w) && !handleParagraphWord(info.keyword, w)
            && st_.dest == Dest::Picture)
            picture_.word(info.keyword, w.name, w.hasParam, w.param);
        return;
    }
}

bool Reader::handleCharacterWord(Keyword k, const Word& w)
{
    const bool on = !w.hasParam || w.param != 0;
    const bool classSet = st_.associated && st_.fontClass <= FontClass::Dbch;
    switch (k) {
    case Keyword::Plain: {
        const State fresh;
        st_.font = fresh.font;
        std::copy(std::begin(fresh.classFont), std::end(fresh.classFont), st_.classFont);
        st_.fontClass = fresh.fontClass;
        st_.associated = fresh.associated;
        st_.halfPoints = fresh.halfPoints;
        st_.bold = st_.italic = st_.underline = st_.strike = st_.hidden = false;
        st_.color = st_.highlight = 0;
        return true;
    }
    case Keyword::B: st_.bold = on; return true;
    case Keyword::I: st_.italic = on; return true;
    case Keyword::Ul: st_.underline = on; return true;
    case Keyword::UlNone: st_.underline = false; return true;
    case Keyword::Strike: st_.strike = on; return true;
    case Keyword::Hidden: st_.hidden = on; return true;
    case Keyword::Fs:
        if (w.hasParam && w.param > 0)
            st_.halfPoints = std::min(w.param, kMaxHalfPoints);
        return true;
    case Keyword::Cf: st_.color = std::max(0, w.param); return true;
    case Keyword::Highlight: st_.highlight = std::max(0, w.param); return true;
    case Keyword::Loch:
    case Keyword::Hich:
    case Keyword::Dbch:
        st_.fontClass = k == Keyword::Loch ? FontClass::Loch : k == Keyword::Hich ? FontClass::Hich : FontClass::Dbch;
        st_.associated = true;
        return true;
    case Keyword::Rtlch:
    case Keyword::Ltrch: st_.associated = false; return true;
    // The associated forms apply to the run class chosen by \loch, \hich or \dbch; after
    // \rtlch they describe right-to-left text, which the object does not draw apart.
    case Keyword::Af:
        if (classSet)
            st_.classFont[int(st_.fontClass)] = w.param;
        return true;
    case Keyword::Ab:
        if (classSet)
            st_.bold = on;
        return true;
    case Keyword::Ai:
        if (classSet)
            st_.italic = on;
        return true;
    case Keyword::Afs:
        if (classSet && w.hasParam && w.param > 0)
            st_.halfPoints = std::min(w.param, kMaxHalfPoints);
        return true;
    default:
        return false;
    }
}

bool Reader::handleParagraphWord(Keyword k, const Word& w)
{
    const int twips = std::clamp(w.param, -kMaxTwips, kMaxTwips);
    ParaFormat& p = st_.para;
    switch (k) {
    case Keyword::Pard: p = ParaFormat(); return true;
    case Keyword::Ql: p.align = ParaAlign::Left; return true;
    case Keyword::Qc: p.align = ParaAlign::Center; return true;
    case Keyword::Qr: p.align = ParaAlign::Right; return true;
    case Keyword::Qj: p.align = ParaAlign::Justify; return true;
    case Keyword::Li: p.leftIndent = twips; return true;
    case Keyword::Ri: p.rightIndent = twips; return true;
    case Keyword::Fi: p.firstIndent = twips; return true;
    case Keyword::Sb: p.spaceBefore = std::max(0, twips); return true;
    case Keyword::Sa: p.spaceAfter = std::max(0, twips); return true;
    case Keyword::Sl: p.lineSpacing = twips; return true;
    case Keyword::Slmult: p.lineMultiple = !w.hasParam || w.param != 0; return true;
    case Keyword::Tx: {
        constexpr std::size_t kMaxTabStops = 64;
        const auto at = std::lower_bound(p.tabStops.begin(), p.tabStops.end(), twips);
        if (twips > 0 && (at == p.tabStops.end() || *at != twips) && p.tabStops.size() < kMaxTabStops)
            p.tabStops.insert(at, twips);
        return true;
    }
    default: return false;
    }
}

// The picture stands in the text in the format of the text around it.
void Reader::finishPicture()
{
    RichPicture picture = picture_.finish();
    if (!st_.hidden)
        doc_.appendPicture(std::move(picture), charFormat());
}

} // namespace

bool looksLikeRtf(QByteArrayView bytes)
{
    qsizetype i = 0;
    while (i < bytes.size() && (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' || bytes[i] == '\n'))
        ++i;
    return bytes.sliced(i).startsWith("{\\rtf");
}

RichDocument readRtf(QByteArrayView bytes)
{
    return Reader(bytes).run();
}

bool mayHoldCharacter(QByteArrayView bytes, char16_t c)
{
    if (c < 0x20 || c >= 0x7F || c == '\\' || c == '{' || c == '}' || bytes.contains(char(c)))
        return true;
    const qsizetype n = bytes.size();
    // The next backslash by memchr: a stored rich text is mostly control words.
    const auto backslashFrom = [&](qsizetype from) -> qsizetype {
        if (from >= n)
            return -1;
        const void* at = std::memchr(bytes.data() + from, '\\', size_t(n - from));
        return at ? static_cast<const char*>(at) - bytes.data() : -1;
    };
    for (qsizetype i = backslashFrom(0); i >= 0 && i + 1 < n; i = backslashFrom(i + 1)) {
        const char next = bytes[i + 1];
        if (next == '\'' && i + 3 < n && platform::hexDigitValue(bytes[i + 2]) == c / 16
            && platform::hexDigitValue(bytes[i + 3]) == c % 16)
            return true;
        if (next == 'u') {
            // An ASCII character has one form as a \u word: its own number.
            qsizetype at = i + 2;
            const Param p = readParam(bytes, at);
            if (p.present && p.value == int(c))
                return true;
        }
        if (next == '\\')
            ++i; // an escaped backslash does not start a control word
    }
    return false;
}

} // namespace report::rich
