#pragma once

// The report's collections: its data-set list, variables and styles.

#include "report/model/frx_datasets.h"
#include "report/model/frx_records.h"

#include <QVariant>
#include <memory>
#include <vector>

namespace report {

class TfrxReport;

// An entry of the report's data-set list; keeps the name when the source is missing.
class TfrxDataSetItem : public TfrxPersistent {
public:
    explicit TfrxDataSetItem(TfrxReport* report = nullptr);
    static const ClassInfo& staticClassInfo();
    const ClassInfo& classInfo() const override { return staticClassInfo(); }

    TfrxDataSet* DataSet() const { return link_.get(); }
    void SetDataSet(TfrxDataSet* dataSet) { link_.set(dataSet); }
    QString DataSetName() const { return link_.name(); }
    void SetDataSetName(const QString& name);

private:
    TfrxReport* report_;
    DataSetLink link_;
};

// A report variable: a name and an expression text or value.
class TfrxVariable : public TfrxPersistent {
public:
    TfrxVariable();
    static const ClassInfo& staticClassInfo();
    const ClassInfo& classInfo() const override { return staticClassInfo(); }
    QString Name;
    QVariant Value;
};

// A named look: colour, font and frame.
class TfrxStyleItem : public TfrxPersistent {
public:
    TfrxStyleItem();
    static const ClassInfo& staticClassInfo();
    const ClassInfo& classInfo() const override { return staticClassInfo(); }
    QString Name;
    TColor Color{};
    TfrxFont& Font() { return font_; }
    const TfrxFont& Font() const { return font_; }
    TfrxFrame& Frame() { return frame_; }
    const TfrxFrame& Frame() const { return frame_; }

private:
    TfrxFont font_;
    TfrxFrame frame_;
};

// An owning list of collection items.
template <class Item>
class TfrxCollection {
public:
    int Count() const { return int(items_.size()); }
    Item& operator[](int i) { return *items_[size_t(i)]; }
    const Item& operator[](int i) const { return *items_[size_t(i)]; }
    template <class... Args>
    Item& Add(Args&&... args)
    {
        items_.push_back(std::make_unique<Item>(std::forward<Args>(args)...));
        return *items_.back();
    }
    void Delete(int i) { items_.erase(items_.begin() + i); }
    void Clear() { items_.clear(); }

private:
    std::vector<std::unique_ptr<Item>> items_;
};

class TfrxReportDataSets : public TfrxCollection<TfrxDataSetItem> {
public:
    // The item whose source or name is the given source; null for none.
    TfrxDataSetItem* Find(const TfrxDataSet* dataSet);
    TfrxDataSetItem* Find(const QString& name);
};

class TfrxVariables : public TfrxCollection<TfrxVariable> {
public:
    // Index of the variable with that name ignoring case, or -1.
    int IndexOf(const QString& name) const;
};

using TfrxStyles = TfrxCollection<TfrxStyleItem>;

} // namespace report
