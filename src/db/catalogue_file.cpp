#include "db/catalogue_file.h"
#include "db/connection.h"
#include "db/db_error.h"
#include "db/detail/statement.h"
#include "db/engines/file_engine.h"
#include "db/schema_upgrade.h"
#include "platform/atomic_file.h"
#include "platform/file_failure.h"
#include <sqlcipher/sqlite3.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace db {

namespace {

QString requiredName(const QJsonObject& o, const char* where)
{
    const QString name = o.value(QLatin1String("name")).toString();
    if (name.isEmpty())
        throw DbError(QStringLiteral("catalogue data: a %1 without a name").arg(QLatin1String(where)));
    return name;
}

int loadJson(Engine* handle, const QByteArray& json)
{
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (doc.isNull())
        throw DbError(QStringLiteral("catalogue data: %1 at offset %2").arg(parseError.errorString()).arg(parseError.offset));

    detail::Statement l1(handle, "INSERT INTO L1 (L1_NM) VALUES (?)");
    detail::Statement l2(handle, "INSERT INTO L2 (L1_ID, L2_NM) VALUES (?, ?)");
    detail::Statement l3(handle, "INSERT INTO L3 (L2_ID, L3_NM) VALUES (?, ?)");
    detail::Statement l4(handle, "INSERT INTO L4 (L3_ID, L4_NM) VALUES (?, ?)");
    detail::Statement hw(handle, "INSERT INTO HW (L4_ID, HW_MC, HW_DW, HW_NF, HW_RQ, HW_CS, HW_JG, HW_URL) "
                                 "VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    int items = 0;
    const auto children = [](const QJsonObject& o) { return o.value(QLatin1String("children")).toArray(); };
    for (const auto& v1 : doc.object().value(QLatin1String("categories")).toArray()) {
        const QJsonObject c1 = v1.toObject();
        const qint64 id1 = l1.bind(1, requiredName(c1, "category")).insert();
        for (const auto& v2 : children(c1)) {
            const QJsonObject c2 = v2.toObject();
            const qint64 id2 = l2.bind(1, id1).bind(2, requiredName(c2, "category")).insert();
            for (const auto& v3 : children(c2)) {
                const QJsonObject c3 = v3.toObject();
                const qint64 id3 = l3.bind(1, id2).bind(2, requiredName(c3, "category")).insert();
                for (const auto& v4 : children(c3)) {
                    const QJsonObject c4 = v4.toObject();
                    const qint64 id4 = l4.bind(1, id3).bind(2, requiredName(c4, "category")).insert();
                    for (const auto& vi : c4.value(QLatin1String("items")).toArray()) {
                        const QJsonObject it = vi.toObject();
                        const QString updated = it.value(QLatin1String("updated")).toString();
                        const QString url = it.value(QLatin1String("url")).toString();
                        hw.bind(1, id4)
                            .bind(2, requiredName(it, "item"))
                            .bind(3, it.value(QLatin1String("unit")).toString())
                            .bind(4, qint64(it.value(QLatin1String("year")).toInt()))
                            .bind(5, updated.isEmpty() ? QString() : updated + QStringLiteral(" 00:00:00"))
                            .bind(6, it.value(QLatin1String("specs")).toString())
                            .bind(7, it.value(QLatin1String("price")).toDouble())
                            .bind(8, url.isEmpty() ? QString() : url)
                            .run();
                        ++items;
                    }
                }
            }
        }
    }
    return items;
}

int create(const QString& path, const QByteArray* json)
{
    if (QFileInfo::exists(path))
        throw DbError(QStringLiteral("“%1”已经存在，不会被替换").arg(path));
    const QFileInfo target(path);
    if (!QDir().mkpath(target.absolutePath()))
        throw DbError(QStringLiteral("无法建立文件夹“%1”").arg(target.absolutePath()));
    int items = 0;
    try {
        // The engine writes the new file under the writer's temporary name, and is closed
        // (declared after it) before a failed writer removes that file.
        platform::AtomicFile file(path);
        std::unique_ptr<FileEngine> engine;
        {
            sqlite3* raw = nullptr;
            const QByteArray utf8 = file.temporaryPath().toUtf8();
            const int rc = sqlite3_open_v2(utf8.constData(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
            engine = std::make_unique<FileEngine>(raw, file.temporaryPath());
            if (rc != SQLITE_OK)
                throw DbError(raw ? QString::fromUtf8(sqlite3_errmsg(raw)) : QStringLiteral("out of memory"));
        }
        Engine* handle = engine.get();
        const QByteArray key = QByteArray("PRAGMA key = '") + kDatabasePassword + "'";
        detail::exec(handle, key.constData());
        detail::exec(handle, "BEGIN");
        detail::exec(handle, baseSchema());
        applySchemaSteps(handle);
        if (json)
            items = loadJson(handle, *json);
        detail::exec(handle, "COMMIT");
        engine.reset();
        // Never over an existing file, so a file made meanwhile by another copy wins.
        file.commit(platform::AtomicFile::Replace::Never);
    } catch (const DbError& e) {
        throw DbError(platform::writeFailureText(path, e.text()));
    } catch (const platform::Error& e) {
        throw DbError(e.message());
    }
    return items;
}

} // namespace

void createCatalogue(const QString& path, bool withSample)
{
    if (!withSample) {
        create(path, nullptr);
        return;
    }
    QFile sample(QStringLiteral(":/db/sample_catalogue.json"));
    if (!sample.open(QIODevice::ReadOnly))
        throw DbError(QStringLiteral("程序中缺少示例目录"));
    const QByteArray json = sample.readAll();
    create(path, &json);
}

int createCatalogueFromJson(const QString& path, const QByteArray& json)
{
    return create(path, &json);
}

} // namespace db
