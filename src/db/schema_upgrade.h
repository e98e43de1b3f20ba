#pragma once

struct sqlite3;

namespace db {

// The catalogue file's schema carries its version in the file header (user_version). A file
// written by an older program gets the tables added since, step by step, at its first open.
int schemaVersion(sqlite3* handle);
// The version a file has once every step has run.
int latestSchemaVersion();

// Runs the steps the file has not had inside the caller's transaction (a new file's).
void applySchemaSteps(sqlite3* handle);

// Brings an open file up to date in one transaction of its own: on any failure the file
// stays exactly as it was and DbError says why. Does nothing for a file that is up to date
// (or newer).
void upgradeSchema(sqlite3* handle);

} // namespace db
