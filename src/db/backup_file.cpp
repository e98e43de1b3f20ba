#include "db/db_error.h"
#include "db/detail/backup_format.h"
#include "platform/atomic_file.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtEndian>
#include <algorithm>
#include <cstring>

namespace db {

namespace {

struct CauseName {
    BackupCause cause;
    const char* key;
    const char16_t* text;
};

const CauseName kCauses[] = {
    {BackupCause::Start, "start", u"每日启动"},
    {BackupCause::Manual, "manual", u"手动"},
    {BackupCause::Compaction, "compaction", u"压缩数据库前"},
    {BackupCause::Import, "import", u"导入价格表前"},
    {BackupCause::QuotationDelete, "quotation-delete", u"删除清单前"},
    {BackupCause::CategoryDelete, "category-delete", u"删除分类前"},
    {BackupCause::Restore, "restore", u"恢复备份前"},
};

constexpr char kMagic[] = "QMXDIYBK";
constexpr char kEndMark[] = "QMXBKEND";
constexpr qint64 kHeadSize = 16;
constexpr qint64 kFootSize = 24;
constexpr qint64 kMaxIndexSize = 64 * 1024 * 1024;
constexpr qint64 kChunk = 1 << 20;
const QString kTimeFormat = QStringLiteral("yyyyMMdd-HHmmss");

QString fileNameOf(const QString& path)
{
    return QFileInfo(path).fileName();
}

[[noreturn]] void refuse(const QString& text)
{
    throw DbError(text);
}

QString cutShortText(const QString& path)
{
    return QStringLiteral("备份文件“%1”不完整（可能在制作时中断或被截断），不能使用。").arg(fileNameOf(path));
}

QString otherProgramText(const QString& path)
{
    return QStringLiteral("“%1”不是本程序的备份文件，不能使用。").arg(fileNameOf(path));
}

void checkFormat(quint32 format, const QString& path)
{
    if (format > detail::kBackupFormat)
        refuse(QStringLiteral("备份文件“%1”是更新版本的程序制作的（格式 %2），本程序只能读取格式 %3 及以前的备份。"
                              "请用新版本的程序恢复它。")
                   .arg(fileNameOf(path))
                   .arg(format)
                   .arg(detail::kBackupFormat));
    if (format == 0)
        refuse(detail::damagedBackupText(path));
}

QByteArray readAt(QFile& file, qint64 offset, qint64 size)
{
    if (!file.seek(offset))
        return {};
    return file.read(size);
}

detail::BackupSection sectionFrom(const QJsonObject& o)
{
    detail::BackupSection s;
    s.name = o.value(QLatin1String("name")).toString();
    s.offset = qint64(o.value(QLatin1String("offset")).toDouble(-1));
    s.size = qint64(o.value(QLatin1String("size")).toDouble(-1));
    s.md5 = o.value(QLatin1String("md5")).toString().toLatin1();
    return s;
}

QJsonObject sectionJson(const detail::BackupSection& s)
{
    QJsonObject o{{QStringLiteral("offset"), double(s.offset)},
                  {QStringLiteral("size"), double(s.size)},
                  {QStringLiteral("md5"), QString::fromLatin1(s.md5)}};
    if (!s.name.isEmpty())
        o.insert(QStringLiteral("name"), s.name);
    return o;
}

// A picture's name as it will be written into PICS: a plain file name, nothing that could
// reach outside the folder.
bool isPlainFileName(const QString& name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
        && !name.contains(QLatin1Char('/')) && !name.contains(QChar(0));
}

void checkSections(const detail::BackupIndex& index, qint64 indexOffset, const QString& path)
{
    auto fits = [&](const detail::BackupSection& s) {
        return s.offset >= kHeadSize && s.size >= 0 && s.offset + s.size <= indexOffset && s.md5.size() == 32;
    };
    if (!fits(index.database) || index.database.size == 0)
        refuse(detail::damagedBackupText(path));
    for (const detail::BackupSection& picture : index.pictures)
        if (!fits(picture) || !isPlainFileName(picture.name))
            refuse(detail::damagedBackupText(path));
}

detail::BackupIndex parseIndex(const QByteArray& json, qint64 indexOffset, const QString& path)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        refuse(detail::damagedBackupText(path));
    const QJsonObject o = document.object();
    detail::BackupIndex index;
    index.info.path = path;
    index.info.name = QFileInfo(path).completeBaseName();
    index.info.time = QDateTime::fromString(o.value(QLatin1String("created")).toString(), Qt::ISODate);
    const auto cause = causeFromKey(o.value(QLatin1String("cause")).toString());
    if (!index.info.time.isValid() || !cause)
        refuse(detail::damagedBackupText(path));
    index.info.cause = *cause;
    const QJsonObject counts = o.value(QLatin1String("counts")).toObject();
    index.info.counts = {qint64(counts.value(QLatin1String("categories")).toDouble()),
                         qint64(counts.value(QLatin1String("items")).toDouble()),
                         qint64(counts.value(QLatin1String("quotations")).toDouble()),
                         qint64(counts.value(QLatin1String("pictures")).toDouble())};
    index.userVersion = qint64(o.value(QLatin1String("userVersion")).toDouble());
    index.database = sectionFrom(o.value(QLatin1String("database")).toObject());
    for (const QJsonValue& picture : o.value(QLatin1String("pictures")).toArray())
        index.pictures << sectionFrom(picture.toObject());
    checkSections(index, indexOffset, path);
    return index;
}

} // namespace

QString causeKey(BackupCause cause)
{
    for (const CauseName& c : kCauses)
        if (c.cause == cause)
            return QString::fromLatin1(c.key);
    return {};
}

QString causeText(BackupCause cause)
{
    for (const CauseName& c : kCauses)
        if (c.cause == cause)
            return QString::fromUtf16(c.text);
    return {};
}

std::optional<BackupCause> causeFromKey(const QString& key)
{
    for (const CauseName& c : kCauses)
        if (key == QLatin1String(c.key))
            return c.cause;
    return std::nullopt;
}

bool madeBeforeStep(BackupCause cause)
{
    return cause != BackupCause::Start && cause != BackupCause::Manual;
}

QString backupFileName(const QDateTime& time, BackupCause cause)
{
    return time.toString(kTimeFormat) + QLatin1Char('-') + causeKey(cause) + QLatin1String(kBackupSuffix);
}

namespace detail {

QString damagedBackupText(const QString& path)
{
    return QStringLiteral("备份文件“%1”已损坏，不能使用。").arg(fileNameOf(path));
}

BackupIndex readBackupIndex(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        refuse(QStringLiteral("无法打开备份文件“%1”：%2").arg(path, file.errorString()));
    const qint64 size = file.size();
    const QByteArray head = file.read(kHeadSize);
    const QByteArray magic = QByteArray::fromRawData(kMagic, 8);
    if (!head.startsWith(magic.left(head.size())) || head.isEmpty())
        refuse(otherProgramText(path));
    if (head.size() < kHeadSize)
        refuse(cutShortText(path));
    checkFormat(qFromLittleEndian<quint32>(head.constData() + 8), path);
    if (size < kHeadSize + kFootSize)
        refuse(cutShortText(path));
    const QByteArray foot = readAt(file, size - kFootSize, kFootSize);
    if (foot.size() != kFootSize || !foot.endsWith(QByteArray::fromRawData(kEndMark, 8)))
        refuse(cutShortText(path));
    const auto indexOffset = qint64(qFromLittleEndian<quint64>(foot.constData()));
    const qint64 indexSize = qFromLittleEndian<quint32>(foot.constData() + 8);
    checkFormat(qFromLittleEndian<quint32>(foot.constData() + 12), path);
    if (indexOffset < kHeadSize || indexSize > kMaxIndexSize || indexOffset + indexSize != size - kFootSize)
        refuse(damagedBackupText(path));
    BackupIndex index = parseIndex(readAt(file, indexOffset, indexSize), indexOffset, path);
    index.info.size = size;
    return index;
}

void copySection(QIODevice& backup, const BackupSection& section, QIODevice& out, const QString& backupPath)
{
    if (!backup.seek(section.offset))
        refuse(damagedBackupText(backupPath));
    QCryptographicHash md5(QCryptographicHash::Md5);
    for (qint64 left = section.size; left > 0;) {
        const QByteArray chunk = backup.read(std::min(left, kChunk));
        if (chunk.isEmpty())
            refuse(cutShortText(backupPath));
        md5.addData(chunk);
        if (out.write(chunk) != chunk.size())
            throw DbError(QStringLiteral("写入失败：%1").arg(out.errorString()));
        left -= chunk.size();
    }
    if (md5.result().toHex() != section.md5)
        refuse(damagedBackupText(backupPath));
}

BackupWriter::BackupWriter(const QString& target) : file_(std::make_unique<platform::AtomicFile>(target))
{
    QByteArray head(kMagic, 8);
    char numbers[8] = {};
    qToLittleEndian<quint32>(kBackupFormat, numbers);
    head.append(numbers, 8);
    file_->write(head);
    written_ = head.size();
}

BackupWriter::~BackupWriter() = default;

bool BackupWriter::addFile(const QString& path, BackupSection& section)
{
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    section.offset = written_;
    QCryptographicHash md5(QCryptographicHash::Md5);
    for (;;) {
        const QByteArray chunk = in.read(kChunk);
        if (chunk.isEmpty())
            break;
        md5.addData(chunk);
        if (file_->write(chunk) != chunk.size())
            break; // commit() reports the write failure
        written_ += chunk.size();
    }
    if (in.error() != QFileDevice::NoError)
        throw DbError(QStringLiteral("无法读取“%1”：%2").arg(path, in.errorString()));
    section.size = written_ - section.offset;
    section.md5 = md5.result().toHex();
    return true;
}

void BackupWriter::commit(const BackupIndex& index)
{
    QJsonArray pictures;
    for (const BackupSection& picture : index.pictures)
        pictures.append(sectionJson(picture));
    const CatalogueCounts& c = index.info.counts;
    const QJsonObject o{
        {QStringLiteral("program"), QStringLiteral("qmxdiy")},
        // To the millisecond: backups made within one second (the day's first start, then a
        // delete) still list in the order they were made.
        {QStringLiteral("created"),
         index.info.time.toOffsetFromUtc(index.info.time.offsetFromUtc()).toString(Qt::ISODateWithMs)},
        {QStringLiteral("cause"), causeKey(index.info.cause)},
        {QStringLiteral("counts"), QJsonObject{{QStringLiteral("categories"), double(c.categories)},
                                               {QStringLiteral("items"), double(c.items)},
                                               {QStringLiteral("quotations"), double(c.quotations)},
                                               {QStringLiteral("pictures"), double(c.pictures)}}},
        {QStringLiteral("userVersion"), double(index.userVersion)},
        {QStringLiteral("database"), sectionJson(index.database)},
        {QStringLiteral("pictures"), pictures}};
    const QByteArray json = QJsonDocument(o).toJson(QJsonDocument::Compact);
    char foot[kFootSize] = {};
    qToLittleEndian<quint64>(quint64(written_), foot);
    qToLittleEndian<quint32>(quint32(json.size()), foot + 8);
    qToLittleEndian<quint32>(kBackupFormat, foot + 12);
    std::memcpy(foot + 16, kEndMark, 8);
    file_->write(json);
    file_->write(foot, kFootSize);
    file_->commit(platform::AtomicFile::Replace::Never);
}

} // namespace detail

BackupInfo readBackupInfo(const QString& path)
{
    return detail::readBackupIndex(path).info;
}

QList<BackupInfo> listBackups(const QString& folder)
{
    QList<BackupInfo> backups;
    const QStringList names =
        QDir(folder).entryList({QLatin1Char('*') + QLatin1String(kBackupSuffix)}, QDir::Files, QDir::Name);
    for (const QString& name : names) {
        try {
            backups << readBackupInfo(QDir(folder).filePath(name));
        } catch (const DbError&) {
            // Not a whole backup: not listed.
        }
    }
    std::sort(backups.begin(), backups.end(), [](const BackupInfo& a, const BackupInfo& b) {
        return a.time != b.time ? a.time > b.time : a.name > b.name;
    });
    return backups;
}

QString findBackup(const QString& folder, const QString& nameOrPath)
{
    if (QFileInfo(nameOrPath).isFile())
        return QFileInfo(nameOrPath).absoluteFilePath();
    QString name = nameOrPath;
    if (!name.endsWith(QLatin1String(kBackupSuffix)))
        name += QLatin1String(kBackupSuffix);
    const QString path = QDir(folder).filePath(name);
    if (!QFileInfo(path).isFile())
        throw DbError(QStringLiteral("备份文件夹“%1”中没有名为“%2”的备份。").arg(folder, nameOrPath));
    return path;
}

} // namespace db
