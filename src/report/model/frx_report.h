#pragma once

// The report: its pages, options, data-set list, variables, styles and error list.

#include "report/model/frx_collections.h"
#include "report/model/frx_component.h"
#include "report/model/frx_datasets.h"
#include "report/model/frx_records.h"

#include <QStringList>
#include <functional>

class QIODevice;

namespace report {

class TfrxPage;
class TfrxDataPage;
class TfrxTextContext;

class TfrxReport : public TfrxComponent {
    FRX_CLASS_INFO
public:
    explicit TfrxReport(TfrxComponent* parent = nullptr);
    ~TfrxReport() override;

    QString Version;
    QString ParentReport() const { return parentReport_; }
    // Loads the named ancestor template (relative to the program folder unless it starts
    // with a drive letter or is absolute) or lets OnLoadTemplate supply it; its objects are
    // marked as inherited.
    void SetParentReport(const QString& fileName);
    TfrxDataSet* DataSet() const { return dataSet_.get(); }
    void SetDataSet(TfrxDataSet* dataSet) { dataSet_.set(dataSet); }
    QString DataSetName() const { return dataSet_.name(); }
    void SetDataSetName(const QString& name) { dataSet_.setName(name, this); }
    bool DotMatrixReport{};
    TfrxEngineOptions& EngineOptions() { return engineOptions_; }
    TfrxPreviewOptions& PreviewOptions() { return previewOptions_; }
    TfrxPrintOptions& PrintOptions() { return printOptions_; }
    TfrxReportOptions& ReportOptions() { return reportOptions_; }
    const TfrxEngineOptions& EngineOptions() const { return engineOptions_; }
    const TfrxPreviewOptions& PreviewOptions() const { return previewOptions_; }
    const TfrxPrintOptions& PrintOptions() const { return printOptions_; }
    const TfrxReportOptions& ReportOptions() const { return reportOptions_; }
    QString IniFile;
    bool OldStyleProgress{};
    QString ScriptLanguage;
    QStringList ScriptText;
    bool ShowProgress{};
    bool StoreInDFM{};
    QString OnStartReport, OnStopReport, OnRunDialogs; // script procedure names
    // The preview control the report shows its pages in; never stored.
    void* Preview = nullptr;
    // Drill-down groups the preview toggled, each "group header name.running line number";
    // never stored.
    QStringList ToggledGroups;

    // Host callbacks.
    std::function<void(TfrxReport& report, const QString& fileName)> OnLoadTemplate;

    // Pages are the report's children.
    // Pages, and data sources (which loading moves onto the data page).
    bool IsAcceptedChild(const TfrxComponent& child) const override;

    int PagesCount() const;
    TfrxPage* Pages(int index) const;
    TfrxDataPage* DataPage() const;

    TfrxReportDataSets& DataSets() { return dataSets_; }
    const TfrxReportDataSets& DataSets() const { return dataSets_; }
    TfrxVariables& Variables() { return variables_; }
    const TfrxVariables& Variables() const { return variables_; }
    TfrxStyles& Styles() { return styles_; }
    const TfrxStyles& Styles() const { return styles_; }
    // The data source of the DataSets entry whose source's UserName equals the alias
    // ignoring case.
    TfrxDataSet* GetDataset(const QString& alias) const;

    // Sorted message lines without duplicates.
    const QStringList& Errors() const { return errors_; }
    void AddError(const QString& line);
    void ClearErrors() { errors_.clear(); }
    QStringList SystemVariables;
    bool Terminated = false;
    QString FileName;

    // Destroys pages and objects (not inherited ones), empties the lists and puts the
    // options and script back to their values on creation.
    void Clear() override;

    // Template storage (XML text form).
    void SaveToStream(QIODevice& stream, bool saveChildren = true, bool saveDefaultValues = false, bool indent = true);
    void LoadFromStream(QIODevice& stream);
    // Writes to a temporary file beside the target and renames it into place.
    void SaveToFile(const QString& fileName);
    bool LoadFromFile(const QString& fileName, bool exceptionIfNotFound = false);

    // Saves the template before a preparation; RestoreTemplate loads it back, keeping the
    // password and the error lines of the run.
    QByteArray SaveTemplateForRun();
    void RestoreTemplate(const QByteArray& saved);

    // Asks for a template password; returns false when cancelled. Installed by the user
    // interface; without one a protected template cannot be opened.
    using PasswordPrompt = std::function<bool(QString& password)>;
    static void setPasswordPrompt(PasswordPrompt prompt);
    // Shows the error lines after a load; installed by the user interface (a message box).
    using ErrorReporter = std::function<void(const QString& text)>;
    static void setErrorReporter(ErrorReporter reporter);

    // The reader's message when the last load met malformed text (what was read stays).
    QString LoadFailure;
    // The password the template was last opened with.
    QString PreviousPassword;
    // Set while the report reloads itself around a preparation: no password check.
    bool Reloading = false;

    void WriteExtraData(ExtraDataWriter& writer) const override;
    bool ReadExtraProperty(const QString& name, ExtraDataReader& reader) override;

    // What the template storage above the object model does for a report: loading the
    // ancestor template file, and the report's own extra data (data sets, variables,
    // styles, as attribute texts). The storage installs them when it is first used; every
    // template and every PropData is read and written through it.
    struct StorageHooks {
        void (*loadTemplateFile)(TfrxReport& report, const QString& path) = nullptr;
        void (*writeExtraData)(const TfrxReport& report, ExtraDataWriter& writer) = nullptr;
        bool (*readExtraProperty)(TfrxReport& report, const QString& name, ExtraDataReader& reader) = nullptr;
    };
    static void SetStorageHooks(const StorageHooks& hooks);

    // The report's own text layout object and draw-time values of its text objects.
    TfrxTextContext& TextContext();

private:
    friend class TemplateStorage;
    std::shared_ptr<TfrxTextContext> textContext_; // made on first use
    void resetProperties();

    QString parentReport_;
    DataSetLink dataSet_;
    TfrxEngineOptions engineOptions_;
    TfrxPreviewOptions previewOptions_;
    TfrxPrintOptions printOptions_;
    TfrxReportOptions reportOptions_;
    TfrxReportDataSets dataSets_;
    TfrxVariables variables_;
    TfrxStyles styles_;
    QStringList errors_;
    int parentLoadDepth_ = 0;
};

} // namespace report
