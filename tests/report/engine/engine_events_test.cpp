// Band events and what the engine keeps between outputs: OnMasterDetail once in the test
// for an empty page, procedures run by a host, aggregates of the children of a left-out
// group footer, and a picture sized to itself the first time it is stored.
#include "engine_fixture.h"

#include <QBuffer>
#include <QImage>

using namespace enginetest;

TEST_F(EngineTest, OnMasterDetailRunsOnceForTheEmptyPageTestAndHostsRunNamedProcedures)
{
    setRowCount(3);
    report.EngineOptions().PrintIfEmpty = false; // the page is tested for data first
    auto* data = band<TfrxMasterData>(QStringLiteral("MasterData1"), 100, 20);
    data->OnMasterDetail = QStringLiteral("MasterDetail");
    data->OnBeforePrint = QStringLiteral("RowBefore");
    memo(data, QStringLiteral("Row"), QStringLiteral("[ds.\"N\"]"));
    QStringList ran;
    shell.Hooks().RunProcedure = [&](const QString& name, TfrxComponent* sender) {
        ran << name + u'@' + (sender ? sender->Name() : QString());
    };
    ASSERT_TRUE(prepare()) << report.Errors().join(u'\n').toStdString();
    EXPECT_EQ(ran, (QStringList{QStringLiteral("MasterDetail@MasterData1"), QStringLiteral("RowBefore@MasterData1"),
                                QStringLiteral("RowBefore@MasterData1"), QStringLiteral("RowBefore@MasterData1")}));
}

TEST_F(EngineTest, ALeftOutSingleRowFooterStartsTheAggregatesOfItsChildrenAfresh)
{
    // Group A has one row (V 10), group B two (20 and 30).
    rows = {{{QStringLiteral("N"), 1}, {QStringLiteral("G"), QStringLiteral("A")}, {QStringLiteral("V"), 10}},
            {{QStringLiteral("N"), 2}, {QStringLiteral("G"), QStringLiteral("B")}, {QStringLiteral("V"), 20}},
            {{QStringLiteral("N"), 3}, {QStringLiteral("G"), QStringLiteral("B")}, {QStringLiteral("V"), 30}}};
    ds.RangeEndCount = 3;
    auto* group = band<TfrxGroupHeader>(QStringLiteral("GroupHeader1"), 100, 20);
    group->Condition = QStringLiteral("<ds.\"G\">");
    auto* data = band<TfrxMasterData>(QStringLiteral("MasterData1"), 200, 20);
    memo(data, QStringLiteral("Row"), QStringLiteral("[ds.\"N\"]"));
    auto* footer = band<TfrxGroupFooter>(QStringLiteral("GroupFooter1"), 300, 20);
    footer->HideIfSingleDataRecord = true;
    memo(footer, QStringLiteral("GF"), QStringLiteral("[SUM(<ds.\"V\">, MasterData1)]"));
    auto* child = band<TfrxChild>(QStringLiteral("Child1"), 400, 20);
    footer->SetChild(child);
    memo(child, QStringLiteral("CF"), QStringLiteral("child [SUM(<ds.\"V\">, MasterData1)]"));
    ASSERT_TRUE(prepare()) << report.Errors().join(u'\n').toStdString();
    const auto pages = layout();
    EXPECT_EQ(allTexts(pages, QStringLiteral("GroupFooter1")), QStringList{QStringLiteral("50")});
    EXPECT_EQ(allTexts(pages, QStringLiteral("Child1")), QStringList{QStringLiteral("child 50")});
}

TEST_F(EngineTest, AnAutoSizePictureTakesItsPicturesSizeTheFirstTimeItIsStored)
{
    setRowCount(1);
    auto* data = band<TfrxMasterData>(QStringLiteral("MasterData1"), 100, 120);
    auto* picture = new TfrxPictureView(data);
    picture->SetName(QStringLiteral("Photo"));
    picture->SetBounds(0, 0, 100, 100);
    picture->AutoSize = true;
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::red);
    QBuffer bytes;
    bytes.open(QIODevice::WriteOnly);
    image.save(&bytes, "PNG");
    picture->Picture = bytes.data();
    ASSERT_TRUE(prepare()) << report.Errors().join(u'\n').toStdString();
    TfrxReportPage* page = shell.PreviewPages().GetPreparedPage(0);
    ASSERT_NE(page, nullptr);
    const TfrxComponent* first = nullptr;
    for (TfrxComponent* c : page->AllObjects())
        if (!first && c->Name() == QStringLiteral("Photo"))
            first = c;
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->Width(), 40);
    EXPECT_EQ(first->Height(), 30);
}
