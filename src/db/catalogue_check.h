#pragma once
#include <QString>

namespace db {

class Connection;

// A check of a catalogue file quick enough for every start (a bounded number of page reads,
// however large the catalogue): the tables the program needs are there, the file has all the
// pages its header counts, and the first 2,000 rows, the last and a spread of rows of every
// table read back (the engine authenticates every page it decrypts, so a damaged page fails
// its read). Answers what is wrong, or an empty text when nothing was found.
QString catalogueProblem(Connection& connection);

// The same on a file, opened for the check alone; a file that does not open is a problem too.
QString catalogueFileProblem(const QString& databasePath);

} // namespace db
