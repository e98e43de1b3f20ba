// Reading a price list: the header row names the columns, every other row becomes a price-list
// row or a refused row with its reason. Everything in the file is untrusted text.
#include "platform/csv_text.h"
#include "db/db_error.h"
#include "db/price_list.h"
#include "db/search_text.h"
#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <cmath>

namespace db {

namespace {

enum class Column { L1, L2, L3, L4, Deeper, Path, Name, Parameters, Price, WebAddress, Other };

Column columnNamed(const QString& title)
{
    static const QList<std::pair<QStringList, Column>> kNames = {
        {{"一级分类", "l1_nm"}, Column::L1},
        {{"二级分类", "l2_nm"}, Column::L2},
        {{"三级分类", "l3_nm"}, Column::L3},
        {{"四级分类", "l4_nm"}, Column::L4},
        {{"五级分类", "六级分类", "l5_nm", "l6_nm"}, Column::Deeper},
        {{"分类", "分类路径", "类别"}, Column::Path},
        {{"名称", "产品名称", "hw_mc"}, Column::Name},
        {{"详细参数", "参数", "hw_cs"}, Column::Parameters},
        {{"价格", "hw_jg"}, Column::Price},
        {{"网址", "hw_url"}, Column::WebAddress},
    };
    const QString key = halfWidth(title).trimmed().toLower();
    for (const auto& [names, column] : kNames)
        if (names.contains(key))
            return column;
    return Column::Other;
}

struct Layout {
    QList<Column> columns;
    bool hasLevels = false;
};

Layout layoutOf(const platform::csv::Record& header)
{
    Layout layout;
    int levels = 0;
    bool hasName = false, hasPath = false;
    for (const QString& title : header.fields) {
        const Column c = columnNamed(title);
        layout.columns.append(c);
        levels += c >= Column::L1 && c <= Column::L4 ? 1 : 0;
        hasName = hasName || c == Column::Name;
        hasPath = hasPath || c == Column::Path;
    }
    if (!header.error.isEmpty())
        throw DbError(QStringLiteral("第%1行（标题行）无法读取：%2").arg(header.line).arg(header.error));
    if (!hasName)
        throw DbError(QStringLiteral("第%1行不是价格表的标题行：找不到“名称”列").arg(header.line));
    if (levels != 4 && !hasPath)
        throw DbError(QStringLiteral("标题行缺少分类列：需要“一级分类”到“四级分类”四列，或一个“分类”列"));
    layout.hasLevels = levels == 4;
    return layout;
}

// Control characters other than the line breaks and tabs that parameters may hold.
QString faultOf(const QString& text, bool multiLine)
{
    for (QChar c : text) {
        if (c == QChar::ReplacementCharacter)
            return QStringLiteral("含有无法识别的字符（文件编码有误？）");
        const bool allowed = multiLine && (c == QLatin1Char('\n') || c == QLatin1Char('\t'));
        if ((c.unicode() < 0x20 || c.unicode() == 0x7F) && !allowed)
            return QStringLiteral("含有控制字符");
    }
    return {};
}

QString shortened(const QString& text)
{
    return text.size() > 20 ? text.left(20) + QStringLiteral("…") : text;
}

// The path and its fault, from four level columns or one path column.
QString readPath(const QStringList& levels, const QString& pathText, bool hasLevels, bool deeper, QStringList& path)
{
    if (hasLevels) {
        path = levels;
    } else {
        static const QRegularExpression separators(QStringLiteral("\\s*[/>]\\s*"));
        path = halfWidth(pathText).split(separators);
        if (path.size() == 1 && path[0].trimmed().isEmpty())
            path.clear();
    }
    for (QString& name : path)
        name = name.trimmed();
    while (!path.isEmpty() && path.back().isEmpty() && hasLevels)
        path.removeLast();
    if (deeper || path.size() > 4)
        return QStringLiteral("分类超过四级");
    if (path.size() < 4 || path.contains(QString()))
        return QStringLiteral("分类不足四级（产品只能放在第四级分类下）");
    for (const QString& name : path) {
        if (name.size() > kCategoryNameLength)
            return QStringLiteral("分类名超过%1个字符").arg(kCategoryNameLength);
        if (const QString fault = faultOf(name, false); !fault.isEmpty())
            return QStringLiteral("分类名") + fault;
    }
    return {};
}

// The fields of a data row by column; `empty` when every field is blank.
struct RowFields {
    QStringList levels = QStringList(4);
    QString pathText, priceText;
    bool deeper = false, empty = true;
};

RowFields collectFields(const Layout& layout, const platform::csv::Record& record, PriceListRow& row)
{
    RowFields f;
    for (qsizetype k = 0; k < record.fields.size(); ++k) {
        // The export's guard against spreadsheet formulas comes off again.
        const QString v = platform::csv::unguardedFormula(record.fields[k]);
        f.empty = f.empty && v.trimmed().isEmpty();
        switch (k < layout.columns.size() ? layout.columns[k] : Column::Other) {
        case Column::L1: case Column::L2: case Column::L3: case Column::L4:
            f.levels[static_cast<int>(layout.columns[k]) - static_cast<int>(Column::L1)] = v;
            break;
        case Column::Deeper: f.deeper = f.deeper || !v.trimmed().isEmpty(); break;
        case Column::Path: f.pathText = v; break;
        case Column::Name: row.name = v.trimmed(); break;
        case Column::Parameters: row.parameters = v; break;
        case Column::Price: f.priceText = v; break;
        case Column::WebAddress: row.webAddress = v.trimmed(); break;
        case Column::Other: break;
        }
    }
    return f;
}

// The first reason the row's texts cannot go into the catalogue, empty when they can.
QString textFault(const PriceListRow& row)
{
    if (row.name.isEmpty())
        return QStringLiteral("缺少名称");
    if (row.name.size() > kItemNameLength)
        return QStringLiteral("名称超过%1个字符").arg(kItemNameLength);
    if (row.webAddress.size() > kWebAddressLength)
        return QStringLiteral("网址超过%1个字符").arg(kWebAddressLength);
    if (const QString fault = faultOf(row.name, false); !fault.isEmpty())
        return QStringLiteral("名称") + fault;
    if (const QString fault = faultOf(row.webAddress, false); !fault.isEmpty())
        return QStringLiteral("网址") + fault;
    if (const QString fault = faultOf(row.parameters, true); !fault.isEmpty())
        return QStringLiteral("详细参数") + fault;
    return {};
}

// One data row: a usable row, or the reason it is refused. Empty rows answer neither.
std::optional<PriceListRow> readRow(const Layout& layout, const platform::csv::Record& record, QChar delimiter, QString& reason)
{
    PriceListRow row;
    row.line = record.line;
    const RowFields f = collectFields(layout, record, row);
    if (!record.error.isEmpty()) {
        reason = record.error;
        return std::nullopt;
    }
    if (f.empty)
        return std::nullopt;
    reason = readPath(f.levels, f.pathText, layout.hasLevels, f.deeper, row.path);
    if (reason.isEmpty())
        reason = textFault(row);
    if (reason.isEmpty() && !f.priceText.trimmed().isEmpty()) {
        row.price = parsePrice(f.priceText, delimiter);
        if (!row.price)
            reason = QStringLiteral("价格不是数字：“%1”").arg(shortened(f.priceText.simplified()));
    }
    if (!reason.isEmpty())
        return std::nullopt;
    return row;
}

} // namespace

QStringList priceListHeader()
{
    return {QStringLiteral("一级分类"), QStringLiteral("二级分类"), QStringLiteral("三级分类"), QStringLiteral("四级分类"),
            QStringLiteral("名称"), QStringLiteral("详细参数"), QStringLiteral("价格"), QStringLiteral("网址")};
}

std::optional<double> parsePrice(const QString& text, QChar delimiter)
{
    QString t = halfWidth(text).trimmed();
    if (t.startsWith(QChar(0xA5)) || t.startsWith(QChar(0xFFE5)))
        t = t.mid(1).trimmed();
    else if (t.endsWith(QChar(0x5143))) // 元
        t = t.chopped(1).trimmed();
    static const QRegularExpression grouped(QStringLiteral("^\\d{1,3}(,\\d{3})+(\\.\\d+)?$"));
    static const QRegularExpression decimalComma(QStringLiteral("^\\d+,\\d+$"));
    static const QRegularExpression plain(QStringLiteral("^(\\d+(\\.\\d*)?|\\.\\d+)([eE][+-]?\\d{1,3})?$"));
    if (grouped.match(t).hasMatch())
        t.remove(QLatin1Char(','));
    else if (delimiter != QLatin1Char(',') && decimalComma.match(t).hasMatch())
        t.replace(QLatin1Char(','), QLatin1Char('.')); // a semicolon list from a decimal-comma locale
    if (!plain.match(t).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double value = t.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

QString formatPrice(double price)
{
    // Plain decimal digits, never an exponent ("100000", not "1e+05"), still the shortest
    // text that reads back as the same number.
    return QString::number(price, 'f', QLocale::FloatingPointShortest);
}

PriceListFile readPriceList(const QByteArray& bytes, const Progress& progress)
{
    if (bytes.size() > kMaxPriceListBytes)
        throw DbError(QStringLiteral("文件太大（%1 MB），价格表最大 %2 MB")
                          .arg(bytes.size() / (1024 * 1024))
                          .arg(kMaxPriceListBytes / (1024 * 1024)));
    const platform::csv::Decoded decoded = platform::csv::decode(bytes);
    PriceListFile file;
    file.encoding = decoded.encoding;
    file.delimiter = platform::csv::detectDelimiter(decoded.text);
    platform::csv::Reader reader(decoded.text, file.delimiter);
    platform::csv::Record record;
    if (!reader.next(record))
        throw DbError(QStringLiteral("文件是空的，没有价格表的标题行"));
    const Layout layout = layoutOf(record);
    for (int count = 0; reader.next(record); ++count) {
        QString reason;
        if (auto row = readRow(layout, record, file.delimiter, reason))
            file.rows.append(std::move(*row));
        else if (!reason.isEmpty())
            file.refused.append({record.line, reason});
        if (progress && count % 4096 == 0 && !progress(reader.position(), decoded.text.size()))
            throw DbError(QStringLiteral("已取消"));
    }
    return file;
}

PriceListFile readPriceListFile(const QString& path, const Progress& progress)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw DbError(QStringLiteral("无法读取文件“%1”：%2").arg(path, file.errorString()));
    if (file.size() > kMaxPriceListBytes)
        throw DbError(QStringLiteral("文件太大（%1 MB），价格表最大 %2 MB")
                          .arg(file.size() / (1024 * 1024))
                          .arg(kMaxPriceListBytes / (1024 * 1024)));
    const QByteArray bytes = file.read(kMaxPriceListBytes + 1);
    if (file.error() != QFileDevice::NoError)
        throw DbError(QStringLiteral("无法读取文件“%1”：%2").arg(path, file.errorString()));
    return readPriceList(bytes, progress);
}

} // namespace db
