// The document: root item, loading and saving, and the spill file.
#include "report/xml/xml_form.h"
#include "platform/atomic_file.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryFile>

namespace report {

namespace {

[[noreturn]] void fail(const QString& action, const QString& path, const QString& reason)
{
    throw platform::Error(QStringLiteral("Cannot %1 file \"%2\": %3").arg(action, path, reason));
}

} // namespace

TfrxXMLDocument::TfrxXMLDocument() : root_(std::make_unique<TfrxXMLItem>()) {}

TfrxXMLDocument::~TfrxXMLDocument() = default; // the spill file removes itself

QString TfrxXMLDocument::tempFileName() const
{
    return tempFile_ ? tempFile_->fileName() : QString();
}

void TfrxXMLDocument::deleteTempFile()
{
    tempFile_.reset();
}

void TfrxXMLDocument::clear()
{
    root_->clear();
    deleteTempFile();
}

void TfrxXMLDocument::saveToStream(QIODevice& stream) const
{
    TfrxXMLWriter writer(stream);
    writer.setAutoIndent(autoIndent_);
    writer.setTempStream(tempFile_.get());
    writer.writeHeader();
    writer.writeRootItem(root_.get());
}

void TfrxXMLDocument::loadFromStream(QIODevice& stream)
{
    deleteTempFile();
    root_->clear();
    TfrxXMLReader reader(stream);
    reader.readHeader();
    reader.readRootItem(root_.get());
}

void TfrxXMLDocument::saveToFile(const QString& path) const
{
    platform::streamFileAtomically(path, [this](QIODevice& out) { saveToStream(out); });
}

void TfrxXMLDocument::loadFromFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fail(QStringLiteral("open"), path, file.errorString());
    loadFromStream(file);
}

void TfrxXMLDocument::unloadItem(TfrxXMLItem* item)
{
    if (!item || !item->loaded() || !item->unloadable())
        return;
    if (!tempFile_) {
        const QString dir = tempDir_.isEmpty() ? QDir::tempPath() : tempDir_;
        auto file = std::make_unique<QTemporaryFile>(QDir(dir).filePath(QStringLiteral("frXXXXXX")));
        if (!file->open())
            fail(QStringLiteral("create"), file->fileTemplate(), file->errorString());
        tempFile_ = std::move(file);
    }

    // The element is written in memory first: writing it may read spilled descendants back
    // from the same file.
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        TfrxXMLWriter writer(buffer);
        writer.setTempStream(tempFile_.get());
        writer.exactText_ = true;
        writer.writeRootItem(item);
    }
    const qint64 offset = tempFile_->size();
    if (!tempFile_->seek(offset) || tempFile_->write(bytes) != bytes.size())
        fail(QStringLiteral("write"), tempFile_->fileName(), tempFile_->errorString());
    item->setOffset(offset);
    item->clear(); // Unloadable: no longer Loaded
}

void TfrxXMLDocument::loadItem(TfrxXMLItem* item)
{
    if (!item || !item->unloadable() || item->loaded() || !tempFile_)
        return;
    // Read into a copy first, so that a failure leaves the item as it was.
    TfrxXMLItem copy;
    if (!tempFile_->seek(item->offset()))
        TfrxXMLReader::raiseException();
    {
        TfrxXMLReader reader(*tempFile_);
        reader.readRootItem(&copy);
    }
    // The element's own name and attribute text stay those in memory.
    for (TfrxXMLItem* child : copy.children_)
        child->parent_ = item;
    item->children_.insert(item->children_.end(), copy.children_.begin(), copy.children_.end());
    copy.children_.clear();
    item->loaded_ = true;
}

} // namespace report
