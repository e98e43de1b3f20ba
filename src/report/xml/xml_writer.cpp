// Writing the XML text form to a stream.
#include "report/xml/xml_form.h"

#include <QIODevice>

#include <vector>

namespace report {

namespace {

constexpr qsizetype flushThreshold = 4096;

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
    buffer_ += '<';
    buffer_ += item->name();
    const QByteArray& text = item->text();
    if (!text.isEmpty()) {
        if (text.front() != ' ' || exactText_)
            buffer_ += ' ';
        buffer_ += text;
    }
    if (item->unloadable())
        buffer_ += " ld=\"0\"";
    // The reader drops one blank before a '>'; a text ending in a blank (left by RemoveAttr
    // of the last pair, or read from such a tag) gets one more, so it reads back as it is
    // and cannot turn into a closing slash ("x/ " would read as "x/", an empty element).
    else if (!text.isEmpty() && text.back() == ' ' && (hasChildren || !item->value().isEmpty()))
        buffer_ += ' ';
    if (hasChildren) {
        buffer_ += '>';
    } else if (!item->value().isEmpty()) {
        buffer_ += '>';
        buffer_ += item->value();
        buffer_ += "</";
        buffer_ += item->name();
        buffer_ += '>';
    } else {
        buffer_ += "/>";
    }
    endLine();
}

void TfrxXMLWriter::closeTag(const TfrxXMLItem* item, int level)
{
    indent(level);
    buffer_ += "</";
    buffer_ += item->name();
    buffer_ += '>';
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
