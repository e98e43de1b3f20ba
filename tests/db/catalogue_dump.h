#pragma once
#include "db/backup.h"
#include "db/connection.h"
#include "db/detail/statement.h"
#include "db/engine.h"
#include <QDir>
#include <QFile>
#include <QMap>
#include <QStringList>

// Everything a catalogue holds, row by row in key order, as text that tells a null from an
// empty text, an integer from a real and a blob from a text: two catalogues are equal when
// their dumps are. The server's own row numbers are left out (they are not the catalogue's).
inline QStringList dumpCatalogue(db::Connection& c)
{
    static const char* const tables[][2] = {{"L1", "L1_ID"}, {"L2", "L2_ID"},         {"L3", "L3_ID"},
                                            {"L4", "L4_ID"}, {"HW", "HW_ID"},         {"QUOTE", "DIY_ID"},
                                            {"DIY", "DIY_SYS_ID"}, {"SHOP", "SHOP_ID"}, {"COMPAT_RULES", "RULE_ID"}};
    QStringList out;
    for (const auto& t : tables) {
        QStringList columns;
        for (const db::DeclaredColumn& column : c.handle()->tableColumns(QString::fromLatin1(t[0])))
            if (column.name != QLatin1String("ROWID"))
                columns << column.name;
        db::detail::Statement s(c.handle(), QStringLiteral("SELECT %1 FROM %2 ORDER BY %3").arg(columns.join(u','), t[0], t[1]));
        while (s.step()) {
            QStringList row{QString::fromLatin1(t[0])};
            for (int i = 0; i < columns.size(); ++i) {
                const db::CellView v = s.get().cell(i);
                switch (v.kind) {
                case db::CellView::Kind::Null: row << QStringLiteral("null"); break;
                case db::CellView::Kind::Integer: row << QStringLiteral("i%1").arg(v.integer); break;
                case db::CellView::Kind::Real: row << QStringLiteral("r%1").arg(v.real, 0, 'g', 17); break;
                case db::CellView::Kind::Text: row << QStringLiteral("t'%1'").arg(QString::fromUtf8(v.data, v.length)); break;
                case db::CellView::Kind::Blob: row << QStringLiteral("b%1").arg(QString::fromLatin1(QByteArray(v.data, v.length).toHex())); break;
                }
            }
            out << row.join(u'|');
        }
    }
    return out;
}

// The product pictures of a catalogue by item: the files in PICS beside a file, the
// PICTURE rows of a server.
inline QMap<qint64, QByteArray> cataloguePictures(db::Connection& c)
{
    QMap<qint64, QByteArray> pictures;
    if (c.isServer()) {
        db::detail::Statement s(c.handle(), "SELECT HW_ID, PIC_DATA FROM PICTURE");
        while (s.step())
            pictures.insert(s.integer(0), s.blob(1));
        return pictures;
    }
    const QDir folder(QFileInfo(c.fileName()).absoluteDir().filePath(QLatin1String(db::kPicturesFolderName)));
    for (const QString& name : folder.entryList(QDir::Files)) {
        QFile f(folder.filePath(name));
        if (name.endsWith(QLatin1String(".jpg")) && f.open(QIODevice::ReadOnly))
            pictures.insert(name.chopped(4).toLongLong(), f.readAll());
    }
    return pictures;
}
