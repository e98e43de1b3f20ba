#include "report/model/frx_datasets.h"

#include "report/frx_resources.h"
#include "report/model/detail/component_props.h"
#include "report/model/frx_report.h"

#include <QMutex>

namespace report {

using namespace detail;

namespace {

struct DataSetList {
    QMutex lock;
    QList<TfrxDataSet*> items;
};

DataSetList& dataSetList()
{
    static DataSetList list;
    return list;
}

} // namespace

const ClassInfo& TfrxDialogComponent::staticClassInfo()
{
    static const ClassInfo& info = []() __attribute__((noinline)) -> const ClassInfo& {
        static const ClassInfo built("TfrxDialogComponent", &TfrxReportComponent::staticClassInfo(), {
            leftProp(),
            topProp(),
        });
        return built;
    }();
    return info;
}

TfrxDialogComponent::TfrxDialogComponent(TfrxComponent* parent) : TfrxReportComponent(parent)
{
    initProperties(*this, staticClassInfo());
}

const ClassInfo& TfrxDataSet::staticClassInfo()
{
    static const ClassInfo& info = []() __attribute__((noinline)) -> const ClassInfo& {
        static const ClassInfo built("TfrxDataSet", &TfrxDialogComponent::staticClassInfo(), {
            field<&TfrxDataSet::Enabled>("Enabled", PropKind::Boolean).def(true),
            field<&TfrxDataSet::OnCheckEOF>("OnCheckEOF", PropKind::String),
            field<&TfrxDataSet::OnFirst>("OnFirst", PropKind::String),
            field<&TfrxDataSet::OnNext>("OnNext", PropKind::String),
            field<&TfrxDataSet::OnPrior>("OnPrior", PropKind::String),
            field<&TfrxDataSet::RangeBegin>("RangeBegin", PropKind::Enum).enums(TfrxRangeBeginInfo).def(0),
            field<&TfrxDataSet::RangeEnd>("RangeEnd", PropKind::Enum).enums(TfrxRangeEndInfo).def(0),
            field<&TfrxDataSet::RangeEndCount>("RangeEndCount", PropKind::Integer).def(0),
            access<&TfrxDataSet::UserName, &TfrxDataSet::SetUserName>("UserName", PropKind::String),
        });
        return built;
    }();
    return info;
}

TfrxDataSet::TfrxDataSet(TfrxComponent* parent) : TfrxDialogComponent(parent)
{
    initProperties(*this, staticClassInfo());
    DataSetList& list = dataSetList();
    QMutexLocker locker(&list.lock);
    list.items.append(this);
}

TfrxDataSet::~TfrxDataSet()
{
    DataSetList& list = dataSetList();
    QMutexLocker locker(&list.lock);
    list.items.removeOne(this);
}

void TfrxDataSet::SetName(const QString& name)
{
    const QString old = Name();
    TfrxDialogComponent::SetName(name);
    if (userName_.isEmpty() || userName_ == old)
        userName_ = Name();
}

void TfrxDataSet::SetUserName(const QString& name)
{
    if (name.trimmed().isEmpty())
        throw ReportError(frxGet(QStringLiteral("prInvProp")));
    userName_ = name;
}

TfrxDataSet* TfrxDataSet::find(const QString& userName, const TfrxReport* report)
{
    if (userName.isEmpty())
        return nullptr;
    DataSetList& list = dataSetList();
    QMutexLocker locker(&list.lock);
    // The name first: every data band owns an unnamed row-count source, so the list is
    // long while pages are rebuilt, and finding an owner walks up the tree.
    for (TfrxDataSet* ds : list.items) {
        // Folding case keeps the length, so the length rules most of them out at once.
        if (ds->userName_.size() != userName.size() || ds->userName_.compare(userName, Qt::CaseInsensitive) != 0)
            continue;
        const TfrxReport* owner = ds->Report();
        if (!owner || owner == report)
            return ds;
    }
    return nullptr;
}

QList<TfrxDataSet*> TfrxDataSet::all()
{
    DataSetList& list = dataSetList();
    QMutexLocker locker(&list.lock);
    return list.items;
}

const ClassInfo& TfrxUserDataSet::staticClassInfo()
{
    static const ClassInfo& info = []() __attribute__((noinline)) -> const ClassInfo& {
        static const ClassInfo built("TfrxUserDataSet", &TfrxDataSet::staticClassInfo(), {
            field<&TfrxUserDataSet::Fields>("Fields", PropKind::Strings),
            field<&TfrxUserDataSet::OnGetValue>("OnGetValue", PropKind::String),
        }, makeComponent<TfrxUserDataSet>);
        return built;
    }();
    return info;
}

TfrxUserDataSet::TfrxUserDataSet(TfrxComponent* parent) : TfrxDataSet(parent)
{
    initProperties(*this, staticClassInfo());
}

const ClassInfo& TfrxCustomDBDataSet::staticClassInfo()
{
    static const ClassInfo& info = []() __attribute__((noinline)) -> const ClassInfo& {
        static const ClassInfo built("TfrxCustomDBDataSet", &TfrxDataSet::staticClassInfo(), {
            field<&TfrxCustomDBDataSet::CloseDataSource>("CloseDataSource", PropKind::Boolean).def(false),
            field<&TfrxCustomDBDataSet::FieldAliases>("FieldAliases", PropKind::Strings),
            field<&TfrxCustomDBDataSet::OpenDataSource>("OpenDataSource", PropKind::Boolean).def(true),
            field<&TfrxCustomDBDataSet::OnClose>("OnClose", PropKind::String),
            field<&TfrxCustomDBDataSet::OnOpen>("OnOpen", PropKind::String),
        });
        return built;
    }();
    return info;
}

TfrxCustomDBDataSet::TfrxCustomDBDataSet(TfrxComponent* parent) : TfrxDataSet(parent)
{
    initProperties(*this, staticClassInfo());
}

const ClassInfo& TfrxDBDataset::staticClassInfo()
{
    static const ClassInfo& info = []() __attribute__((noinline)) -> const ClassInfo& {
        static const ClassInfo built("TfrxDBDataset", &TfrxCustomDBDataSet::staticClassInfo(), {},
                                    makeComponent<TfrxDBDataset>);
        return built;
    }();
    return info;
}

TfrxDBDataset::TfrxDBDataset(TfrxComponent* parent) : TfrxCustomDBDataSet(parent) {}

void DataSetLink::set(TfrxDataSet* dataSet)
{
    ref_.set(dataSet);
    name_ = dataSet ? dataSet->UserName() : QString();
}

QString DataSetLink::name() const
{
    const TfrxDataSet* ds = ref_.get();
    return ds ? ds->UserName() : name_;
}

void DataSetLink::setName(const QString& name, const TfrxReport* report)
{
    name_ = name;
    if (name.isEmpty()) {
        ref_.set(nullptr);
        return;
    }
    if (TfrxDataSet* ds = TfrxDataSet::find(name, report))
        ref_.set(ds);
}

} // namespace report
