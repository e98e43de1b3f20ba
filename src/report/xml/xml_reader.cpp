// Reading the XML text form from a stream.
#include "report/xml/xml_form.h"
#include "report/xml/xml_ascii.h"

#include <QIODevice>

#include <cstring>
#include <memory>

namespace report {

namespace {

bool isClosingTag(QByteArrayView name)
{
    return name.isEmpty() || name.front() == '/';
}

} // namespace

TfrxXMLReader::TfrxXMLReader(QIODevice& stream) : stream_(stream)
{
    start_ = stream_.isSequential() ? 0 : stream_.pos();
}

TfrxXMLReader::~TfrxXMLReader()
{
    // The stream has been read ahead by up to a buffer; put it back behind the last byte
    // the reader used.
    if (!stream_.isSequential())
        stream_.seek(position());
}

qint64 TfrxXMLReader::position() const
{
    return start_ + pos_;
}

void TfrxXMLReader::raiseException()
{
    throw TfrxInvalidXMLException();
}

// Moves on to the next block of the stream; false at its end.
bool TfrxXMLReader::fill()
{
    start_ += end_;
    pos_ = 0;
    end_ = 0;
    if (eof_)
        return false;
    const qint64 n = stream_.read(buffer_, qint64(sizeof buffer_));
    if (n <= 0) {
        eof_ = true;
        return false;
    }
    end_ = qsizetype(n);
    return true;
}

// Makes at least `count` bytes available from pos_ on (keeping them in the buffer), unless
// the stream ends first; returns the number available.
qsizetype TfrxXMLReader::ensure(qsizetype count)
{
    while (end_ - pos_ < count && !eof_) {
        const qsizetype kept = end_ - pos_;
        std::memmove(buffer_, buffer_ + pos_, std::size_t(kept));
        start_ += pos_;
        pos_ = 0;
        end_ = kept;
        const qint64 n = stream_.read(buffer_ + kept, qint64(sizeof buffer_) - kept);
        if (n <= 0)
            eof_ = true;
        else
            end_ += qsizetype(n);
    }
    return end_ - pos_;
}

// Skips a comment whose "<!--" has been read: up to two hyphens followed by '>'.
void TfrxXMLReader::skipComment()
{
    int hyphens = 0;
    for (;;) {
        if (pos_ == end_ && !fill())
            raiseException();
        const char c = buffer_[pos_++];
        if (c == '>' && hyphens >= 2)
            return;
        hyphens = c == '-' ? hyphens + 1 : 0;
    }
}

TfrxXMLReader::Tag TfrxXMLReader::readTag()
{
    QByteArrayView tag;
    for (;;) {
        // Everything up to the next '<' is skipped: character content is ignored.
        for (;;) {
            if (pos_ < end_) {
                const char* lt = detail::findByte(buffer_ + pos_, end_ - pos_, '<');
                if (lt) {
                    pos_ = lt - buffer_ + 1;
                    break;
                }
                pos_ = end_;
            }
            if (!fill())
                raiseException();
        }
        if (ensure(3) >= 3 && std::memcmp(buffer_ + pos_, "!--", 3) == 0) {
            pos_ += 3;
            skipComment();
            continue;
        }

        // The bytes up to the next '>' form the tag; a '<' inside it is malformed. A tag
        // that lies in the buffer is used in place, a longer one is collected.
        bool collected = false;
        for (;;) {
            const char* from = buffer_ + pos_;
            const qsizetype available = end_ - pos_;
            const char* gt = detail::findByte(from, available, '>');
            const qsizetype length = gt ? gt - from : available;
            if (detail::findByte(from, length, '<'))
                raiseException();
            if (gt && !collected) {
                tag = QByteArrayView(from, length);
                pos_ += length + 1;
                break;
            }
            if (!collected) {
                scratch_.resize(0);
                collected = true;
            }
            scratch_.append(from, length);
            if (gt) {
                pos_ += length + 1;
                tag = scratch_;
                break;
            }
            pos_ = end_;
            if (!fill())
                raiseException();
        }
        break;
    }

    // A single trailing blank is dropped; the tag is split at its first blank.
    if (!tag.isEmpty() && tag.back() == ' ')
        tag.chop(1);
    const char* blank = detail::findByte(tag.data(), tag.size(), ' ');
    if (!blank)
        return {tag, {}};
    const qsizetype at = blank - tag.data();
    return {tag.first(at), tag.sliced(at + 1)};
}

// Element names repeat (class names, "item"): items read from one stream share the bytes of
// a recently seen name instead of each holding a copy.
QByteArray TfrxXMLReader::sharedName(QByteArrayView name)
{
    std::size_t hash = std::size_t(name.size());
    for (const char c : name)
        hash = hash * 31 + static_cast<unsigned char>(c);
    QByteArray& slot = names_[hash % nameCacheSize];
    if (slot != name)
        slot = name.toByteArray();
    return slot;
}

// Name and attribute text of an element from its tag; true when the tag also closes the
// element (a slash at the end of its name or of its attribute text).
bool TfrxXMLReader::takeTag(TfrxXMLItem* item, const Tag& tag)
{
    QByteArrayView name = tag.name;
    QByteArrayView text = tag.text;
    bool closed = false;
    if (name.back() == '/') {
        // Every slash goes: a name ending in one would be written back as a closing slash.
        while (!name.isEmpty() && name.back() == '/')
            name.chop(1);
        closed = true;
    } else if (!text.isEmpty() && text.back() == '/') {
        text.chop(1);
        closed = true;
    }
    item->name_ = sharedName(name);
    item->text_ = text.toByteArray();
    return closed;
}

void TfrxXMLReader::readHeader()
{
    const Tag tag = readTag();
    if (!tag.name.startsWith("?xml"))
        raiseException();
}

void TfrxXMLReader::readRootItem(TfrxXMLItem* item, bool readChildren)
{
    const Tag first = readTag();
    if (isClosingTag(first.name))
        raiseException();
    if (takeTag(item, first) || !readChildren)
        return;

    // Child elements are read until the closing tag of their parent, without recursion so
    // that deep nesting cannot exhaust the stack. Each child joins the tree as soon as its
    // tag is read, so what was read stays when the text turns out malformed.
    TfrxXMLItem* current = item;
    for (;;) {
        const Tag tag = readTag();
        if (isClosingTag(tag.name)) {
            // "<>" closes any element; otherwise the name must match, ignoring case.
            if (!tag.name.isEmpty() && !detail::equalsIgnoringCase(tag.name.sliced(1), current->name_))
                raiseException();
            if (current == item)
                return;
            current = current->parent_;
            continue;
        }
        auto child = std::make_unique<TfrxXMLItem>();
        const bool closed = takeTag(child.get(), tag);
        current->children_.push_back(child.get());
        child->parent_ = current;
        TfrxXMLItem* const added = child.release();
        if (!closed)
            current = added;
    }
}

} // namespace report
