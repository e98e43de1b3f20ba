#pragma once

#include <QStringList>

// qmxdiy-report prepare: runs a template over its data into a prepared-report file.
extern const char* const kPrepareHelp;
int prepareCommand(const QStringList& args);
