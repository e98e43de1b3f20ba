#include "db/schema_upgrade.h"
#include "db/db_error.h"
#include "db/detail/statement.h"
#include "db/engine.h"
#include <iterator>

namespace db {

namespace {

// The tables of the first version; the steps of schema_upgrade.cpp add the later ones to a
// new file as to an old one. Text columns compare without regard to letter case, as quotation numbers and names are
// matched; the update date takes the time of the insert when none is given.
const char* const kBaseSchema = R"(
CREATE TABLE L1 (L1_ID INTEGER PRIMARY KEY AUTOINCREMENT, L1_NM TEXT(50) COLLATE NOCASE);
CREATE TABLE L2 (L2_ID INTEGER PRIMARY KEY AUTOINCREMENT, L1_ID INTEGER, L2_NM TEXT(50) COLLATE NOCASE);
CREATE TABLE L3 (L3_ID INTEGER PRIMARY KEY AUTOINCREMENT, L2_ID INTEGER, L3_NM TEXT(50) COLLATE NOCASE);
CREATE TABLE L4 (L4_ID INTEGER PRIMARY KEY AUTOINCREMENT, L3_ID INTEGER, L4_NM TEXT(50) COLLATE NOCASE);
CREATE TABLE HW (
  HW_ID INTEGER PRIMARY KEY AUTOINCREMENT,
  L4_ID INTEGER,
  HW_MC TEXT(255) COLLATE NOCASE,
  HW_DW TEXT(10) COLLATE NOCASE,
  HW_NF INTEGER,
  HW_RQ DATETIME DEFAULT (strftime('%Y-%m-%d %H:%M:%S', 'now', 'localtime')),
  HW_CS LONGTEXT COLLATE NOCASE,
  HW_JG FLOAT,
  HW_TP BLOB,
  HW_URL TEXT(255) COLLATE NOCASE,
  HW_TP_URL TEXT(255) COLLATE NOCASE);
CREATE TABLE DIY (
  DIY_ID TEXT(50) COLLATE NOCASE,
  DIY_NM TEXT(50) COLLATE NOCASE,
  HW_ID INTEGER,
  L2_ID INTEGER,
  HW_MS TEXT(255) COLLATE NOCASE,
  DIY_SL INTEGER,
  DIY_JG FLOAT,
  DIY_CASH FLOAT,
  L2_NM TEXT(50) COLLATE NOCASE,
  DIY_SYS_ID INTEGER PRIMARY KEY AUTOINCREMENT);
CREATE INDEX L2_BY_L1 ON L2 (L1_ID);
CREATE INDEX L3_BY_L2 ON L3 (L2_ID);
CREATE INDEX L4_BY_L3 ON L4 (L3_ID);
CREATE INDEX HW_BY_L4 ON HW (L4_ID);
CREATE INDEX DIY_BY_ID ON DIY (DIY_ID);
CREATE INDEX DIY_BY_NM ON DIY (DIY_NM);
)";

// One step per schema version, in order; a step never changes once released, later work
// appends one. Step 1: the shop's own details (one row) and a row per quotation holding its
// name, customer and the time it was created; quotations already in the file get theirs. The
// index gives the list of quotations their line counts and sums without reading the lines.
const char* const kSteps[] = {
    R"(
CREATE TABLE SHOP (
  SHOP_ID INTEGER PRIMARY KEY CHECK (SHOP_ID = 1),
  SHOP_NM TEXT(100),
  SHOP_ADDR TEXT(255),
  SHOP_TEL TEXT(100),
  SHOP_NOTE TEXT(1000),
  SHOP_LOGO BLOB);
CREATE TABLE QUOTE (
  DIY_ID TEXT(50) PRIMARY KEY COLLATE NOCASE,
  DIY_NM TEXT(50) COLLATE NOCASE,
  CUST_NM TEXT(100) COLLATE NOCASE,
  CUST_TEL TEXT(50) COLLATE NOCASE,
  CUST_NOTE TEXT(1000),
  DIY_RQ DATETIME);
CREATE INDEX DIY_AMOUNT_BY_ID ON DIY (DIY_ID, DIY_CASH);
INSERT INTO QUOTE (DIY_ID, DIY_NM)
  SELECT DIY_ID, max(DIY_NM) FROM DIY WHERE DIY_ID IS NOT NULL GROUP BY DIY_ID;
)",
    // Step 2: the shop's compatibility rules, in their order; none stored means the
    // program's own.
    R"(
CREATE TABLE COMPAT_RULES (
  RULE_ID INTEGER PRIMARY KEY AUTOINCREMENT,
  RULE_PART TEXT(50),
  RULE_CATEGORIES TEXT(255),
  RULE_FACT TEXT(20),
  RULE_PATTERN TEXT(1000),
  RULE_VALUE TEXT(50));
)",
    // Step 3: product pictures kept in the catalogue itself, for a catalogue on a server that
    // every workstation reads; a file keeps them in PICS beside it and leaves this empty.
    R"(
CREATE TABLE PICTURE (
  HW_ID INTEGER PRIMARY KEY,
  PIC_DATA BLOB);
)",
};

constexpr int kLatest = int(std::size(kSteps));

} // namespace

int schemaVersion(Engine* handle)
{
    return handle->schemaVersion();
}

const char* baseSchema()
{
    return kBaseSchema;
}

int latestSchemaVersion()
{
    return kLatest;
}

void applySchemaSteps(Engine* handle)
{
    for (int step = schemaVersion(handle); step < kLatest; ++step) {
        handle->execSchema(kSteps[step]);
        handle->setSchemaVersion(step + 1);
    }
}

void upgradeSchema(Engine* handle)
{
    const bool emptyServer = handle->kind() == EngineKind::Server && handle->tableColumns(QStringLiteral("L1")).isEmpty();
    // A file of a newer program keeps what it has: the tables used here are all in it.
    if (!emptyServer && schemaVersion(handle) >= kLatest)
        return;
    // Immediate: another copy of the program opening the same old file waits, then finds
    // it upgraded and does nothing.
    handle->beginWrite();
    try {
        // Another workstation may have made the tables while this one waited for the lock.
        if (emptyServer && handle->tableColumns(QStringLiteral("L1")).isEmpty())
            handle->execSchema(kBaseSchema);
        applySchemaSteps(handle);
        handle->commit();
    } catch (const DbError& e) {
        handle->rollback();
        throw DbError(QStringLiteral("无法升级目录文件的结构，文件保持原样：%1").arg(e.text()));
    }
}

} // namespace db
