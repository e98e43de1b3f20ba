#include "catalogue_check.h"

#include "app/quotation_check.h"

#include <cstdio>

namespace {

void printLine(FILE* out, const QString& text)
{
    const QByteArray bytes = (text + u'\n').toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), out);
}

} // namespace

int checkCommand(db::Connection& connection, const QStringList& args)
{
    if (args.size() != 1) {
        printLine(stderr, QStringLiteral("qmxdiy-catalogue: check takes one quotation number"));
        return 2;
    }
    const std::optional<compat::Check> check = app::checkQuotation(connection, args[0]);
    if (!check) {
        printLine(stderr, QStringLiteral("qmxdiy-catalogue: 没有单据编号为“%1”的装机单").arg(args[0]));
        return 2;
    }
    printLine(stdout, check->powerWatts ? QStringLiteral("预计功耗: %1W").arg(*check->powerWatts)
                                        : QStringLiteral("预计功耗: 未知"));
    for (const QString& warning : check->warnings)
        printLine(stdout, warning);
    return 0;
}
