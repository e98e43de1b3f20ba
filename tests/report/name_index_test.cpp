// The reader's index of names: letter case ignored the way names compare, renames, and
// removals from the middle of a run of colliding entries.
#include "report/model/frx_views.h"
#include "report/storage/name_index.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace report;

namespace {

std::unique_ptr<TfrxMemoView> named(const QString& name)
{
    auto memo = std::make_unique<TfrxMemoView>();
    memo->SetName(name);
    return memo;
}

} // namespace

TEST(NameIndex, NamesEqualIgnoringCaseHashAlikeAndFindOneAnother)
{
    const std::pair<QString, QString> pairs[] = {
        {QStringLiteral("Memo1"), QStringLiteral("mEMO1")},
        {QStringLiteral("ÄÖÜ数据"), QStringLiteral("äöü数据")},
        {QStringLiteral("ΣΑΛΑ"), QStringLiteral("σαλα")},
        {QString::fromUcs4(U"\U00010400x"), QString::fromUcs4(U"\U00010428X")}, // Deseret, outside the BMP
    };
    NameIndex index;
    std::vector<std::unique_ptr<TfrxMemoView>> memos;
    for (const auto& [name, other] : pairs) {
        ASSERT_EQ(name.compare(other, Qt::CaseInsensitive), 0);
        EXPECT_EQ(caseInsensitiveHash(name), caseInsensitiveHash(other)) << name.toStdString();
        memos.push_back(named(name));
        index.insert(memos.back().get());
    }
    for (size_t i = 0; i < memos.size(); ++i)
        EXPECT_EQ(index.find(pairs[i].second), memos[i].get()) << pairs[i].second.toStdString();
    EXPECT_EQ(index.find(QStringLiteral("Memo2")), nullptr);
    EXPECT_EQ(index.find(QString()), nullptr);

    // A second object with a taken name replaces the first; an empty name is never mapped.
    auto again = named(QStringLiteral("MEMO1"));
    index.insert(again.get());
    EXPECT_EQ(index.find(QStringLiteral("memo1")), again.get());
    EXPECT_EQ(index.size(), 4);
    auto unnamed = std::make_unique<TfrxMemoView>();
    index.insert(unnamed.get());
    EXPECT_EQ(index.size(), 4);
}

TEST(NameIndex, RemovalsAndRenamesKeepEveryOtherNameFound)
{
    // Enough names to grow the table several times and give long runs of collisions;
    // removing every third one from the middle of those runs must leave the rest findable.
    constexpr int kCount = 3000;
    NameIndex index;
    std::vector<std::unique_ptr<TfrxMemoView>> memos;
    for (int i = 0; i < kCount; ++i) {
        memos.push_back(named(QStringLiteral("Memo%1").arg(i)));
        index.insert(memos.back().get());
    }
    ASSERT_EQ(index.size(), kCount);
    for (int i = 0; i < kCount; i += 3) {
        const QString old = memos[size_t(i)]->Name();
        memos[size_t(i)]->SetName(QStringLiteral("Renamed%1").arg(i));
        index.remove(memos[size_t(i)].get(), old);
    }
    // Removing under a name it does not have, or one never inserted, changes nothing.
    index.remove(memos[1].get(), QStringLiteral("Memo2"));
    auto stranger = named(QStringLiteral("Memo1"));
    index.remove(stranger.get(), QStringLiteral("Memo1"));
    for (int i = 0; i < kCount; ++i) {
        const QString name = QStringLiteral("memo%1").arg(i);
        EXPECT_EQ(index.find(name), i % 3 == 0 ? nullptr : memos[size_t(i)].get()) << i;
        EXPECT_EQ(index.find(QStringLiteral("renamed%1").arg(i)), nullptr);
    }
    for (int i = 0; i < kCount; i += 3)
        index.insert(memos[size_t(i)].get());
    for (int i = 0; i < kCount; i += 3)
        EXPECT_EQ(index.find(QStringLiteral("RENAMED%1").arg(i)), memos[size_t(i)].get()) << i;
    EXPECT_EQ(index.size(), kCount);
    index.clear();
    EXPECT_EQ(index.find(QStringLiteral("Memo1")), nullptr);
}
