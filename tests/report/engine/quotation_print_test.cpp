// The quotation template prepared over the lines: 18 rows to an A4 page, the summary alone
// on a second page at exactly 18 rows, the header with the values of the line current
// when its page starts, the run's date and time, hidden objects never output.
#include "report/engine/report_shell.h"
#include "report/format/frx_display_format.h"
#include "report/model/frx_bands.h"
#include "report/model/frx_pages.h"
#include "report/model/frx_report.h"
#include "report/model/frx_views.h"
#include "report/pages/preview_pages.h"
#include "report/render/item_render.h"
#include "report/storage/quotation_template.h"
#include "report/text/text_context.h"

#include <QDate>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace report;

namespace {

// The lines view's fields over rows held in memory; numbers shown as the database shows them.
class Lines : public TfrxUserDataSet {
public:
    explicit Lines(int count)
    {
        SetName(QStringLiteral("frxDBDataset1"));
        Fields = QStringList{QStringLiteral("DIY_ID"), QStringLiteral("DIY_NM"), QStringLiteral("HW_MS"),
                             QStringLiteral("DIY_SL"), QStringLiteral("DIY_JG"), QStringLiteral("DIY_CASH"),
                             QStringLiteral("L2_NM")};
        RangeEnd = TfrxRangeEnd::reCount;
        RangeEndCount = count;
    }
    QVariant GetValue(const QString& field) override
    {
        const int n = RecNo + 1;
        if (field == QStringLiteral("DIY_ID"))
            return QStringLiteral("Q%1").arg(n);
        if (field == QStringLiteral("DIY_NM"))
            return QStringLiteral("name %1").arg(n);
        if (field == QStringLiteral("HW_MS"))
            return n == 2 ? QString(400, u'长') : QStringLiteral("part %1").arg(n);
        if (field == QStringLiteral("DIY_SL"))
            return 2;
        if (field == QStringLiteral("DIY_JG"))
            return 10.5 * n;
        if (field == QStringLiteral("DIY_CASH"))
            return 21.0 * n;
        return QStringLiteral("cat");
    }
    QString GetDisplayText(const QString& field) override { return GetValue(field).toString(); }
};

class QuotationTest : public ::testing::Test {
protected:
    void prepare(int lines)
    {
        source = std::make_unique<Lines>(lines);
        report = std::make_unique<TfrxReport>();
        loadQuotationTemplate(*report);
        report->EngineOptions().NewSilentMode = TfrxSilentMode::simSilent;
        shell = std::make_unique<ReportShell>(*report);
        ASSERT_TRUE(shell->PrepareReport(true)) << report->Errors().join(u'\n').toStdString();
    }

    int pageCount() const { return shell->PreviewPages().PageCount(); }

    // Name, top and height of each band on a page, and the texts of its objects by name.
    struct Out {
        QString band;
        double top, height;
        QHash<QString, TfrxComponent*> objects;
    };
    std::vector<Out> bands(int index)
    {
        std::vector<Out> out;
        for (TfrxComponent* b : shell->PreviewPages().GetPreparedPage(index)->Objects()) {
            Out o{b->Name(), b->Top(), b->Height(), {}};
            for (TfrxComponent* c : b->Objects())
                o.objects.insert(c->Name(), c);
            out.push_back(o);
        }
        return out;
    }
    static QString text(const Out& band, const QString& object)
    {
        const auto* memo = dynamic_cast<const TfrxCustomMemoView*>(band.objects.value(object));
        return memo ? memo->Text() : QStringLiteral("<none>");
    }
    static QStringList bandNames(const std::vector<Out>& page)
    {
        QStringList n;
        for (const Out& o : page)
            n << o.band;
        return n;
    }

    std::unique_ptr<Lines> source;
    std::unique_ptr<TfrxReport> report;
    std::unique_ptr<ReportShell> shell;
};

constexpr double kPageFooterTop = 257 * 3.77953 - 94.48825;

TEST_F(QuotationTest, ThreeLinesMakeOnePageWithTheirSum)
{
    prepare(3);
    ASSERT_EQ(pageCount(), 1);
    const auto page = bands(0);
    EXPECT_EQ(bandNames(page), (QStringList{QStringLiteral("PageHeader1"), QStringLiteral("MasterData1"),
                                            QStringLiteral("MasterData1"), QStringLiteral("MasterData1"),
                                            QStringLiteral("ReportSummary1"), QStringLiteral("PageFooter1")}));
    EXPECT_NEAR(page[1].top, 170.07885, 1e-6);
    EXPECT_NEAR(page[3].top, 170.07885 + 2 * 37.7953, 1e-6);
    EXPECT_NEAR(page[4].top, 170.07885 + 3 * 37.7953, 1e-6);
    EXPECT_NEAR(page[5].top, kPageFooterTop, 1e-6);
    EXPECT_EQ(text(page[4], QStringLiteral("Memo19")), QStringLiteral("126"));
    EXPECT_EQ(text(page[1], QStringLiteral("Memo11")), QStringLiteral("21"));
    EXPECT_EQ(text(page[2], QStringLiteral("Memo10")), QStringLiteral("21"));
    // Every grid line of a row is there.
    for (const char* line : {"Line20", "Line22", "Line18", "Line14", "Line15", "Line16", "Line17", "Line21"})
        EXPECT_TRUE(page[2].objects.contains(QString::fromLatin1(line))) << line;
    // The page total is filled in when the page is drawn.
    const QString footer = text(page[5], QStringLiteral("Memo6"));
    EXPECT_EQ(footer, QStringLiteral("1   /   [TotalPages#]  "));
    TfrxTextContext texts;
    texts.TotalPages = 1;
    EXPECT_EQ(texts.fillPlaceholders(footer), QStringLiteral("1   /   1  "));
}

TEST_F(QuotationTest, SeventeenLinesKeepTheSummaryEighteenMoveIt)
{
    prepare(17);
    ASSERT_EQ(pageCount(), 1);
    EXPECT_EQ(bandNames(bands(0)).count(QStringLiteral("ReportSummary1")), 1);

    prepare(18);
    ASSERT_EQ(pageCount(), 2);
    EXPECT_EQ(bandNames(bands(0)).count(QStringLiteral("MasterData1")), 18);
    EXPECT_EQ(bandNames(bands(0)).count(QStringLiteral("ReportSummary1")), 0);
    const auto second = bands(1);
    EXPECT_EQ(bandNames(second), (QStringList{QStringLiteral("PageHeader1"), QStringLiteral("ReportSummary1"),
                                              QStringLiteral("PageFooter1")}));
    EXPECT_NEAR(second[1].top, 170.07885, 1e-6);
    EXPECT_EQ(text(second[2], QStringLiteral("Memo6")), QStringLiteral("2   /   [TotalPages#]  "));
}

TEST_F(QuotationTest, EachPageHeaderShowsTheLineCurrentWhenThePageStarts)
{
    prepare(40);
    ASSERT_EQ(pageCount(), 3);
    EXPECT_EQ(text(bands(0)[0], QStringLiteral("Memo3")), QStringLiteral("Q1"));
    EXPECT_EQ(text(bands(1)[0], QStringLiteral("Memo3")), QStringLiteral("Q19"));
    EXPECT_EQ(text(bands(2)[0], QStringLiteral("Memo3")), QStringLiteral("Q37"));
    EXPECT_EQ(text(bands(2)[bands(2).size() - 2], QStringLiteral("Memo19")), QString::number(21 * 40 * 41 / 2));
    // The date and time of the run's start, in the template's formats.
    const auto header = bands(0)[0];
    EXPECT_EQ(text(header, QStringLiteral("Memo4")), QDate::currentDate().toString(QStringLiteral("yyyy.MM.dd")));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d$")).match(text(header, QStringLiteral("Memo5"))).hasMatch())
        << text(header, QStringLiteral("Memo5")).toStdString();
}

TEST_F(QuotationTest, HiddenObjectsAreNeverOutputAndTheDescriptionKeepsItsCell)
{
    prepare(3);
    const auto page = bands(0);
    EXPECT_FALSE(page[0].objects.contains(QStringLiteral("Memo2")));
    EXPECT_FALSE(page[5].objects.contains(QStringLiteral("Rich11")));
    // Rich-text objects keep their places.
    EXPECT_TRUE(page[0].objects.contains(QStringLiteral("Rich10")));
    const TfrxComponent* longText = page[2].objects.value(QStringLiteral("Memo8"));
    ASSERT_NE(longText, nullptr);
    EXPECT_NEAR(longText->Height(), 37.7953, 1e-6);
    EXPECT_NEAR(page[2].height, 37.7953, 1e-6);
}

TEST_F(QuotationTest, AnEmptyQuotationPrintsHeaderSummaryAndFooter)
{
    prepare(0);
    ASSERT_EQ(pageCount(), 1);
    const auto page = bands(0);
    EXPECT_EQ(bandNames(page), (QStringList{QStringLiteral("PageHeader1"), QStringLiteral("ReportSummary1"),
                                            QStringLiteral("PageFooter1")}));
    EXPECT_EQ(text(page[1], QStringLiteral("Memo19")), QStringLiteral("0"));
}

} // namespace

namespace {

QImage whitePage(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

// The smallest rectangle holding every dark pixel (empty when there is none).
QRect inkBounds(const QImage& image)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128)
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

} // namespace

// The sum as drawn on a 300 dpi page: the summary lies below the third row, and its cell
// holds exactly the digits of the sum in the cell's bold right-aligned font, with nothing
// else drawn over them.
TEST_F(QuotationTest, TheSumIsDrawnInItsCellBelowTheLastRow)
{
    prepare(3);
    const double scale = 300.0 / 96.0;
    const double margin = 20 * 3.77953 * scale; // the page's 20 mm margins, in dots
    QImage page = whitePage(2480, 3508);
    {
        QPainter painter(&page);
        shell->PreviewPages().PaintPage(0, painter, scale, scale, 0, 0);
    }
    // The template's own sum cell, moved to where the summary must stand, showing a sum.
    auto* summary = dynamic_cast<TfrxBand*>(report->FindObject(QStringLiteral("ReportSummary1")));
    auto* sum = dynamic_cast<TfrxCustomMemoView*>(report->FindObject(QStringLiteral("Memo19")));
    ASSERT_TRUE(summary && sum);
    summary->SetTop(170.07885 + 3 * 37.7953);
    const auto drawSum = [&](const QString& digits) {
        QImage reference = whitePage(page.width(), page.height());
        QPainter painter(&reference);
        sum->SetText(digits);
        paintItem(*sum, PaintTarget{painter, scale, scale, margin, margin, report->TextContext()});
        return reference;
    };
    const QRect cell(qRound(margin + sum->AbsLeft() * scale), qRound(margin + sum->AbsTop() * scale),
                     qRound(sum->Width() * scale), qRound(sum->Height() * scale));
    // 128 mm from the margin across, 4 mm into the summary band down.
    EXPECT_NEAR(cell.left(), (20 + 128) / 25.4 * 300, 2);
    EXPECT_NEAR(cell.top(), (20 + 4) / 25.4 * 300 + (170.07885 + 3 * 37.7953) * scale, 2);
    // The digits and a few dots around them (the heading "合计金额" left of the cell may reach
    // into its left edge): 21 + 42 + 63, and not one more.
    const QRect digits =
        inkBounds(drawSum(QStringLiteral("126")).copy(cell)).adjusted(-3, -3, 3, 3).translated(cell.topLeft());
    ASSERT_GT(digits.width(), 20);
    EXPECT_EQ(page.copy(digits), drawSum(QStringLiteral("126")).copy(digits));
    EXPECT_NE(page.copy(digits), drawSum(QStringLiteral("127")).copy(digits));
}
