#pragma once

#include <QStringList>

namespace report {
class TfrxReport;
}

// Loads a template file as the program loads its own; false (with the message on standard
// error) when it cannot be read or is malformed. Error lines of the load stay in the report.
bool loadTemplateFile(report::TfrxReport& report, const QString& path);

// qmxdiy-report prepare: runs a template over its data into a prepared-report file.
extern const char* const kPrepareHelp;
int prepareCommand(const QStringList& args);
