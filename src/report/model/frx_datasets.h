#pragma once

// Data sources of a report and the process-wide list they are found in by name.

#include "report/model/frx_component.h"
#include "report/model/frx_types.h"

#include <QByteArray>
#include <QMetaObject>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <vector>

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

    // Row access (implemented with the data sources' rows). The base gives null values,
    // empty texts and numeric field types.
    virtual QString GetDisplayText(const QString& field);
    virtual int GetDisplayWidth(const QString& field);
    virtual TfrxFieldType GetFieldType(const QString& field);
    virtual QVariant GetValue(const QString& field);
    virtual void Initialize();
    virtual void Finalize();
    virtual void Open();
    virtual void Close();
    virtual void First();
    virtual void Next();
    virtual void Prior();
    virtual bool Eof();
    virtual int FieldsCount();
    virtual bool IsBlobField(const QString& field);
    virtual int RecordCount();
    virtual QByteArray GetBlobBytes(const QString& field);
    virtual void GetFieldList(QStringList& list);
    // The name is in the field list, ignoring case.
    bool HasField(const QString& field);
    // Host hook for OnCheckEOF: true ends the rows.
    std::function<bool(TfrxDataSet&)> CheckEOFHandler;

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
    // Host hook for OnGetValue: the value of a field of the current row.
    std::function<QVariant(TfrxUserDataSet&, const QString& field)> GetValueHandler;

    QVariant GetValue(const QString& field) override;
    // The value's plain text: a text object bound to a field shows what the host gives.
    QString GetDisplayText(const QString& field) override;
    void GetFieldList(QStringList& list) override;
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
    ~TfrxDBDataset() override;
    // The query; not stored with templates (it belongs to the window that owns the report).
    db::Dataset* DataSet = nullptr;

    QString GetDisplayText(const QString& field) override;
    int GetDisplayWidth(const QString& field) override;
    TfrxFieldType GetFieldType(const QString& field) override;
    QVariant GetValue(const QString& field) override;
    // Fails with the text of "dbNotConn" without a query.
    void Initialize() override;
    void Finalize() override;
    void Open() override;
    void Close() override;
    void First() override;
    void Next() override;
    void Prior() override;
    bool Eof() override;
    int FieldsCount() override;
    bool IsBlobField(const QString& field) override;
    int RecordCount() override;
    QByteArray GetBlobBytes(const QString& field) override;
    void GetFieldList(QStringList& list) override;

private:
    struct FieldEntry {
        QString alias; // the visible name
        QString field; // the query's field
    };
    void ensureOpen();
    void buildFieldList();
    const FieldEntry* findField(const QString& alias) const;
    db::Dataset* query_ = nullptr;
    bool opened_ = false;
    bool atEnd_ = false;
    int bookmark_ = -1;
    std::vector<FieldEntry> fieldList_; // sorted by alias ignoring case, no duplicates
    QMetaObject::Connection reopened_;
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
