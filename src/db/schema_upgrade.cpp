#include "db/schema_upgrade.h"
#include "db/db_error.h"
#include "db/detail/statement.h"
#include <sqlcipher/sqlite3.h>
#include <iterator>

namespace db {

namespace {

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
};

constexpr int kLatest = int(std::size(kSteps));

} // namespace

int schemaVersion(sqlite3* handle)
{
    detail::Statement version(handle, "PRAGMA user_version");
    return version.step() ? int(version.integer(0)) : 0;
}

int latestSchemaVersion()
{
    return kLatest;
}

void applySchemaSteps(sqlite3* handle)
{
    for (int step = schemaVersion(handle); step < kLatest; ++step) {
        detail::exec(handle, kSteps[step]);
        detail::exec(handle, QStringLiteral("PRAGMA user_version = %1").arg(step + 1));
    }
}

void upgradeSchema(sqlite3* handle)
{
    // A file of a newer program keeps what it has: the tables used here are all in it.
    if (schemaVersion(handle) >= kLatest)
        return;
    // Immediate: another copy of the program opening the same old file waits, then finds
    // it upgraded and does nothing.
    detail::exec(handle, "BEGIN IMMEDIATE");
    try {
        applySchemaSteps(handle);
        detail::exec(handle, "COMMIT");
    } catch (const DbError& e) {
        if (!sqlite3_get_autocommit(handle))
            sqlite3_exec(handle, "ROLLBACK", nullptr, nullptr, nullptr);
        throw DbError(QStringLiteral("无法升级目录文件的结构，文件保持原样：%1").arg(e.text()));
    }
}

} // namespace db
