#include "report/rich/rich_document.h"

#include <QHashFunctions>

#include <algorithm>

namespace report::rich {

namespace {

// Distinct formats a document keeps; hostile input with more gets the last text format
// again (pictures are left out) instead of an ever longer search.
constexpr std::size_t kMaxFormats = 4096;

// Control characters other than tabs and line breaks are no text (a stray CR or LF would be
// taken for a paragraph break that has no paragraph); neither is DEL, which some character
// sets cannot even write.
bool isText(QChar c)
{
    return (c.unicode() >= 0x20 && c.unicode() != 0x7F) || c == u'\t' || c == RichDocument::kLineBreak;
}

// CR LF, LF and CR become one paragraph break; other control characters are dropped.
QString withParagraphBreaks(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r') {
            out += RichDocument::kParagraphBreak;
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
        } else if (c == u'\n') {
            out += RichDocument::kParagraphBreak;
        } else if (isText(c)) {
            out += c;
        }
    }
    return out;
}

// The format text takes where a character stands: a picture is not typed on.
CharFormat textFormat(CharFormat format)
{
    format.picture = PictureRef();
    return format;
}

} // namespace

CharFormat defaultCharFormat()
{
    CharFormat f;
    f.face = QStringLiteral("MS Sans Serif");
    f.halfPoints = 16;
    return f;
}

std::size_t CharFormatHash::operator()(const CharFormat& f) const
{
    const int flags =
        f.bold | f.italic << 1 | f.underline << 2 | f.strike << 3 | f.autoColor << 4 | f.hasHighlight << 5;
    return qHashMulti(0, f.face, f.charset, f.halfPoints, flags, f.color, f.highlight,
                      f.picture ? qHash(f.picture->data) : 0);
}

RichDocument::RichDocument() : paragraphs_(1), endFormat_(defaultCharFormat())
{
    keep(endFormat_);
}

RichDocument RichDocument::fromPlainText(const QString& text)
{
    RichDocument doc;
    doc.replace(0, 0, text);
    return doc;
}

QString RichDocument::plainText() const
{
    QString out = text_;
    out.replace(QChar(kParagraphBreak), QStringLiteral("\r\n"));
    return out;
}

std::uint16_t RichDocument::indexOf(const CharFormat& format)
{
    if (!formatIndex_.empty() && formats_[formatIndex_.back()] == format)
        return formatIndex_.back();
    if (const auto kept = kept_.find(format); kept != kept_.end())
        return kept->second;
    if (formats_.size() >= kMaxFormats) {
        // Text keeps a text format and a picture a picture, or text would draw as pictures.
        for (std::size_t i = formats_.size(); i-- > 0;)
            if (bool(formats_[i].picture) == bool(format.picture))
                return std::uint16_t(i);
    }
    return keep(format);
}

// A new format at the end of the kept ones; a format kept twice (pictures are not looked
// for) is found at its first place.
std::uint16_t RichDocument::keep(CharFormat format)
{
    const auto index = std::uint16_t(formats_.size());
    kept_.try_emplace(format, index);
    formats_.push_back(std::move(format));
    return index;
}

void RichDocument::append(QStringView text, const CharFormat& format)
{
    const qsizetype before = text_.size();
    for (const QChar c : text)
        if (isText(c))
            text_ += c;
    if (text_.size() > before)
        formatIndex_.insert(formatIndex_.end(), std::size_t(text_.size() - before), indexOf(format));
}

void RichDocument::appendPicture(RichPicture picture, const CharFormat& format)
{
    CharFormat f = format;
    f.picture = PictureRef(std::move(picture));
    // Each picture is a format of its own, not looked for among the others (a document of
    // many pictures would be read in quadratic time); past the formats a document keeps, a
    // picture is left out rather than shown with another one's data.
    if (formats_.size() >= kMaxFormats)
        return;
    text_ += kObjectCharacter;
    formatIndex_.push_back(keep(std::move(f)));
}

void RichDocument::breakParagraph(const ParaFormat& format, const CharFormat& markFormat)
{
    const std::uint16_t index = indexOf(markFormat);
    text_ += kParagraphBreak;
    formatIndex_.push_back(index);
    paragraphs_.back() = format;
    paragraphs_.push_back(format);
}

void RichDocument::setLastParagraph(const ParaFormat& format, const CharFormat& markFormat)
{
    paragraphs_.back() = format;
    endFormat_ = markFormat;
}

void RichDocument::dropFinalBreak()
{
    if (text_.isEmpty() || text_.back() != kParagraphBreak)
        return;
    endFormat_ = formats_[formatIndex_.back()];
    text_.chop(1);
    formatIndex_.pop_back();
    paragraphs_.pop_back();
}

bool RichDocument::operator==(const RichDocument& other) const
{
    if (text_ != other.text_ || paragraphs_ != other.paragraphs_ || defaultTab_ != other.defaultTab_)
        return false;
    for (int i = 0; i < length(); ++i)
        if (!(formatAt(i) == other.formatAt(i)))
            return false;
    return true;
}

int RichDocument::paragraphAt(int position) const
{
    return int(std::count(text_.cbegin(), text_.cbegin() + position, QChar(kParagraphBreak)));
}

int RichDocument::replace(int start, int count, const QString& text)
{
    start = std::clamp(start, 0, length());
    count = std::clamp(count, 0, length() - start);
    const int kept = length() - count;
    replace({Replacement{start, count, text}});
    return length() - kept;
}

// The document is built anew: the text between the ranges copied with its formats and
// paragraphs, each range's text added in its format.
void RichDocument::replace(const std::vector<Replacement>& ranges)
{
    QString text;
    text.reserve(text_.size());
    std::vector<std::uint16_t> formatIndex;
    formatIndex.reserve(formatIndex_.size());
    std::vector<ParaFormat> paragraphs{paragraphs_.front()};
    int paragraph = 0; // of this document, at `pos`
    int pos = 0;
    const auto copyTo = [&](int end) {
        text += QStringView(text_).sliced(pos, end - pos);
        formatIndex.insert(formatIndex.end(), formatIndex_.begin() + pos, formatIndex_.begin() + end);
        for (; pos < end; ++pos)
            if (text_[pos] == kParagraphBreak)
                paragraphs.push_back(paragraphs_[++paragraph]);
    };
    for (const Replacement& range : ranges) {
        const int start = std::clamp(range.start, pos, length());
        const qint64 rangeEnd = qint64(range.start) + std::max(range.count, 0);
        const int end = int(std::clamp(rangeEnd, qint64(start), qint64(length())));
        copyTo(start);
        const CharFormat format = textFormat(start < length() ? formatAt(start)
                                             : !text.isEmpty() ? formats_[formatIndex.back()]
                                                               : endFormat_);
        const std::uint16_t index = indexOf(format);
        const ParaFormat paraFormat = paragraphs.back();
        // Paragraph breaks removed join their paragraphs to the one at `start`; breaks added
        // start paragraphs in its format.
        paragraph += int(std::count(text_.cbegin() + start, text_.cbegin() + end, QChar(kParagraphBreak)));
        pos = end;
        const QString inserted = withParagraphBreaks(range.text);
        text += inserted;
        formatIndex.insert(formatIndex.end(), std::size_t(inserted.size()), index);
        const auto addedBreaks = std::count(inserted.cbegin(), inserted.cend(), QChar(kParagraphBreak));
        paragraphs.insert(paragraphs.end(), std::size_t(addedBreaks), paraFormat);
    }
    copyTo(length());
    text_ = std::move(text);
    formatIndex_ = std::move(formatIndex);
    paragraphs_ = std::move(paragraphs);
}

RichDocument RichDocument::slice(int from, int to) const
{
    from = std::clamp(from, 0, length());
    to = std::clamp(to, from, length());
    RichDocument part;
    part.defaultTab_ = defaultTab_;
    part.formats_.clear();
    part.kept_.clear();
    part.paragraphs_.clear();
    int paragraph = paragraphAt(from);
    part.paragraphs_.push_back(paragraphs_[paragraph]);
    for (int i = from; i < to; ++i) {
        part.text_ += text_[i];
        part.formatIndex_.push_back(part.indexOf(formatAt(i)));
        if (text_[i] == kParagraphBreak)
            part.paragraphs_.push_back(paragraphs_[++paragraph]);
    }
    part.endFormat_ = textFormat(to < length() ? formatAt(to) : endFormat_);
    if (part.formats_.empty())
        part.keep(part.endFormat_);
    return part;
}

void RichDocument::truncate(int position)
{
    position = std::clamp(position, 0, length());
    if (position == length())
        return;
    endFormat_ = textFormat(formatAt(position));
    if (position > 0 && text_[position - 1] == kParagraphBreak) {
        --position;
        endFormat_ = formatAt(position);
    }
    const int keptParagraphs = paragraphAt(position) + 1;
    text_.truncate(position);
    formatIndex_.resize(std::size_t(position));
    paragraphs_.resize(std::size_t(keptParagraphs));
}

} // namespace report::rich
