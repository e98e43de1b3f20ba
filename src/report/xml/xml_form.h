#pragma once

// The XML text form of the report engine: the element tree kept in
// memory (TfrxXMLItem, TfrxXMLDocument), its reader and writer over a QIODevice, the
// escaping of attribute values, the typed-value helpers and the spill file.
//
// All strings are 8-bit byte strings. An element's attributes are kept as one raw, still
// escaped string ("the attribute text") and parsed only when one is asked for, so loading a
// file of many thousand elements builds no per-attribute structures.

#include "platform/error.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <memory>
#include <string>
#include <vector>

class QDate;
class QDateTime;
class QIODevice;
class QTemporaryFile;
class QVariant;

namespace report {

// Raised for malformed text: "Invalid file format".
class TfrxInvalidXMLException : public platform::Error {
public:
    TfrxInvalidXMLException();
};

// CR, LF, '"', '&', '<' and '>' become "&#NN;" (decimal code); "&quot;" in the input becomes
// "&#34;" as a whole; every other byte is copied.
QByteArray EscapeXML(QByteArrayView text);
// The same appended to out; the text form gives what EscapeXML gives for its UTF-8.
void appendEscapedXML(std::string& out, QByteArrayView text);
void appendEscapedXML(std::string& out, QStringView text);
// "&#" + decimal digits + ";" becomes the byte with that code (codes 0..255; a larger number
// is left as it stands); "&quot;" becomes '"'; any other '&' is kept as it is.
QByteArray UnescapeXML(QByteArrayView text);

// Values of typed data as attribute values: integers in decimal, floating point (single,
// double, currency) in the number form of xml_number.h (a '.' whatever the locale, which
// every reader takes), dates in the locale's short date format, strings escaped, booleans
// "1"/"0".
QByteArray ValueToXML(int value);
QByteArray ValueToXML(qint64 value);
QByteArray ValueToXML(double value);
QByteArray ValueToXML(bool value);
QByteArray ValueToXML(const QDate& value);
QByteArray ValueToXML(const QDateTime& value);
QByteArray ValueToXML(QByteArrayView value); // escaped
// By the variant's type: the above for the integer kinds up to 32 bits (and bytes), float,
// double, date, date-time, byte array, string (as UTF-8) and bool; every other type (null
// included) gives the empty string.
QByteArray ValueToXML(const QVariant& value);

// One element. An item owns its children; the pointers handed out are non-owning.
// Destroying an item destroys its children and removes it from its parent's list.
class TfrxXMLItem {
public:
    TfrxXMLItem();
    explicit TfrxXMLItem(QByteArray name);
    ~TfrxXMLItem();
    TfrxXMLItem(const TfrxXMLItem&) = delete;
    TfrxXMLItem& operator=(const TfrxXMLItem&) = delete;

    const QByteArray& name() const { return name_; }
    void setName(QByteArray name) { name_ = std::move(name); }
    // The attribute text, raw (escaped), as it stands in the tag after the first blank.
    const QByteArray& text() const { return text_; }
    void setText(QByteArray text) { text_ = std::move(text); }
    // Character content: written between the tags when the element has no children; never
    // read back.
    const QByteArray& value() const { return value_; }
    void setValue(QByteArray value) { value_ = std::move(value); }

    TfrxXMLItem* parent() const { return parent_; }
    int count() const { return int(children_.size()); }
    TfrxXMLItem* item(int index) const { return children_[std::size_t(index)]; }
    TfrxXMLItem* operator[](int index) const { return item(index); }

    // A new empty child at the end (named when a name is given).
    TfrxXMLItem* addChild();
    TfrxXMLItem* addChild(QByteArray name);
    // Appends an item (made with new, or taken from another parent): the item becomes this
    // item's child and is owned by it; an item that already has a parent is first removed
    // from that parent's list. An item cannot take itself or one of its ancestors: such a
    // call does nothing.
    void addItem(TfrxXMLItem* item);
    // Inserts an item before the child at index (0..count), taking it as addItem does.
    void insertItem(int index, TfrxXMLItem* item);
    // Removes a child from the list without destroying it: the caller owns it.
    std::unique_ptr<TfrxXMLItem> takeItem(int index);
    int indexOf(const TfrxXMLItem* item) const;
    // Index of the first child whose name equals name ignoring (ASCII) letter case, or -1.
    int findChild(QByteArrayView name) const;
    // That child, or a new child with that name appended when there is none.
    TfrxXMLItem* childByName(QByteArrayView name);
    // Destroys all children; an Unloadable item becomes not Loaded.
    void clear();

    // The value of the first attribute of that name (ignoring letter case), unescaped; the
    // empty string when there is none.
    QByteArray getAttr(QByteArrayView name) const;
    // The value as it stands in the text, still escaped; empty when there is none. Valid
    // while the text is unchanged.
    QByteArrayView rawAttr(QByteArrayView name) const;
    // Replaces the pair of that name in place, or appends a new one; the value is escaped.
    void setAttr(QByteArrayView name, QByteArrayView value);
    // Removes the pair of that name and the blank that follows it.
    void removeAttr(QByteArrayView name);

    // True when the children are in memory (true on creation).
    bool loaded() const { return loaded_; }
    void setLoaded(bool loaded) { loaded_ = loaded; }
    // True when the children may be moved to the spill file (false on creation).
    bool unloadable() const { return unloadable_; }
    void setUnloadable(bool unloadable) { unloadable_ = unloadable; }
    // Where the element's text starts in the spill file once it was moved there.
    qint64 offset() const { return offset_; }
    void setOffset(qint64 offset) { offset_ = offset; }

private:
    friend class TfrxXMLReader;
    friend class TfrxXMLDocument;
    void adopt(TfrxXMLItem* item, std::size_t index);
    void detachFromParent();

    QByteArray name_;
    QByteArray text_;
    QByteArray value_;
    TfrxXMLItem* parent_ = nullptr;
    std::vector<TfrxXMLItem*> children_; // owned
    qint64 offset_ = 0;
    bool loaded_ = true;
    bool unloadable_ = false;
};

// Reads the XML text form from a stream through a 4096-byte buffer, starting at the
// stream's current position. On destruction the stream is put back at the reader's own
// end position (just after the last byte the reader used), when the stream can seek.
class TfrxXMLReader {
public:
    explicit TfrxXMLReader(QIODevice& stream);
    ~TfrxXMLReader();
    TfrxXMLReader(const TfrxXMLReader&) = delete;
    TfrxXMLReader& operator=(const TfrxXMLReader&) = delete;

    // The first tag must begin with "?xml", else TfrxInvalidXMLException.
    void readHeader();
    // Reads the next element into item: its name and attribute text replace the item's;
    // with readChildren its child elements are appended to the item (an item read
    // without children only has its tag read). Text between tags and comments are skipped.
    // Malformed text raises TfrxInvalidXMLException; what was read until then stays.
    void readRootItem(TfrxXMLItem* item, bool readChildren = true);
    // Same as readRootItem with children: one element of a sequence.
    void readItem(TfrxXMLItem* item) { readRootItem(item, true); }

    // Stream position of the next byte the reader would look at.
    qint64 position() const;

    // Raises TfrxInvalidXMLException.
    [[noreturn]] static void raiseException();

private:
    struct Tag {
        QByteArrayView name;
        QByteArrayView text;
    };
    bool fill();
    qsizetype ensure(qsizetype count);
    Tag readTag();
    void skipComment();
    QByteArray sharedName(QByteArrayView name);
    bool takeTag(TfrxXMLItem* item, const Tag& tag);

    QIODevice& stream_;
    qint64 start_ = 0;    // stream position of buffer_[0]
    qsizetype pos_ = 0;   // next byte in buffer_
    qsizetype end_ = 0;   // bytes in buffer_
    bool eof_ = false;
    char buffer_[4096];
    QByteArray scratch_;  // a tag that crosses the buffer's end
    static constexpr int nameCacheSize = 64;
    QByteArray names_[nameCacheSize]; // recently seen element names, shared between items
};

// Writes the XML text form to a stream, through a buffer flushed after each line once it
// holds more than 4096 bytes, and at the end of each writeItem/writeRootItem.
// An element is "<" name, a blank and its attribute text (no blank is added when the text
// begins with one), ` ld="0"` when it is Unloadable, then ">" with children, ">" Value
// "</" name ">" with a Value, else "/>". A text that ends in a blank gets one more before a
// ">", because the reader drops one there.
class TfrxXMLWriter {
public:
    explicit TfrxXMLWriter(QIODevice& stream);
    ~TfrxXMLWriter();
    TfrxXMLWriter(const TfrxXMLWriter&) = delete;
    TfrxXMLWriter& operator=(const TfrxXMLWriter&) = delete;

    // CR LF after every line and 2 blanks of indent per nesting level; off by default.
    bool autoIndent() const { return autoIndent_; }
    void setAutoIndent(bool on) { autoIndent_ = on; }
    // The spill file: children of Unloadable items that are not Loaded are read back from
    // it for writing (and released again), so writing never changes what is in memory.
    QIODevice* tempStream() const { return tempStream_; }
    void setTempStream(QIODevice* stream) { tempStream_ = stream; }

    // The line <?xml version="1.0" encoding="utf-8"?>.
    void writeHeader();
    // The element and its subtree, the element at nesting level 0.
    void writeRootItem(const TfrxXMLItem* item);
    // The element and its subtree at a given nesting level.
    void writeItem(const TfrxXMLItem* item, int level = 0);
    // Writes what is buffered to the stream.
    void flush();

private:
    friend class TfrxXMLDocument;
    void endLine();
    void indent(int level);
    void openTag(const TfrxXMLItem* item, int level, bool hasChildren);
    void closeTag(const TfrxXMLItem* item, int level);

    QIODevice& stream_;
    QIODevice* tempStream_ = nullptr;
    bool autoIndent_ = false;
    // For the spill file: a blank before every attribute text, so that a text beginning
    // with blanks reads back with all of them and the spilled children come back as they
    // were. (Otherwise no blank is added before a text that begins with one.)
    bool exactText_ = false;
    QByteArray buffer_;
};

// A tree of items with its root, its AutoIndent switch and its spill file.
class TfrxXMLDocument {
public:
    TfrxXMLDocument();
    ~TfrxXMLDocument(); // closes and deletes the spill file
    TfrxXMLDocument(const TfrxXMLDocument&) = delete;
    TfrxXMLDocument& operator=(const TfrxXMLDocument&) = delete;

    TfrxXMLItem* root() const { return root_.get(); }
    bool autoIndent() const { return autoIndent_; }
    void setAutoIndent(bool on) { autoIndent_ = on; }
    // Folder of the spill file; empty means the system's temporary folder.
    const QString& tempDir() const { return tempDir_; }
    void setTempDir(const QString& dir) { tempDir_ = dir; }
    // Path of the spill file, empty while there is none.
    QString tempFileName() const;

    // Clears the root and deletes the spill file.
    void clear();
    // Header and tree, with the document's AutoIndent; spilled items are read back.
    void saveToStream(QIODevice& stream) const;
    // Deletes the spill file, clears the root and reads header and tree from the stream's
    // current position. Malformed text raises TfrxInvalidXMLException (what was read stays).
    void loadFromStream(QIODevice& stream);
    // Writes to a temporary file beside the target and renames it into place; a failure
    // throws platform::Error naming the file.
    void saveToFile(const QString& path) const;
    // A file that cannot be opened throws platform::Error naming the file.
    void loadFromFile(const QString& path);

    // Moves a Loaded and Unloadable item's children to the end of the spill file (created
    // on first use, prefix "fr", in tempDir) and clears them from memory; its name and
    // attribute text stay. Other items are left alone.
    void unloadItem(TfrxXMLItem* item);
    // Reads an Unloadable, not Loaded item's children back from the spill file, keeping the
    // in-memory attribute text. Other items, or no spill file, leave it alone.
    void loadItem(TfrxXMLItem* item);

private:
    void deleteTempFile();

    std::unique_ptr<TfrxXMLItem> root_;
    bool autoIndent_ = false;
    QString tempDir_;
    std::unique_ptr<QTemporaryFile> tempFile_;
};

} // namespace report
