// Rows of the data sources: the base with its row-count range, the user data source that
// asks its host for values, and the database data source over a query with ranges,
// bookmarks and field aliases.
#include "db/dataset.h"
#include "platform/error.h"
#include "report/frx_resources.h"
#include "report/model/frx_datasets.h"
#include "report/model/frx_component.h"
#include "report/value/frx_variant_conv.h"

#include <algorithm>

namespace report {

namespace {

bool lessIgnoringCase(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) < 0;
}

} // namespace

// --- base -------------------------------------------------------------------------------

QString TfrxDataSet::GetDisplayText(const QString&) { return {}; }
int TfrxDataSet::GetDisplayWidth(const QString&) { return 10; }
TfrxFieldType TfrxDataSet::GetFieldType(const QString&) { return TfrxFieldType::fftNumeric; }
QVariant TfrxDataSet::GetValue(const QString&) { return {}; }
void TfrxDataSet::Initialize() {}
void TfrxDataSet::Finalize() {}
void TfrxDataSet::Open() {}
void TfrxDataSet::Close() {}
void TfrxDataSet::First() { RecNo = 0; }
void TfrxDataSet::Next() { ++RecNo; }
void TfrxDataSet::Prior() { --RecNo; }

bool TfrxDataSet::Eof()
{
    if (RangeEnd == TfrxRangeEnd::reCount && RecNo >= RangeEndCount)
        return true;
    return CheckEOFHandler && CheckEOFHandler(*this);
}

int TfrxDataSet::FieldsCount()
{
    QStringList list;
    GetFieldList(list);
    return int(list.size());
}

bool TfrxDataSet::IsBlobField(const QString&) { return false; }

int TfrxDataSet::RecordCount()
{
    return RangeBegin == TfrxRangeBegin::rbFirst && RangeEnd == TfrxRangeEnd::reCount ? RangeEndCount : 0;
}

QByteArray TfrxDataSet::GetBlobBytes(const QString&) { return {}; }
void TfrxDataSet::GetFieldList(QStringList& list) { list.clear(); }

bool TfrxDataSet::HasField(const QString& field)
{
    QStringList list;
    GetFieldList(list);
    // Templates mostly spell names as the source does; the exact comparison is far cheaper.
    return list.contains(field) || list.contains(field, Qt::CaseInsensitive);
}

// --- user data source -------------------------------------------------------------------

QVariant TfrxUserDataSet::GetValue(const QString& field)
{
    return GetValueHandler ? GetValueHandler(*this, field) : QVariant();
}

QString TfrxUserDataSet::GetDisplayText(const QString& field)
{
    try {
        return valueFromVariant(GetValue(field)).toString();
    } catch (const platform::Error&) {
        return {}; // a value without a text form (an object) shows nothing
    }
}

void TfrxUserDataSet::GetFieldList(QStringList& list) { list = Fields; }

// --- database data source ---------------------------------------------------------------

TfrxDBDataset::~TfrxDBDataset()
{
    QObject::disconnect(reopened_);
}

void TfrxDBDataset::Initialize()
{
    query_ = DataSet;
    if (!query_)
        throw ReportError(frxGet(QStringLiteral("dbNotConn")).replace(QLatin1String("%s"), Name()));
    QObject::disconnect(reopened_);
    // A query reopened while the report runs gets a new field list.
    reopened_ = QObject::connect(query_, &db::Dataset::opened, query_, [this] {
        if (opened_)
            buildFieldList();
    });
    atEnd_ = false;
    opened_ = false;
}

void TfrxDBDataset::Finalize()
{
    if (query_ && bookmark_ >= 0 && query_->active())
        query_->setCurrentRow(bookmark_);
    bookmark_ = -1;
    if (CloseDataSource && query_)
        Close();
    QObject::disconnect(reopened_);
    opened_ = false;
}

void TfrxDBDataset::Open()
{
    if (!query_)
        query_ = DataSet;
    if (!query_)
        throw ReportError(frxGet(QStringLiteral("dbNotConn")).replace(QLatin1String("%s"), Name()));
    opened_ = true;
    if (!query_->active())
        query_->open();
    buildFieldList();
    if (RangeBegin == TfrxRangeBegin::rbCurrent || RangeEnd == TfrxRangeEnd::reCurrent)
        bookmark_ = query_->currentRow();
}

void TfrxDBDataset::Close()
{
    bookmark_ = -1;
    opened_ = false;
    if (query_)
        query_->close();
}

void TfrxDBDataset::ensureOpen()
{
    if (!opened_)
        Open();
}

void TfrxDBDataset::GetFieldList(QStringList& list)
{
    list.clear();
    db::Dataset* q = query_ ? query_ : DataSet;
    if (!FieldAliases.isEmpty()) {
        for (const QString& line : FieldAliases) {
            const qsizetype eq = line.indexOf(u'=');
            const QString field = eq < 0 ? line : line.left(eq);
            if (!field.startsWith(u'-'))
                list.append(eq < 0 ? line : line.mid(eq + 1));
        }
        return;
    }
    if (q && q->active())
        for (const db::FieldDef& f : q->fields())
            list.append(f.name);
}

void TfrxDBDataset::buildFieldList()
{
    QStringList names;
    GetFieldList(names);
    fieldList_.clear();
    for (const QString& alias : names) {
        QString field = alias;
        for (const QString& line : FieldAliases) {
            const qsizetype eq = line.indexOf(u'=');
            if (eq >= 0 && line.mid(eq + 1).compare(alias, Qt::CaseInsensitive) == 0) {
                field = line.left(eq);
                break;
            }
        }
        fieldList_.push_back({alias, field});
    }
    std::stable_sort(fieldList_.begin(), fieldList_.end(),
                     [](const FieldEntry& a, const FieldEntry& b) { return lessIgnoringCase(a.alias, b.alias); });
    fieldList_.erase(std::unique(fieldList_.begin(), fieldList_.end(),
                                 [](const FieldEntry& a, const FieldEntry& b) {
                                     return a.alias.compare(b.alias, Qt::CaseInsensitive) == 0;
                                 }),
                     fieldList_.end());
}

const TfrxDBDataset::FieldEntry* TfrxDBDataset::findField(const QString& alias) const
{
    const auto it = std::lower_bound(fieldList_.begin(), fieldList_.end(), alias,
                                     [](const FieldEntry& e, const QString& a) { return lessIgnoringCase(e.alias, a); });
    if (it == fieldList_.end() || it->alias.compare(alias, Qt::CaseInsensitive) != 0)
        return nullptr;
    // An alias that names no field of the query is as missing as an unknown alias.
    return query_ && query_->fieldIndex(it->field) >= 0 ? &*it : nullptr;
}

void TfrxDBDataset::First()
{
    ensureOpen();
    if (RangeBegin == TfrxRangeBegin::rbCurrent && bookmark_ >= 0)
        query_->setCurrentRow(bookmark_);
    else
        query_->first();
    atEnd_ = false;
    RecNo = 0;
}

void TfrxDBDataset::Next()
{
    ensureOpen();
    atEnd_ = false;
    if (RangeEnd == TfrxRangeEnd::reCurrent && bookmark_ >= 0 && query_->currentRow() == bookmark_) {
        atEnd_ = true;
        return;
    }
    query_->next();
    ++RecNo;
}

void TfrxDBDataset::Prior()
{
    ensureOpen();
    query_->prior();
    --RecNo;
}

bool TfrxDBDataset::Eof()
{
    ensureOpen();
    if (RangeEnd == TfrxRangeEnd::reCount && RecNo >= RangeEndCount)
        return true;
    if (CheckEOFHandler && CheckEOFHandler(*this))
        return true;
    return query_->eof() || query_->isEmpty() || atEnd_;
}

int TfrxDBDataset::FieldsCount()
{
    ensureOpen();
    return TfrxDataSet::FieldsCount();
}

int TfrxDBDataset::RecordCount()
{
    ensureOpen();
    return query_->recordCount();
}

QVariant TfrxDBDataset::GetValue(const QString& field)
{
    ensureOpen();
    const FieldEntry* e = findField(field);
    if (!e || query_->isEmpty() || query_->currentRow() < 0)
        return {};
    return query_->value(e->field);
}

QString TfrxDBDataset::GetDisplayText(const QString& field)
{
    ensureOpen();
    if (!query_->active())
        return UserName() + QStringLiteral(".\"") + field + u'"';
    if (fieldList_.empty())
        return query_->fieldIndex(field) >= 0 && query_->currentRow() >= 0 ? query_->displayText(field) : QString();
    const FieldEntry* e = findField(field);
    if (!e)
        return frxGet(QStringLiteral("dbFldNotFound")) + u' ' + UserName() + QStringLiteral(".\"") + field + u'"';
    if (query_->isEmpty() || query_->currentRow() < 0)
        return {};
    // Text fields print as they are stored; the others as the database layer shows them.
    const db::FieldDef& def = query_->field(e->field);
    if (def.type == db::FieldType::Text || def.type == db::FieldType::Memo)
        return query_->value(e->field).toString();
    return query_->displayText(e->field);
}

int TfrxDBDataset::GetDisplayWidth(const QString& field)
{
    ensureOpen();
    const FieldEntry* e = findField(field);
    if (!e)
        return 10;
    const db::FieldDef& def = query_->field(e->field);
    return def.size > 0 ? def.size : 10;
}

TfrxFieldType TfrxDBDataset::GetFieldType(const QString& field)
{
    ensureOpen();
    const FieldEntry* e = findField(field);
    if (!e)
        return TfrxFieldType::fftNumeric;
    const db::FieldType t = query_->field(e->field).type;
    return t == db::FieldType::Text || t == db::FieldType::Memo ? TfrxFieldType::fftString : TfrxFieldType::fftNumeric;
}

bool TfrxDBDataset::IsBlobField(const QString& field)
{
    ensureOpen();
    const FieldEntry* e = findField(field);
    return e && query_->field(e->field).type == db::FieldType::Blob;
}

QByteArray TfrxDBDataset::GetBlobBytes(const QString& field)
{
    const QVariant v = GetValue(field);
    return v.typeId() == QMetaType::QByteArray ? v.toByteArray() : v.toString().toUtf8();
}

} // namespace report
