#pragma once

// Data sources of a report and the process-wide list they are found in by name.

#include "report/model/frx_component.h"
#include "report/model/frx_types.h"

#include <QStringList>

namespace db {
class Dataset;
}

namespace report {

class TfrxReport;

class TfrxDialogComponent : public TfrxReportComponent {
    FRX_CLASS_INFO
public:
    explicit TfrxDialogComponent(TfrxComponent* parent = nullptr);
};

// A data source. Every data source is in the process-wide list from creation to
// destruction; views, bands, pages and the report find theirs there by UserName.
class TfrxDataSet : public TfrxDialogComponent {
    FRX_CLASS_INFO
public:
    explicit TfrxDataSet(TfrxComponent* parent = nullptr);
    ~TfrxDataSet() override;

    // UserName follows Name while it is empty or equal to the old name.
    void SetName(const QString& name) override;
    QString UserName() const { return userName_; }
    // Fails with the message of "prInvProp" for a name that is empty after trimming.
    void SetUserName(const QString& name);

    bool Enabled{};
    TfrxRangeBegin RangeBegin{};
    TfrxRangeEnd RangeEnd{};
    int RangeEndCount{};
    QString OnCheckEOF, OnFirst, OnNext, OnPrior;
    int RecNo = 0; // current record number, run-time only

    // The first source in the list whose UserName equals the name ignoring case, skipping
    // sources that belong to a report other than the given one; null for an empty name or
    // when none is found.
    static TfrxDataSet* find(const QString& userName, const TfrxReport* report);
    // A snapshot of the list, for tools and tests.
    static QList<TfrxDataSet*> all();

private:
    QString userName_;
};

// Rows supplied by events or a row count.
class TfrxUserDataSet : public TfrxDataSet {
    FRX_CLASS_INFO
public:
    explicit TfrxUserDataSet(TfrxComponent* parent = nullptr);
    QStringList Fields;
    QString OnGetValue;
};

class TfrxCustomDBDataSet : public TfrxDataSet {
    FRX_CLASS_INFO
public:
    explicit TfrxCustomDBDataSet(TfrxComponent* parent = nullptr);
    bool CloseDataSource{};
    QStringList FieldAliases; // "field=alias" lines
    bool OpenDataSource{};
    QString OnClose, OnOpen;
};

// Rows of a database query.
class TfrxDBDataset : public TfrxCustomDBDataSet {
    FRX_CLASS_INFO
public:
    explicit TfrxDBDataset(TfrxComponent* parent = nullptr);
    // The query; not stored with templates (it belongs to the window that owns the report).
    db::Dataset* DataSet = nullptr;
};

// Where a view, band, page or report keeps its data source: the reference and, when the
// name could not be resolved, the name as given.
class DataSetLink {
public:
    TfrxDataSet* get() const { return ref_.get(); }
    void set(TfrxDataSet* dataSet);
    QString name() const;
    void setName(const QString& name, const TfrxReport* report);

private:
    ComponentRef<TfrxDataSet> ref_;
    QString name_;
};

} // namespace report
