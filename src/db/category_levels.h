#pragma once
#include <QByteArray>
#include <QHash>
#include <QList>
#include <array>

namespace db {

class Dataset;

// The category tree read a level at a time: one statement per level, the children of each
// parent grouped in memory. Over a server the tree then costs four round trips instead of
// one per parent row. Children keep key order, the order the tree has always listed them in.
//
// The datasets (levels 1 to 4) stay open while this is used: rows are read from them in place.
// Rows no parent reaches (a parent deleted, or none recorded) appear under nothing.
class CategoryLevels {
public:
    explicit CategoryLevels(const std::array<Dataset*, 4>& levels);

    // Rows of a level's dataset under a parent key, in key order; level 1 lists all its rows
    // under parent 0.
    const QList<int>& childRows(int level, qint64 parentId) const;
    // The strict conversions of the dataset: a null name or key is an error naming the dataset.
    QString name(int level, int row) const;
    int id(int level, int row) const;

    // A digest of every category's level, key, parent and name: it changes exactly when
    // the tree another workstation would read differs.
    QByteArray fingerprint() const;

private:
    std::array<Dataset*, 4> levels_;
    std::array<int, 4> idField_{}, parentField_{}, nameField_{};
    std::array<QHash<qint64, QList<int>>, 4> children_;
};

} // namespace db
