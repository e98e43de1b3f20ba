#define QMX_LIBPQ_LOADER
#include "db/engines/libpq_loader.h"
#include "db/db_error.h"
#include <dlfcn.h>
#include <type_traits>

namespace db::detail {

namespace {

Libpq load()
{
    void* library = dlopen("libpq.so.5", RTLD_NOW | RTLD_LOCAL);
    if (!library)
        throw DbError(QStringLiteral("无法使用数据库服务器：没有找到 PostgreSQL 的客户端库 libpq（请安装 libpq5）。%1")
                          .arg(QString::fromLocal8Bit(dlerror())));
    Libpq api;
    bool complete = true;
    auto find = [&](auto& function, const char* name) {
        function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(dlsym(library, name));
        complete = complete && function;
    };
    find(api.PQbackendPID, "PQbackendPID");
    find(api.PQclear, "PQclear");
    find(api.PQcmdTuples, "PQcmdTuples");
    find(api.PQconnectdbParams, "PQconnectdbParams");
    find(api.PQdescribePrepared, "PQdescribePrepared");
    find(api.PQerrorMessage, "PQerrorMessage");
    find(api.PQexec, "PQexec");
    find(api.PQexecParams, "PQexecParams");
    find(api.PQfinish, "PQfinish");
    find(api.PQfname, "PQfname");
    find(api.PQfreemem, "PQfreemem");
    find(api.PQftype, "PQftype");
    find(api.PQgetisnull, "PQgetisnull");
    find(api.PQgetlength, "PQgetlength");
    find(api.PQgetvalue, "PQgetvalue");
    find(api.PQnfields, "PQnfields");
    find(api.PQnotifies, "PQnotifies");
    find(api.PQntuples, "PQntuples");
    find(api.PQprepare, "PQprepare");
    find(api.PQreset, "PQreset");
    find(api.PQresultErrorField, "PQresultErrorField");
    find(api.PQresultErrorMessage, "PQresultErrorMessage");
    find(api.PQresultStatus, "PQresultStatus");
    find(api.PQsetClientEncoding, "PQsetClientEncoding");
    find(api.PQstatus, "PQstatus");
    find(api.PQtransactionStatus, "PQtransactionStatus");
    if (!complete)
        throw DbError(QStringLiteral("无法使用数据库服务器：PostgreSQL 的客户端库 libpq 版本太旧。"));
    return api;
}

} // namespace

const Libpq& libpq()
{
    // Loaded once; a failed load is tried again the next time a server is named.
    static const Libpq api = load();
    return api;
}

} // namespace db::detail
