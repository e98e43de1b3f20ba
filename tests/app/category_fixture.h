#pragma once
// A catalogue built row by row for the category tests, a main window over it, and a dialog
// responder that records every dialog and answers prompts from a queue.
#include "app/data_folder.h"
#include "app/main_window.h"
#include "db/catalogue_file.h"
#include "db/connection.h"
#include "db/dataset.h"
#include "db/statements.h"
#include "platform/widgets/dialogs.h"
#include "support/test_paths.h"
#include <gtest/gtest.h>
#include <QApplication>
#include <QList>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <memory>
#include <optional>

namespace category_testing {

// The catalogue file in a temporary folder, with a second connection for arranging rows the
// way another program would.
class Catalogue {
public:
    // On a server (a database of the test server's, empty until the connection makes the
    // catalogue's tables), or else in the catalogue file of the folder.
    explicit Catalogue(QString serverAddress = {}) : server(std::move(serverAddress))
    {
        if (server.isEmpty()) {
            db::createCatalogue(folder.file(QString::fromLatin1(db::kDatabaseFileName)), false);
            connection.setConnectionString(db::ConnectionString::build(app::withSlash(folder.path())));
        } else {
            connection.setConnectionString(server);
        }
        connection.open();
        query = std::make_unique<db::Dataset>(QStringLiteral("fixture"), &connection);
    }

    int l1(const QString& name) { return insert(QStringLiteral("INSERT INTO L1 (L1_NM) VALUES (%1)").arg(lit(name))); }
    int l2(int l1Id, const QString& name) { return child(2, l1Id, name); }
    int l3(int l2Id, const QString& name) { return child(3, l2Id, name); }
    int l4(int l3Id, const QString& name) { return child(4, l3Id, name); }
    int item(int l4Id, const QString& name)
    {
        return insert(QStringLiteral("INSERT INTO HW (L4_ID, HW_MC, HW_JG) VALUES (%1, %2, 100)").arg(l4Id).arg(lit(name)));
    }
    void run(const QString& sql) { connection.execute(sql); }

    // Rows of a statement as "column=value" texts of one column.
    QStringList column(const QString& sql, const QString& name)
    {
        db::openStatement(*query, sql);
        QStringList values;
        for (query->first(); !query->eof(); query->next())
            values << query->value(name).toString();
        query->close();
        return values;
    }
    int count(const QString& sql) { return column(sql, QStringLiteral("n")).value(0).toInt(); }

    QString server; // empty for the file
    testing_support::TempFolder folder;
    db::Connection connection{QStringLiteral("fixture")};

private:
    static QString lit(const QString& text) { return db::statements::textLiteral(text); }
    int child(int level, int parentId, const QString& name)
    {
        return insert(QStringLiteral("INSERT INTO L%1 (L%2_ID, L%1_NM) VALUES (%3, %4)")
                          .arg(level)
                          .arg(level - 1)
                          .arg(parentId)
                          .arg(lit(name)));
    }
    int insert(const QString& sql)
    {
        connection.execute(sql);
        return count(QStringLiteral("select last_insert_rowid() as n"));
    }
    std::unique_ptr<db::Dataset> query;
};

// Records every dialog; prompts and file dialogs take the next queued answer (nothing
// queued: Cancel).
class Dialogs {
public:
    Dialogs()
    {
        previous_ = platform::setDialogResponder([this](const platform::DialogRequest& request) {
            seen.append(request);
            platform::DialogAnswer answer;
            const bool asksForText = request.kind == platform::DialogKind::Prompt
                || request.kind == platform::DialogKind::OpenFile || request.kind == platform::DialogKind::SaveFile;
            if (asksForText) {
                if (answers.isEmpty()) {
                    answer.accepted = false;
                    answer.value = request.defaultValue;
                } else {
                    answer.value = answers.takeFirst();
                }
            } else if (request.kind == platform::DialogKind::Question && question) {
                answer.accepted = *question;
            } else {
                answer.accepted = confirm;
            }
            answer.choice = choice;
            return answer;
        });
    }
    ~Dialogs() { platform::setDialogResponder(previous_); }

    QList<platform::DialogRequest> of(platform::DialogKind kind) const
    {
        QList<platform::DialogRequest> found;
        for (const auto& request : seen)
            if (request.kind == kind)
                found.append(request);
        return found;
    }

    QStringList answers;
    bool confirm = true;
    std::optional<bool> question;                       // Yes/No questions; unset: as `confirm`
    platform::Choice choice = platform::Choice::Yes; // Yes/No/Cancel questions
    QList<platform::DialogRequest> seen;

private:
    platform::DialogResponder previous_;
};

// The main window over the catalogue, created and refreshed.
inline std::unique_ptr<app::TFrm_main> openWindow(const Catalogue& catalogue)
{
    auto w = std::make_unique<app::TFrm_main>(catalogue.folder.path());
    w->setServerAddress(catalogue.server);
    w->shell.Timer1->stop();
    w->FormCreate();
    w->btn_refreshClick();
    return w;
}

// A node by the names on its path, e.g. node(w, {"电脑", "配件"}); null when missing. With equal
// names the occurrence counts (0 for the first).
inline QTreeWidgetItem* node(const app::TFrm_main& w, const QStringList& path, int occurrence = 0)
{
    QTreeWidgetItem* at = nullptr;
    for (int k = 0; k < path.size(); ++k) {
        const int count = at ? at->childCount() : w.tree.tv1->topLevelItemCount();
        QTreeWidgetItem* next = nullptr;
        int seen = 0;
        for (int c = 0; c < count && !next; ++c) {
            QTreeWidgetItem* candidate = at ? at->child(c) : w.tree.tv1->topLevelItem(c);
            if (candidate->text(0) == path[k] && (k + 1 < path.size() || seen++ == occurrence))
                next = candidate;
        }
        if (!next)
            return nullptr;
        at = next;
    }
    return at;
}

// A mouse click on a node: the selection moves, then the click handler runs.
inline void click(app::TFrm_main& w, QTreeWidgetItem* item)
{
    w.tree.tv1->setCurrentItem(item);
    w.i();
}

// A real left click on a node, at the place it is drawn: press and release as the operator
// makes them, so whatever the tree does between the two happens as it does on screen.
inline void mouseClickNode(app::TFrm_main& w, QTreeWidgetItem* item)
{
    QApplication::processEvents();
    w.tree.tv1->scrollToItem(item);
    const QRect place = w.tree.tv1->visualItemRect(item);
    ASSERT_TRUE(place.isValid()) << item->text(0).toStdString() << " is not on screen";
    QTest::mouseClick(w.tree.tv1->viewport(), Qt::LeftButton, {}, place.center());
}

// The values of one column of the rows a dataset holds.
inline QStringList rowsOf(db::Dataset& rows, const QString& column)
{
    QStringList values;
    if (!rows.active())
        return values;
    for (int r = 0; r < rows.recordCount(); ++r)
        values << rows.valueAt(r, rows.fieldIndex(column)).toString();
    return values;
}

} // namespace category_testing
