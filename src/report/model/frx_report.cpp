#include "report/model/frx_report.h"

#include "report/model/detail/component_props.h"
#include "report/model/frx_pages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace report {

namespace {

TfrxReport::StorageHooks storageHooks;

} // namespace

using namespace detail;

const ClassInfo& TfrxReport::staticClassInfo()
{
    static const ClassInfo& info = []() __attribute__((noinline)) -> const ClassInfo& {
        using R = TfrxReport;
        static const ClassInfo built("TfrxReport", &TfrxComponent::staticClassInfo(), {
            field<&R::Version>("Version", PropKind::String).initial(QStringLiteral("4.0.11")),
            access<&R::ParentReport, &R::SetParentReport>("ParentReport", PropKind::String),
            access<&R::DataSet, &R::SetDataSet>("DataSet", PropKind::Reference),
            access<&R::DataSetName, &R::SetDataSetName>("DataSetName", PropKind::String),
            field<&R::DotMatrixReport>("DotMatrixReport", PropKind::Boolean).initial(false),
            object<static_cast<TfrxEngineOptions& (R::*)()>(&R::EngineOptions)>("EngineOptions"),
            field<&R::IniFile>("IniFile", PropKind::String).initial(QStringLiteral("\\Software\\QMXDIY\\Report")),
            field<&R::OldStyleProgress>("OldStyleProgress", PropKind::Boolean).def(false),
            object<static_cast<TfrxPreviewOptions& (R::*)()>(&R::PreviewOptions)>("PreviewOptions"),
            object<static_cast<TfrxPrintOptions& (R::*)()>(&R::PrintOptions)>("PrintOptions"),
            object<static_cast<TfrxReportOptions& (R::*)()>(&R::ReportOptions)>("ReportOptions"),
            field<&R::ScriptLanguage>("ScriptLanguage", PropKind::String).initial(QStringLiteral("PascalScript")),
            field<&R::ScriptText>("ScriptText", PropKind::Strings)
                .initial(QStringList{QStringLiteral("begin"), QString(), QStringLiteral("end.")}),
            field<&R::ShowProgress>("ShowProgress", PropKind::Boolean).def(true),
            field<&R::StoreInDFM>("StoreInDFM", PropKind::Boolean).def(true),
            field<&R::OnRunDialogs>("OnRunDialogs", PropKind::String),
            field<&R::OnStartReport>("OnStartReport", PropKind::String),
            field<&R::OnStopReport>("OnStopReport", PropKind::String),
        });
        return built;
    }();
    return info;
}

TfrxReport::TfrxReport(TfrxComponent* parent) : TfrxComponent(parent)
{
    for (TfrxPersistent* record : std::initializer_list<TfrxPersistent*>{&engineOptions_, &previewOptions_,
                                                                         &printOptions_, &reportOptions_})
        record->setOwner(this);
    initProperties(*this, staticClassInfo());
    Clear();
}

TfrxReport::~TfrxReport()
{
    // Pages go first, while the report's lists are still alive for their destructors.
    TfrxComponent::Clear();
}

void TfrxReport::resetProperties()
{
    // The properties that clearing puts back, to their values on creation in the table.
    for (const char* name : {"DataSet", "DataSetName", "DotMatrixReport", "ScriptLanguage", "ScriptText",
                             "OnRunDialogs", "OnStartReport", "OnStopReport"}) {
        const PropInfo* p = staticClassInfo().find(QString::fromLatin1(name));
        p->set(*this, p->init.isValid() ? p->init : QVariant());
    }
    parentReport_.clear();
}

void TfrxReport::Clear()
{
    TfrxComponent::Clear();
    dataSets_.Clear();
    variables_.Clear();
    styles_.Clear();
    resetRecord(engineOptions_);
    resetRecord(previewOptions_);
    resetRecord(printOptions_);
    resetRecord(reportOptions_);
    resetProperties();
    SystemVariables = {QStringLiteral("Date"),       QStringLiteral("Time"),        QStringLiteral("Page"),
                       QStringLiteral("Page#"),      QStringLiteral("TotalPages"),  QStringLiteral("TotalPages#"),
                       QStringLiteral("Line"),       QStringLiteral("Line#"),       QStringLiteral("CopyName#")};
}

bool TfrxReport::IsAcceptedChild(const TfrxComponent& child) const
{
    return dynamic_cast<const TfrxPage*>(&child) || dynamic_cast<const TfrxDialogComponent*>(&child);
}

int TfrxReport::PagesCount() const
{
    return int(std::count_if(Objects().begin(), Objects().end(),
                             [](const TfrxComponent* c) { return dynamic_cast<const TfrxPage*>(c) != nullptr; }));
}

TfrxPage* TfrxReport::Pages(int index) const
{
    int n = 0;
    for (TfrxComponent* c : Objects())
        if (auto* page = dynamic_cast<TfrxPage*>(c))
            if (n++ == index)
                return page;
    return nullptr;
}

TfrxDataPage* TfrxReport::DataPage() const
{
    for (TfrxComponent* c : Objects())
        if (auto* page = dynamic_cast<TfrxDataPage*>(c))
            return page;
    return nullptr;
}

TfrxDataSet* TfrxReport::GetDataset(const QString& alias) const
{
    for (int i = 0; i < dataSets_.Count(); ++i) {
        TfrxDataSet* ds = dataSets_[i].DataSet();
        if (ds && ds->UserName().compare(alias, Qt::CaseInsensitive) == 0)
            return ds;
    }
    return nullptr;
}

void TfrxReport::AddError(const QString& line)
{
    const auto at = std::lower_bound(errors_.begin(), errors_.end(), line);
    if (at == errors_.end() || *at != line)
        errors_.insert(at, line);
}

void TfrxReport::SetStorageHooks(const StorageHooks& hooks) { storageHooks = hooks; }

void TfrxReport::WriteExtraData(ExtraDataWriter& writer) const
{
    if (storageHooks.writeExtraData)
        storageHooks.writeExtraData(*this, writer);
}

bool TfrxReport::ReadExtraProperty(const QString& name, ExtraDataReader& reader)
{
    return storageHooks.readExtraProperty && storageHooks.readExtraProperty(*this, name, reader);
}

void TfrxReport::SetParentReport(const QString& fileName)
{
    parentReport_ = fileName;
    // An ancestor naming an ancestor of its own is not followed; nor is the name on a
    // report inside another one, whose objects the reader may still be filling in.
    if (fileName.isEmpty() || parentLoadDepth_ > 0 || Parent())
        return;
    ++parentLoadDepth_;
    try {
        if (OnLoadTemplate) {
            OnLoadTemplate(*this, fileName);
        } else {
            const bool hasDrive = fileName.size() >= 2 && fileName[1] == u':' && fileName[0].isLetter();
            const QString path = hasDrive || QDir::isAbsolutePath(fileName)
                ? fileName
                : QDir(QCoreApplication::applicationDirPath()).filePath(fileName);
            if (storageHooks.loadTemplateFile)
                storageHooks.loadTemplateFile(*this, path);
        }
    } catch (...) {
        --parentLoadDepth_;
        throw;
    }
    --parentLoadDepth_;
    for (TfrxComponent* c : AllObjects())
        c->IsAncestor = true;
    parentReport_ = fileName;
}

} // namespace report
