// A whole catalogue copied from one connection to another, keys and all. Rows travel in
// pages read by key and in inserts of many rows each, so that a copy to a server costs a
// round trip per few hundred rows rather than one per row.
#include "db/catalogue_migration.h"
#include "db/backup.h"
#include "db/connection.h"
#include "db/detail/statement.h"
#include "db/engine.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <climits>
#include <iterator>

namespace db {

namespace {

struct TablePart {
    const char* table;
    const char* orderKey; // an integer every row has, unique: the pages are read by it
    const char16_t* name; // for progress and messages
    bool autoKey;         // the table numbers its rows itself; a copy gives them
};

// In an order that never has a row before the row it names.
const TablePart kTables[] = {
    {"L1", "L1_ID", u"一级分类", true},
    {"L2", "L2_ID", u"二级分类", true},
    {"L3", "L3_ID", u"三级分类", true},
    {"L4", "L4_ID", u"四级分类", true},
    {"HW", "HW_ID", u"产品", true},
    // Keyed by its number; the engine's own row number keeps the order quotations were made in.
    {"QUOTE", "rowid", u"报价单", false},
    {"DIY", "DIY_SYS_ID", u"报价明细", true},
    {"SHOP", "SHOP_ID", u"店铺信息", false},
    {"COMPAT_RULES", "RULE_ID", u"兼容规则", true},
};

// The tables a catalogue holds nothing in until it is used; the others (shop details,
// rules, pictures) every catalogue has, and the copy replaces them.
const char* const kMustBeEmpty[] = {"L1", "L2", "L3", "L4", "HW", "QUOTE", "DIY"};

constexpr qint64 kPageRows = 5000;
// The file engine takes up to 999 values in one statement (older builds); the server 65535.
constexpr int kFileValues = 999;
constexpr int kServerValues = 30000;
constexpr int kRowsPerInsert = 500;
constexpr qint64 kPicturesPerPage = 64;

const QString kPictureName = QStringLiteral("^(\\d+)\\.jpg$");

qint64 single(Engine* engine, const QByteArray& sql)
{
    detail::Statement s(engine, sql);
    return s.step() ? s.integer(0) : 0;
}

void bindCell(Cursor& to, int index, const CellView& v)
{
    switch (v.kind) {
    case CellView::Kind::Null:
        to.bindNull(index);
        break;
    case CellView::Kind::Integer:
        to.bindInteger(index, v.integer);
        break;
    case CellView::Kind::Real:
        to.bindReal(index, v.real);
        break;
    case CellView::Kind::Text:
        to.bindText(index, QByteArray(v.data ? v.data : "", qsizetype(v.length)));
        break;
    case CellView::Kind::Blob:
        to.bindBlob(index, QByteArray(v.data ? v.data : "", qsizetype(v.length)));
        break;
    }
}

// Rows are held until an insert's worth is there, then written by one statement.
class BatchInsert {
public:
    BatchInsert(Engine* engine, const QString& table, const QStringList& columns)
        : engine_(engine), table_(table), columns_(columns)
    {
        const int limit = engine->kind() == EngineKind::Server ? kServerValues : kFileValues;
        rowsPerInsert_ = std::clamp(limit / std::max<int>(1, int(columns.size())), 1, kRowsPerInsert);
    }

    // The current row of `from`, its values from column `first` on.
    void add(const Cursor& from, int first)
    {
        for (int c = 0; c < columns_.size(); ++c) {
            CellView v = from.cell(first + c);
            if (v.kind == CellView::Kind::Text || v.kind == CellView::Kind::Blob) {
                bytes_ << QByteArray(v.data ? v.data : "", qsizetype(v.length));
                v.data = bytes_.back().constData();
            }
            values_ << v;
        }
        if (++rows_ == rowsPerInsert_)
            flush();
    }

    void flush()
    {
        if (rows_ == 0)
            return;
        detail::Statement rest;
        detail::Statement* insert = &rest;
        if (rows_ == rowsPerInsert_) {
            if (!full_)
                full_ = std::make_unique<detail::Statement>(engine_, insertText(rows_));
            insert = full_.get();
        } else {
            rest = detail::Statement(engine_, insertText(rows_));
        }
        for (qsizetype i = 0; i < values_.size(); ++i)
            bindCell(insert->get(), int(i + 1), values_[i]);
        insert->run();
        values_.clear();
        bytes_.clear();
        rows_ = 0;
    }

private:
    QByteArray insertText(int rows) const
    {
        QByteArray one = "(" + QByteArray("?,").repeated(columns_.size());
        one.back() = ')';
        QByteArray sql = "INSERT INTO " + table_.toUtf8() + " (" + columns_.join(u',').toUtf8() + ") VALUES ";
        sql.reserve(sql.size() + rows * (one.size() + 1));
        for (int r = 0; r < rows; ++r) {
            if (r)
                sql += ',';
            sql += one;
        }
        return sql;
    }

    Engine* engine_;
    QString table_;
    QStringList columns_;
    int rowsPerInsert_ = 1;
    int rows_ = 0;
    QList<CellView> values_;
    QList<QByteArray> bytes_; // the texts and blobs the held values point into
    std::unique_ptr<detail::Statement> full_;
};

// The columns copied: the source's, which the target must all have (a newer source would
// otherwise lose what the target cannot hold). The server's own row number is not copied.
QStringList copiedColumns(Engine* from, Engine* to, const QString& table)
{
    QStringList target;
    for (const DeclaredColumn& c : to->tableColumns(table))
        target << c.name.toUpper();
    QStringList columns;
    for (const DeclaredColumn& c : from->tableColumns(table)) {
        const QString name = c.name.toUpper();
        if (name == QLatin1String("ROWID"))
            continue;
        if (!target.contains(name))
            throw DbError(QStringLiteral("目标数据库的表 %1 没有列 %2（它属于较旧版本的程序），无法复制。").arg(table, name));
        columns << name;
    }
    return columns;
}

qint64 copyTable(Engine* from, Engine* to, const TablePart& part, const MigrationProgress& progress)
{
    const QString table = QString::fromLatin1(part.table);
    const QStringList columns = copiedColumns(from, to, table);
    if (columns.isEmpty())
        return 0;
    const QString name = QString::fromUtf16(part.name);
    const qint64 total = single(from, "SELECT count(*) FROM " + table.toUtf8());
    // Page by page: a server's rows come whole into memory, and a big catalogue's pictures
    // and parameters should not all be there at once.
    detail::Statement page(from, QStringLiteral("SELECT %1, %2 FROM %3 WHERE %1 > ? ORDER BY %1 LIMIT %4")
                                     .arg(QLatin1String(part.orderKey), columns.join(u','), table)
                                     .arg(kPageRows));
    BatchInsert insert(to, table, columns);
    qint64 copied = 0, after = LLONG_MIN;
    for (;;) {
        page.bind(1, after);
        qint64 rows = 0;
        while (page.step()) {
            ++rows;
            after = page.integer(0);
            insert.add(page.get(), 1);
        }
        page.reset();
        copied += rows;
        if (progress)
            progress(name, copied, total);
        if (rows < kPageRows)
            break;
    }
    insert.flush();
    return copied;
}

// A file catalogue's pictures folder.
QDir picturesFolderOf(const Connection& c)
{
    return QDir(QFileInfo(c.fileName()).absoluteDir().filePath(QLatin1String(kPicturesFolderName)));
}

// Where pictures come from and go to: the PICS folder beside a file, a server's PICTURE table.
struct Picture {
    qint64 itemId = 0;
    QByteArray bytes;
};

class PictureSource {
public:
    explicit PictureSource(Connection& from) : engine_(from.handle())
    {
        if (engine_->kind() == EngineKind::File) {
            const QDir folder = picturesFolderOf(from);
            const QRegularExpression pattern(kPictureName);
            for (const QString& file : folder.entryList(QDir::Files, QDir::Name)) {
                const auto m = pattern.match(file);
                if (m.hasMatch())
                    files_.append({m.captured(1).toLongLong(), folder.filePath(file)});
            }
            std::sort(files_.begin(), files_.end());
        } else {
            page_ = detail::Statement(engine_, "SELECT HW_ID, PIC_DATA FROM PICTURE WHERE HW_ID > ? ORDER BY HW_ID LIMIT "
                                                   + QByteArray::number(kPicturesPerPage));
        }
    }

    qint64 total()
    {
        return engine_->kind() == EngineKind::File ? files_.size() : single(engine_, "SELECT count(*) FROM PICTURE");
    }

    // The next few pictures; none when all were read.
    QList<Picture> next()
    {
        QList<Picture> pictures;
        if (engine_->kind() == EngineKind::File) {
            for (; fileAt_ < files_.size() && pictures.size() < kPicturesPerPage; ++fileAt_) {
                QFile file(files_[fileAt_].second);
                if (!file.open(QIODevice::ReadOnly))
                    throw DbError(QStringLiteral("无法读取图片“%1”：%2").arg(file.fileName(), file.errorString()));
                pictures.append({files_[fileAt_].first, file.readAll()});
            }
            return pictures;
        }
        if (done_)
            return pictures;
        page_.bind(1, after_);
        while (page_.step()) {
            after_ = page_.integer(0);
            pictures.append({after_, page_.blob(1)});
        }
        page_.reset();
        done_ = pictures.size() < kPicturesPerPage;
        return pictures;
    }

private:
    Engine* engine_;
    QList<std::pair<qint64, QString>> files_;
    qsizetype fileAt_ = 0;
    detail::Statement page_;
    qint64 after_ = LLONG_MIN;
    bool done_ = false;
};

// Pictures written into a target file's PICS folder are removed again unless the copy is kept.
class PictureTarget {
public:
    explicit PictureTarget(Connection& to) : engine_(to.handle())
    {
        if (engine_->kind() == EngineKind::File)
            folder_ = picturesFolderOf(to);
    }
    ~PictureTarget()
    {
        if (!kept_)
            for (const QString& file : written_)
                QFile::remove(file);
    }

    void write(const QList<Picture>& pictures)
    {
        if (pictures.isEmpty())
            return;
        if (engine_->kind() == EngineKind::Server) {
            QByteArray sql = "INSERT INTO PICTURE (HW_ID, PIC_DATA) VALUES (?,?)" + QByteArray(",(?,?)").repeated(pictures.size() - 1);
            detail::Statement insert(engine_, sql);
            for (qsizetype i = 0; i < pictures.size(); ++i)
                insert.bind(int(2 * i + 1), pictures[i].itemId).bindBlob(int(2 * i + 2), pictures[i].bytes);
            insert.run();
            return;
        }
        if (!folder_.exists() && !QDir().mkpath(folder_.path()))
            throw DbError(QStringLiteral("无法建立文件夹“%1”。").arg(folder_.path()));
        for (const Picture& picture : pictures) {
            QFile file(folder_.filePath(QStringLiteral("%1.jpg").arg(picture.itemId)));
            if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
                throw DbError(QStringLiteral("无法写入图片“%1”：%2").arg(file.fileName(), file.errorString()));
            written_ << file.fileName();
            if (file.write(picture.bytes) != picture.bytes.size() || !file.flush())
                throw DbError(QStringLiteral("无法写入图片“%1”：%2").arg(file.fileName(), file.errorString()));
        }
    }
    void keep() { kept_ = true; }

private:
    Engine* engine_;
    QDir folder_;
    QStringList written_;
    bool kept_ = false;
};

qint64 copyPictures(Connection& from, PictureTarget& target, const MigrationProgress& progress)
{
    PictureSource source(from);
    const qint64 total = source.total();
    qint64 copied = 0;
    for (QList<Picture> pictures = source.next(); !pictures.isEmpty(); pictures = source.next()) {
        target.write(pictures);
        copied += pictures.size();
        if (progress)
            progress(QStringLiteral("图片"), copied, total);
    }
    return copied;
}

void refuseUnlessEmpty(Engine* to, const QString& where)
{
    const qint64 categories = single(to, "SELECT (SELECT count(*) FROM L1) + (SELECT count(*) FROM L2)"
                                         " + (SELECT count(*) FROM L3) + (SELECT count(*) FROM L4)");
    const qint64 items = single(to, "SELECT count(*) FROM HW");
    const qint64 quotations = single(to, "SELECT count(*) FROM QUOTE");
    const qint64 lines = single(to, "SELECT count(*) FROM DIY");
    if (categories + items + quotations + lines == 0)
        return;
    QStringList held;
    if (categories)
        held << QStringLiteral("%1 个分类").arg(categories);
    if (items)
        held << QStringLiteral("%1 个产品").arg(items);
    if (quotations)
        held << QStringLiteral("%1 张报价单").arg(quotations);
    if (lines)
        held << QStringLiteral("%1 行报价明细").arg(lines);
    throw TargetNotEmpty(QStringLiteral("目标数据库不是空的（%1 已有 %2），没有复制，目标数据库没有任何改动。")
                             .arg(where, held.join(QStringLiteral("、"))));
}

// A server announces every row written to the other workstations and records who wrote it,
// a statement per row, which would cost most of the time of a copy of a big catalogue. The
// copy switches those triggers off on the tables it writes for the length of its transaction
// (the tables are locked against others meanwhile, and a failure puts the triggers back with
// everything else), and announces the copy once at the end by touching one row with them on.
// Switching triggers needs the tables' owner: anyone else copies with them on, only slower.
class QuietCopy {
public:
    explicit QuietCopy(Engine* to) : to_(to)
    {
        if (to->kind() != EngineKind::Server)
            return;
        to->exec("SAVEPOINT qmx_quiet_copy");
        try {
            run("DISABLE");
            to->exec("RELEASE SAVEPOINT qmx_quiet_copy");
            quiet_ = true;
        } catch (const DbError&) {
            to->exec("ROLLBACK TO SAVEPOINT qmx_quiet_copy");
        }
    }
    // Triggers on again; one row of the first table holding any is written again, which other
    // workstations hear of.
    void finish()
    {
        if (!quiet_)
            return;
        run("ENABLE");
        for (const TablePart& part : kTables) {
            const QByteArray table(part.table), key(part.orderKey);
            if (single(to_, "SELECT count(*) FROM " + table) == 0)
                continue;
            const QByteArray column = to_->tableColumns(QString::fromLatin1(table)).value(0).name.toUtf8();
            to_->exec("UPDATE " + table + " SET " + column + " = " + column + " WHERE " + key + " = (SELECT min(" + key
                      + ") FROM " + table + ")");
            break;
        }
    }

private:
    void run(const char* what)
    {
        QByteArray sql;
        for (const TablePart& part : kTables)
            sql += QByteArray("ALTER TABLE ") + part.table + ' ' + what + " TRIGGER USER;";
        sql += QByteArray("ALTER TABLE PICTURE ") + what + " TRIGGER USER";
        to_->exec(sql);
    }

    Engine* to_;
    bool quiet_ = false;
};

// The source is read as it is at one moment, whatever other workstations write meanwhile.
class ReadSnapshot {
public:
    explicit ReadSnapshot(Engine* from) : from_(from)
    {
        from->exec(from->kind() == EngineKind::Server ? "BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY" : "BEGIN");
        // Both engines fix the moment at the first read, not at BEGIN.
        from->exec("SELECT count(*) FROM L1");
    }
    ~ReadSnapshot() { from_->rollback(); }

private:
    Engine* from_;
};

} // namespace

QString migrationSummary(const MigrationCounts& c)
{
    return QStringLiteral("分类 %1，产品 %2，报价单 %3（明细 %4 行），兼容规则 %5，店铺信息 %6，图片 %7")
        .arg(c.categories)
        .arg(c.items)
        .arg(c.quotations)
        .arg(c.quotationLines)
        .arg(c.rules)
        .arg(c.shopDetails)
        .arg(c.pictures);
}

MigrationCounts migrateCatalogue(Connection& from, Connection& to, const MigrationProgress& progress,
                                 const std::function<void()>& snapshotTaken)
{
    Engine* source = from.handle();
    Engine* target = to.handle();
    if (!source || !target)
        throw DbError(QStringLiteral("复制目录需要两个已打开的数据库连接。"));
    if (source == target || (source->kind() == target->kind() && source->location() == target->location()))
        throw DbError(QStringLiteral("不能把数据库“%1”复制到它自己。").arg(to.fileName()));
    if (source->inTransaction() || target->inTransaction())
        throw DbError(QStringLiteral("复制目录时数据库连接不能在事务中。"));

    MigrationCounts counts;
    ReadSnapshot snapshot(source);
    if (snapshotTaken)
        snapshotTaken();
    PictureTarget pictures(to);
    target->beginWrite();
    try {
        refuseUnlessEmpty(target, to.fileName());
        QuietCopy quiet(target);
        target->exec("DELETE FROM SHOP; DELETE FROM COMPAT_RULES; DELETE FROM PICTURE");
        for (const TablePart& part : kTables) {
            const qint64 rows = copyTable(source, target, part, progress);
            const QByteArray table(part.table);
            if (table.startsWith('L'))
                counts.categories += rows;
            else if (table == "HW")
                counts.items = rows;
            else if (table == "QUOTE")
                counts.quotations = rows;
            else if (table == "DIY")
                counts.quotationLines = rows;
            else if (table == "SHOP")
                counts.shopDetails = rows;
            else if (table == "COMPAT_RULES")
                counts.rules = rows;
            if (part.autoKey)
                target->keysGiven(QString::fromLatin1(part.table), QString::fromLatin1(part.orderKey),
                                  source->keyCounter(QString::fromLatin1(part.table)));
        }
        counts.pictures = copyPictures(from, pictures, progress);
        quiet.finish();
        target->commit();
    } catch (...) {
        target->rollback();
        throw;
    }
    pictures.keep();
    return counts;
}

} // namespace db
