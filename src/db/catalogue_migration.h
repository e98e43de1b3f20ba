#pragma once
#include "db/db_error.h"
#include <QString>
#include <functional>

namespace db {

class Connection;

// What a copied catalogue holds, as the copy counted it.
struct MigrationCounts {
    qint64 categories = 0; // the four levels together
    qint64 items = 0;
    qint64 quotations = 0;
    qint64 quotationLines = 0;
    qint64 rules = 0;
    qint64 shopDetails = 0; // 0 or 1
    qint64 pictures = 0;
    bool operator==(const MigrationCounts&) const = default;
};

// "分类 12，产品 340，报价单 5（明细 23 行），兼容规则 0，店铺信息 1，图片 80"
QString migrationSummary(const MigrationCounts& counts);

// The target of a copy holds a catalogue already; nothing was changed.
class TargetNotEmpty : public DbError {
public:
    using DbError::DbError;
};

// Called while a copy runs: which part (its Chinese name), rows copied of it, rows it has.
using MigrationProgress = std::function<void(const QString& part, qint64 done, qint64 total)>;

// Copies the whole catalogue of `from` into the empty catalogue of `to` (a file into a
// server, a server into a file, or either into one of its own kind), every row with its key,
// so that quotation lines still name their items and categories. Product pictures go from
// the file's PICS folder into the server's PICTURE table, or from there into the PICS folder
// beside the target file.
//
// One write transaction on the target: it ends holding the whole copy or, on any failure,
// what it held before (pictures written into a PICS folder are removed again). The source is
// read in one transaction of its own, so a catalogue in use is copied as it was at one
// moment. A target holding any category, item, quotation or quotation line is refused
// (TargetNotEmpty) and left as it was. The tables both always have (the shop's details, the
// compatibility rules, the pictures table) are replaced by the source's.
//
// Neither connection may be in a transaction. `snapshotTaken` is called once the source's
// moment is fixed: what is written to the source after it is not in the copy.
MigrationCounts migrateCatalogue(Connection& from, Connection& to, const MigrationProgress& progress = {},
                                 const std::function<void()>& snapshotTaken = {});

} // namespace db
