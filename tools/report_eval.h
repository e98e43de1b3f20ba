#pragma once

#include <QStringList>

// qmxdiy-report eval [--var NAME=VALUE]... EXPR...
int evalCommand(const QStringList& args);
// qmxdiy-report expand [--var NAME=VALUE]... TEXT
int expandCommand(const QStringList& args);
