#include "catalogue_quotation_commands.h"
#include "app/shop_logo.h"
#include "db/quotation_records.h"
#include "db/shop_details.h"
#include "platform/operator_text.h"
#include <QMap>
#include <cstdio>

namespace catalogue_tool {

const char* const kQuotationHelp =
    "  shop [--name T] [--address T] [--phone T] [--note T] [--logo FILE | --no-logo]\n"
    "                  set the shop's details printed on every quotation sheet; then, and\n"
    "                  with no option, print them one per line\n"
    "  quotation NUMBER [--customer T] [--phone T] [--note T]\n"
    "                  set the quotation's customer, then print the quotation's details\n"
    "  quotations [--search TEXT]\n"
    "                  the quotations, newest first, one a line: number, name, customer,\n"
    "                  phone, date (yyyy-MM-dd), lines, total (separated by tabs); --search\n"
    "                  keeps those whose number, name, customer or phone holds its words\n";

namespace {

enum Exit { kDone = 0, kNotFound = 1 };

void print(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

// A value on one line (of the listing or a tab-separated field).
QString oneLine(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    for (const QChar c : {u'\r', u'\n', u'\t'})
        text.replace(c, u' ');
    return text;
}

// "--name VALUE" pairs of the allowed names; false (and `bad` set) for anything else.
bool readOptions(const QStringList& args, const QStringList& allowed, const QStringList& flags,
                 QMap<QString, QString>& values, QString& bad)
{
    for (qsizetype k = 0; k < args.size(); ++k) {
        const QString& option = args[k];
        if (flags.contains(option)) {
            values[option] = QString();
        } else if (allowed.contains(option) && k + 1 < args.size()) {
            values[option] = args[++k];
        } else {
            bad = allowed.contains(option) ? option + QStringLiteral(" needs a value") : QStringLiteral("unknown option ") + option;
            return false;
        }
    }
    return true;
}

int shopCommand(db::Connection& connection, const QStringList& args, int (*usage)(const QString&))
{
    QMap<QString, QString> o;
    QString bad;
    const QStringList texts{QStringLiteral("--name"), QStringLiteral("--address"), QStringLiteral("--phone"),
                            QStringLiteral("--note"), QStringLiteral("--logo")};
    if (!readOptions(args, texts, {QStringLiteral("--no-logo")}, o, bad))
        return usage(QStringLiteral("shop: ") + bad);
    if (o.contains(QStringLiteral("--logo")) && o.contains(QStringLiteral("--no-logo")))
        return usage(QStringLiteral("shop takes --logo FILE or --no-logo, not both"));
    db::ShopDetails shop = db::loadShopDetails(connection);
    if (!o.isEmpty()) {
        shop.name = o.value(QStringLiteral("--name"), shop.name);
        shop.address = o.value(QStringLiteral("--address"), shop.address);
        shop.phone = o.value(QStringLiteral("--phone"), shop.phone);
        shop.note = o.value(QStringLiteral("--note"), shop.note);
        if (o.contains(QStringLiteral("--logo")))
            shop.logo = app::logoPicture(o.value(QStringLiteral("--logo")));
        if (o.contains(QStringLiteral("--no-logo")))
            shop.logo.clear();
        db::saveShopDetails(connection, shop);
    }
    print(QStringLiteral("名称: %1\n地址: %2\n电话: %3\n备注: %4\n")
              .arg(oneLine(shop.name), oneLine(shop.address), oneLine(shop.phone), oneLine(shop.note)));
    print(shop.logo.isEmpty() ? QStringLiteral("标志: 无\n") : QStringLiteral("标志: 有 (%1 字节)\n").arg(shop.logo.size()));
    return kDone;
}

// "yyyy-MM-dd HH:mm:ss" as stored, cut to the first `size` characters.
QString dateOf(const db::QuotationRecord& q, int size)
{
    return q.created.left(size);
}

int quotationCommand(db::Connection& connection, QStringList args, int (*usage)(const QString&))
{
    if (args.isEmpty() || args[0].startsWith(QLatin1String("--")))
        return usage(QStringLiteral("quotation takes NUMBER [--customer T] [--phone T] [--note T]"));
    const QString number = args.takeFirst();
    QMap<QString, QString> o;
    QString bad;
    if (!readOptions(args, {QStringLiteral("--customer"), QStringLiteral("--phone"), QStringLiteral("--note")}, {}, o, bad))
        return usage(QStringLiteral("quotation: ") + bad);
    std::optional<db::QuotationRecord> q = db::findQuotation(connection, number);
    if (!q) {
        std::fprintf(stderr, "qmxdiy-catalogue: %s\n", qPrintable(QStringLiteral("没有单据编号为“%1”的装机单。").arg(number)));
        return kNotFound;
    }
    if (!o.isEmpty()) {
        db::saveCustomer(connection, q->number, o.value(QStringLiteral("--customer"), q->customer),
                         o.value(QStringLiteral("--phone"), q->phone), o.value(QStringLiteral("--note"), q->note));
        q = db::findQuotation(connection, number);
    }
    print(QStringLiteral("编号: %1\n名称: %2\n客户: %3\n电话: %4\n备注: %5\n日期: %6\n行数: %7\n金额: %8\n")
              .arg(oneLine(q->number), oneLine(q->name), oneLine(q->customer), oneLine(q->phone), oneLine(q->note),
                   dateOf(*q, 16))
              .arg(q->lines)
              .arg(platform::formatGeneral(q->total, u".")));
    return kDone;
}

int quotationsCommand(db::Connection& connection, const QStringList& args, int (*usage)(const QString&))
{
    QMap<QString, QString> o;
    QString bad;
    if (!readOptions(args, {QStringLiteral("--search")}, {}, o, bad))
        return usage(QStringLiteral("quotations: ") + bad);
    const QList<db::QuotationRecord> list = db::listQuotations(connection, o.value(QStringLiteral("--search")));
    for (const db::QuotationRecord& q : list)
        print(QStringList{oneLine(q.number), oneLine(q.name), oneLine(q.customer), oneLine(q.phone),
                          dateOf(q, 10), QString::number(q.lines),
                          platform::formatGeneral(q.total, u".")}
                  .join(u'\t')
              + u'\n');
    return list.isEmpty() && o.contains(QStringLiteral("--search")) ? kNotFound : kDone;
}

} // namespace

bool isQuotationCommand(const QString& command)
{
    return command == QLatin1String("shop") || command == QLatin1String("quotation")
        || command == QLatin1String("quotations");
}

int runQuotationCommand(db::Connection& connection, const QString& command, QStringList args,
                        int (*usage)(const QString& message))
{
    if (command == QLatin1String("shop"))
        return shopCommand(connection, args, usage);
    if (command == QLatin1String("quotation"))
        return quotationCommand(connection, std::move(args), usage);
    return quotationsCommand(connection, args, usage);
}

} // namespace catalogue_tool
