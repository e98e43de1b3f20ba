#pragma once

namespace db {

class Engine;

// The catalogue's schema carries its version (in the file's header, in a table on a server).
// A catalogue written by an older program gets the tables added since, step by step, at its
// first open.
int schemaVersion(Engine* handle);
// The version a catalogue has once every step has run.
int latestSchemaVersion();

// The tables of the first version, in the file's dialect.
const char* baseSchema();

// Runs the steps the catalogue has not had inside the caller's transaction (a new file's).
void applySchemaSteps(Engine* handle);

// Brings an open catalogue up to date in one transaction of its own: on any failure it stays
// exactly as it was and DbError says why. Does nothing for one that is up to date (or newer).
// A server database without the catalogue's tables gets them all.
void upgradeSchema(Engine* handle);

} // namespace db
