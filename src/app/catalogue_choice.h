#pragma once
#include <QString>
#include <QStringList>

namespace app {

// Which catalogue this workstation opens: the data folder's file (an empty address) or a
// database on a PostgreSQL server. The choice is a setting of the workstation, kept with the
// window's placement ($XDG_CONFIG_HOME/qmxdiy/qmxdiy.conf), always without a password.
QString rememberedServer();
void rememberServer(const QString& address);

// The server given on the command line with --server URL (or --server=URL); empty when none.
// A --server without an address, or one that is no PostgreSQL URI, sets `error`.
QString serverOption(const QStringList& arguments, QString* error);

// The server to open at this start: the one given with --server (remembered for the next
// starts, its password moved into the password file), else the one remembered; empty for the
// data folder's file.
QString serverForStart(const QStringList& arguments, QString* error);

} // namespace app
