#pragma once
// qmxdiy-catalogue's commands on the shop's details and the quotations: shop, quotation,
// quotations.
#include <QStringList>

namespace db {
class Connection;
}

namespace catalogue_tool {

// Their lines of the tool's help text.
extern const char* const kQuotationHelp;

bool isQuotationCommand(const QString& command);

// Runs one of them; answers the exit status (0 done, 1 nothing found, 2 bad usage or a file
// that cannot be read). Bad usage is described on standard error by `usage`.
int runQuotationCommand(db::Connection& connection, const QString& command, QStringList args,
                        int (*usage)(const QString& message));

} // namespace catalogue_tool
