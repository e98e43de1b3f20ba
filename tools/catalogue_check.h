#pragma once
#include <QStringList>

namespace db {
class Connection;
}

// `check NUMBER`: the power estimate on the first line ("预计功耗: 420W"), then one warning a
// line. Exit 0 with or without warnings, 2 when there is no such quotation.
int checkCommand(db::Connection& connection, const QStringList& args);
