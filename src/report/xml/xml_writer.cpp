// Writing the XML text form to a stream.
#include "report/xml/xml_form.h"

#include <QIODevice>

#include <cstring>
#include <initializer_list>
#include <vector>

namespace report {

namespace {

constexpr qsizetype flushThreshold = 4096;

// Appends the pieces with one change of size: a prepared report is written as hundreds of
// thousands of small pieces, and appending each alone costs more than copying it.
void appendPieces(QByteArray& buffer, std::initializer_list<QByteArrayView> pieces)
{
    qsizetype total = 0;
    for (const QByteArrayView piece : pieces)
        total += piece.size();
    const qsizetype at = buffer.size();
    buffer.resize(at + total);
    char* out = buffer.data() + at;
    for (const QByteArrayView piece : pieces) {
        if (!piece.isEmpty())
            std::memcpy(out, piece.data(), size_t(piece.size()));
        out += piece.size();
    }
}

} // namespace

TfrxXMLWriter::TfrxXMLWriter(QIODevice& stream) : stream_(stream)
{
    buffer_.reserve(2 * flushThreshold);
}

TfrxXMLWriter::~TfrxXMLWriter()
{
    try {
        flush();
    } catch (const platform::Error&) {
        // A destructor cannot report it; the explicit writes flush and throw themselves.
    }
}

void TfrxXMLWriter::flush()
{
    if (buffer_.isEmpty())
        return;
    const qint64 written = stream_.write(buffer_);
    const qsizetype size = buffer_.size();
    buffer_.resize(0); // keeps the capacity
    if (written != size)
        throw platform::Error(QStringLiteral("Cannot write the XML text: %1").arg(stream_.errorString()));
}

void TfrxXMLWriter::endLine()
{
    if (autoIndent_)
        buffer_ += "\r\n";
    if (buffer_.size() > flushThreshold)
        flush();
}

void TfrxXMLWriter::indent(int level)
{
    if (autoIndent_ && level > 0)
        buffer_.append(qsizetype(level) * 2, ' ');
}

void TfrxXMLWriter::writeHeader()
{
    buffer_ += "<?xml version=\"1.0\" encoding=\"utf-8\"?>";
    endLine();
}

void TfrxXMLWriter::openTag(const TfrxXMLItem* item, int level, bool hasChildren)
{
    indent(level);
    const QByteArray& text = item->text();
    const bool blankBefore = !text.isEmpty() && (text.front() != ' ' || exactText_);
    QByteArrayView after;
    if (item->unloadable())
        after = " ld=\"0\"";
    // The reader drops one blank before a '>'; a text ending in a blank (left by RemoveAttr
    // of the last pair, or read from such a tag) gets one more, so it reads back as it is
    // and cannot turn into a closing slash ("x/ " would read as "x/", an empty element).
    else if (!text.isEmpty() && text.back() == ' ' && (hasChildren || !item->value().isEmpty()))
        after = " ";
    const QByteArrayView name = item->name();
    const QByteArrayView blank = blankBefore ? " " : "";
    if (hasChildren)
        appendPieces(buffer_, {"<", name, blank, text, after, ">"});
    else if (!item->value().isEmpty())
        appendPieces(buffer_, {"<", name, blank, text, after, ">", item->value(), "</", name, ">"});
    else
        appendPieces(buffer_, {"<", name, blank, text, after, "/>"});
    endLine();
}

void TfrxXMLWriter::closeTag(const TfrxXMLItem* item, int level)
{
    indent(level);
    appendPieces(buffer_, {"</", item->name(), ">"});
    endLine();
}

void TfrxXMLWriter::writeRootItem(const TfrxXMLItem* item)
{
    writeItem(item, 0);
}

void TfrxXMLWriter::writeItem(const TfrxXMLItem* item, int level)
{
    // One entry per open element: the element, the item whose children are written (the
    // element itself, or a copy read back from the spill file), and the next child.
    struct Open {
        const TfrxXMLItem* item;
        const TfrxXMLItem* children;
        int next;
        int level;
        std::unique_ptr<TfrxXMLItem> restored;
    };
    std::vector<Open> open;

    auto start = [&](const TfrxXMLItem* element, int elementLevel) {
        std::unique_ptr<TfrxXMLItem> restored;
        const TfrxXMLItem* children = element;
        if (element->unloadable() && !element->loaded() && tempStream_) {
            // The children are in the spill file: read them into a copy that lives only
            // while they are written, so memory is as it was afterwards.
            restored = std::make_unique<TfrxXMLItem>();
            if (!tempStream_->seek(element->offset()))
                TfrxXMLReader::raiseException();
            TfrxXMLReader reader(*tempStream_);
            reader.readRootItem(restored.get());
            children = restored.get();
        }
        const bool hasChildren = children->count() > 0;
        openTag(element, elementLevel, hasChildren);
        if (hasChildren)
            open.push_back({element, children, 0, elementLevel, std::move(restored)});
    };

    start(item, level);
    while (!open.empty()) {
        Open& top = open.back();
        if (top.next < top.children->count()) {
            const TfrxXMLItem* child = top.children->item(top.next++);
            start(child, top.level + 1);
        } else {
            closeTag(top.item, top.level);
            open.pop_back();
        }
    }
    flush();
}

} // namespace report
