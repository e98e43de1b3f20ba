// The prepared-report file (".fp3"): the store's tree with its source pages, dictionary,
// picture cache and the report's preview options, written as one line after the header.

#include "report/pages/detail/pages_state.h"
#include "report/model/frx_report.h"
#include "report/storage/xml_serializer.h"
#include "platform/atomic_file.h"

#include <QFile>
#include <algorithm>

namespace report {

using detail::DictEntry;

namespace {

// Marks a dictionary whose full-difference objects are stored against their source
// objects; files written before it lack the mark and are read the way they were written.
const char* const kFullSources = "full";

[[noreturn]] void failToOpen(const QString& path, const QString& reason)
{
    throw platform::Error(QStringLiteral("无法打开文件“%1”：%2").arg(path, reason));
}

std::unique_ptr<TfrxPage> makeSourcePage(const QByteArray& className)
{
    const ClassInfo* info = findClass(QString::fromLatin1(className));
    if (info && info->factory() && info->inheritsFrom(TfrxPage::staticClassInfo()))
        return std::unique_ptr<TfrxPage>(static_cast<TfrxPage*>(info->factory()(nullptr)));
    return std::make_unique<TfrxReportPage>();
}

// The objects of the source pages by name, each page indexed once on first use, so that a
// dictionary of any size is read in time proportional to it. A name found more than once
// on a page stands for the first object of that name, as a search through the page would.
class SourceNames {
public:
    explicit SourceNames(const std::vector<detail::SourcePage>& pages) : pages_(pages), index_(pages.size()) {}

    TfrxComponent* find(int page, const QString& name)
    {
        Index& index = index_[std::size_t(page)];
        if (!index.built) {
            for (TfrxComponent* object : pages_[std::size_t(page)].page->AllObjects()) {
                const QString key = object->Name().toCaseFolded();
                if (!index.byName.contains(key))
                    index.byName.insert(key, object);
            }
            index.built = true;
        }
        return index.byName.value(name.toCaseFolded());
    }

private:
    struct Index {
        bool built = false;
        QHash<QString, TfrxComponent*> byName;
    };
    const std::vector<detail::SourcePage>& pages_;
    std::vector<Index> index_;
};

} // namespace

void TfrxPreviewPages::SaveToStream(QIODevice& stream)
{
    detail::PagesState& d = *d_;
    const TfrxReport& report = d.report;

    TfrxXMLItem* reportItem = d.child("report");
    reportItem->clear();
    TfrxXMLItem* options = reportItem->addChild(report.ClassName().toLatin1());
    options->setAttr("DotMatrixReport", report.DotMatrixReport ? "1" : "0");
    options->setAttr("PreviewOptions.OutlineVisible", report.PreviewOptions().OutlineVisible ? "1" : "0");
    options->setAttr("PreviewOptions.OutlineWidth", QByteArray::number(report.PreviewOptions().OutlineWidth));

    TfrxXMLSerializer serializer;
    TfrxXMLItem* sources = d.child("sourcepages");
    sources->clear();
    for (const detail::SourcePage& source : d.sourcePages)
        serializer.WriteTree(*source.page, true, sources->addChild());

    TfrxXMLItem* dictionary = d.child("dictionary");
    dictionary->clear();
    dictionary->setText({});
    if (d.fullSources)
        dictionary->setAttr("sources", kFullSources);
    std::vector<const DictEntry*> sorted;
    sorted.reserve(d.entries.size());
    for (const auto& entry : d.entries)
        sorted.push_back(entry.get());
    std::sort(sorted.begin(), sorted.end(),
              [](const DictEntry* a, const DictEntry* b) { return a->shortName < b->shortName; });
    for (const DictEntry* entry : sorted)
        dictionary->addChild(entry->shortName)->setAttr("name", entry->key);

    TfrxXMLItem* pictures = d.child("picturecache");
    pictures->clear();
    for (const QByteArray& picture : d.pictures)
        pictures->addChild("item")->setAttr("stream", picture.toHex().toUpper());

    d.doc.setAutoIndent(false);
    try {
        d.doc.saveToStream(stream);
    } catch (...) {
        sources->clear();
        pictures->clear();
        throw;
    }
    // Rebuilt on every save; the copies in the tree would only double the memory.
    sources->clear();
    pictures->clear();
}

void TfrxPreviewPages::SaveToFile(const QString& fileName)
{
    // An earlier file of that name survives a failed or interrupted save.
    platform::streamFileAtomically(fileName, [this](QIODevice& out) { SaveToStream(out); });
}

void TfrxPreviewPages::LoadFromStream(QIODevice& stream)
{
    Clear();
    detail::PagesState& d = *d_;
    bool malformed = false;
    try {
        d.doc.loadFromStream(stream);
    } catch (const TfrxInvalidXMLException&) {
        // What was read is taken into the store as far as it makes sense; then the
        // failure goes on to the caller.
        malformed = true;
    }
    TfrxXMLItem* root = d.doc.root();
    TfrxXMLSerializer serializer;

    if (const int at = root->findChild("report"); at >= 0 && root->item(at)->count() > 0) {
        // Only the options this file form carries: a file must not reach the rest of the
        // report (its script, data or engine settings).
        const TfrxXMLItem* options = root->item(at)->item(0);
        TfrxReport& report = d.report;
        const auto flag = [&](const char* name, bool& target) {
            const QByteArray value = options->getAttr(name);
            if (!value.isEmpty())
                target = value == "1" || value.compare("True", Qt::CaseInsensitive) == 0;
        };
        flag("DotMatrixReport", report.DotMatrixReport);
        flag("PreviewOptions.OutlineVisible", report.PreviewOptions().OutlineVisible);
        bool ok = false;
        const int width = options->getAttr("PreviewOptions.OutlineWidth").toInt(&ok);
        if (ok)
            report.PreviewOptions().OutlineWidth = width;
    }

    if (const int at = root->findChild("sourcepages"); at >= 0) {
        TfrxXMLItem* sources = root->item(at);
        for (int i = 0; i < sources->count(); ++i) {
            TfrxXMLItem* element = sources->item(i);
            std::unique_ptr<TfrxPage> page = makeSourcePage(element->name());
            try {
                serializer.ReadTree(*page, element);
            } catch (const std::exception&) {
                // Values that cannot be applied are the serialiser's business; the page
                // stays with what it took.
            }
            d.sourcePages.push_back(detail::SourcePage{std::move(page), {}});
        }
        sources->clear();
        // What the source pages could not take (nesting cut off, unknown classes).
        for (const QString& line : serializer.Errors())
            d.report.AddError(line);
    }

    if (const int at = root->findChild("dictionary"); at >= 0) {
        const TfrxXMLItem* dictionary = root->item(at);
        d.fullSources = dictionary->getAttr("sources") == kFullSources;
        SourceNames names(d.sourcePages);
        for (int i = 0; i < dictionary->count(); ++i) {
            const TfrxXMLItem* element = dictionary->item(i);
            if (d.byShortName.contains(element->name()))
                continue;
            const QByteArray key = element->getAttr("name");
            const qsizetype dot = key.indexOf('.');
            if (dot < 0 || !key.startsWith("Page"))
                continue;
            bool ok = false;
            const int pageIndex = key.mid(4, dot - 4).toInt(&ok);
            if (!ok || pageIndex < 0 || pageIndex >= int(d.sourcePages.size()))
                continue;
            TfrxComponent* source = names.find(pageIndex, QString::fromUtf8(key.mid(dot + 1)));
            if (!source || d.bySource.contains(source))
                continue;
            auto entry = std::make_unique<DictEntry>();
            entry->shortName = element->name();
            entry->key = key;
            entry->source = source;
            entry->sourceString = d.sourceStringOf(*source);
            d.byShortName.insert(entry->shortName, entry.get());
            d.bySource.insert(source, entry.get());
            d.entries.push_back(std::move(entry));
        }
    }

    if (const int at = root->findChild("picturecache"); at >= 0) {
        TfrxXMLItem* pictures = root->item(at);
        for (int i = 0; i < pictures->count(); ++i)
            d.pictures.push_back(QByteArray::fromHex(pictures->item(i)->getAttr("stream")));
        pictures->clear();
    }
    d.curPage = PageCount() - 1;
    if (malformed)
        throw TfrxInvalidXMLException();
}

bool TfrxPreviewPages::LoadFromFile(const QString& fileName, bool loadEvenIfMissing)
{
    const bool exists = QFile::exists(fileName);
    if (!exists && !loadEvenIfMissing)
        return false;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        failToOpen(fileName, file.errorString());
    LoadFromStream(file);
    return exists;
}

} // namespace report
