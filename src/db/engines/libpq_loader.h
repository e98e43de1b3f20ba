#pragma once
// libpq, loaded the first time a server is named rather than when the program starts: the
// library brings some twenty more (Kerberos, LDAP, TLS) that a program working on a file
// never needs, and loading them costs every start of the report tool a few milliseconds.
// Included once, after <libpq-fe.h>, by the server engine: each PQ function below is then
// called through the loaded library.
#include <libpq-fe.h>

namespace db::detail {

struct Libpq {
    decltype(&::PQbackendPID) PQbackendPID = nullptr;
    decltype(&::PQclear) PQclear = nullptr;
    decltype(&::PQcmdTuples) PQcmdTuples = nullptr;
    decltype(&::PQconnectdbParams) PQconnectdbParams = nullptr;
    decltype(&::PQdescribePrepared) PQdescribePrepared = nullptr;
    decltype(&::PQerrorMessage) PQerrorMessage = nullptr;
    decltype(&::PQexec) PQexec = nullptr;
    decltype(&::PQexecParams) PQexecParams = nullptr;
    decltype(&::PQfinish) PQfinish = nullptr;
    decltype(&::PQfname) PQfname = nullptr;
    decltype(&::PQfreemem) PQfreemem = nullptr;
    decltype(&::PQftype) PQftype = nullptr;
    decltype(&::PQgetisnull) PQgetisnull = nullptr;
    decltype(&::PQgetlength) PQgetlength = nullptr;
    decltype(&::PQgetvalue) PQgetvalue = nullptr;
    decltype(&::PQnfields) PQnfields = nullptr;
    decltype(&::PQnotifies) PQnotifies = nullptr;
    decltype(&::PQntuples) PQntuples = nullptr;
    decltype(&::PQprepare) PQprepare = nullptr;
    decltype(&::PQreset) PQreset = nullptr;
    decltype(&::PQresultErrorField) PQresultErrorField = nullptr;
    decltype(&::PQresultErrorMessage) PQresultErrorMessage = nullptr;
    decltype(&::PQresultStatus) PQresultStatus = nullptr;
    decltype(&::PQsetClientEncoding) PQsetClientEncoding = nullptr;
    decltype(&::PQstatus) PQstatus = nullptr;
    decltype(&::PQtransactionStatus) PQtransactionStatus = nullptr;
};

// The loaded library; throws DbError (in Chinese) when it is not installed.
const Libpq& libpq();

} // namespace db::detail

// The loader itself names the library's functions as they are.
#ifndef QMX_LIBPQ_LOADER
#define PQbackendPID (::db::detail::libpq().PQbackendPID)
#define PQclear (::db::detail::libpq().PQclear)
#define PQcmdTuples (::db::detail::libpq().PQcmdTuples)
#define PQconnectdbParams (::db::detail::libpq().PQconnectdbParams)
#define PQdescribePrepared (::db::detail::libpq().PQdescribePrepared)
#define PQerrorMessage (::db::detail::libpq().PQerrorMessage)
#define PQexec (::db::detail::libpq().PQexec)
#define PQexecParams (::db::detail::libpq().PQexecParams)
#define PQfinish (::db::detail::libpq().PQfinish)
#define PQfname (::db::detail::libpq().PQfname)
#define PQfreemem (::db::detail::libpq().PQfreemem)
#define PQftype (::db::detail::libpq().PQftype)
#define PQgetisnull (::db::detail::libpq().PQgetisnull)
#define PQgetlength (::db::detail::libpq().PQgetlength)
#define PQgetvalue (::db::detail::libpq().PQgetvalue)
#define PQnfields (::db::detail::libpq().PQnfields)
#define PQnotifies (::db::detail::libpq().PQnotifies)
#define PQntuples (::db::detail::libpq().PQntuples)
#define PQprepare (::db::detail::libpq().PQprepare)
#define PQreset (::db::detail::libpq().PQreset)
#define PQresultErrorField (::db::detail::libpq().PQresultErrorField)
#define PQresultErrorMessage (::db::detail::libpq().PQresultErrorMessage)
#define PQresultStatus (::db::detail::libpq().PQresultStatus)
#define PQsetClientEncoding (::db::detail::libpq().PQsetClientEncoding)
#define PQstatus (::db::detail::libpq().PQstatus)
#define PQtransactionStatus (::db::detail::libpq().PQtransactionStatus)
#endif
