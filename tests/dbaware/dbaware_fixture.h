#pragma once
#include "db/dataset.h"
#include "db/connection.h"
#include "platform/widgets/dialogs.h"
#include "support/test_paths.h"
#include <QList>
#include <gtest/gtest.h>
#include <memory>

// A fresh encrypted catalogue with a few hardware items, one open connection, and dialogs
// answered by the test: confirmations by `confirmAnswer`, every request recorded.
class DbawareTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Items "item 1" .. "item n" under category 1, priced 10, 20, ...
    void addItems(int count);
    std::unique_ptr<db::Dataset> openQuery(const QString& sql, const QString& name = QStringLiteral("ADOQueryHW"));
    std::unique_ptr<db::Dataset> openItems() { return openQuery(QStringLiteral("select * from HW")); }
    // Reads one value of the table straight back from the file, through a new query.
    QVariant stored(const QString& sql);

    QList<platform::DialogRequest> requestsOf(platform::DialogKind kind) const;
    QStringList errorReports() const;

    testing_support::TempFolder folder;
    db::Connection connection;
    bool confirmAnswer = true;
    QList<platform::DialogRequest> dialogs;
};
