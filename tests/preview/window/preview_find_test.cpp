// Find: the dialog, the walk over the text runs of the pages as drawn, F3, the inverted
// mark on the hit and scrolling it into view.
#include "preview_fixture.h"

#include "preview/window/search_dialog.h"
#include "preview/window/text_search.h"
#include "report/layout/draw_text.h"
#include "report/text/text_context.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

using namespace previewtest;

namespace {

// Answers the next find dialog: the text, "from the first page", case sensitivity.
void answerFindDialog(const QString& text, bool fromTop, bool caseSensitive, QString* offered = nullptr)
{
    QTimer::singleShot(0, [=] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        ASSERT_EQ(dialog->objectName(), "TfrxSearchDialog");
        auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("TextE"));
        if (offered)
            *offered = edit->selectedText();
        edit->setText(text);
        dialog->findChild<QCheckBox*>(QStringLiteral("TopCB"))->setChecked(fromTop);
        dialog->findChild<QCheckBox*>(QStringLiteral("CaseCB"))->setChecked(caseSensitive);
        dialog->findChild<QPushButton*>(QStringLiteral("OkB"))->click();
    });
}

// Share of dark pixels in a rectangle of the page area as shown.
double darkShare(QWidget* viewport, const QRect& r)
{
    const QImage image = viewport->grab().toImage();
    int dark = 0, all = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x, ++all)
            dark += qGray(image.pixel(x, y)) < 100 ? 1 : 0;
    return all ? double(dark) / all : 0;
}

} // namespace

class FindTest : public PreviewTest {
protected:
    void SetUp() override
    {
        makeReport(60);
        source->describe = [](int line) {
            if (line == 1)
                return QStringLiteral("MARK 一号");
            if (line == 2)
                return QStringLiteral("二号 mark");
            if (line == 40) // on page 3
                return QStringLiteral("三号 Mark");
            return QStringLiteral("华硕 主板 %1").arg(line);
        };
        ASSERT_TRUE(shell->PrepareReport(true));
        openWindow();
    }
    QRect hitOnView() const
    {
        const QRectF h = pv().searchState().hitRect;
        const QRect page = area().pageList().item(pv().searchState().page).rect().translated(-area().scrollPos());
        return QRectF(page.left() + h.left() * pv().zoom(), page.top() + h.top() * pv().zoom(),
                      h.width() * pv().zoom(), h.height() * pv().zoom()).toRect();
    }
};

TEST_F(FindTest, EachDrawnLineIsOneRunInDrawingOrder)
{
    const std::vector<preview::TextRun> runs = preview::drawnTextRuns(shell->PreviewPages(), 0);
    QStringList marked;
    for (const preview::TextRun& run : runs)
        if (run.text.contains(QStringLiteral("mark"), Qt::CaseInsensitive))
            marked << run.text;
    EXPECT_EQ(marked, (QStringList{"MARK 一号", "二号 mark"}));
    const auto first = std::find_if(runs.begin(), runs.end(), [](auto& r) { return r.text == "MARK 一号"; });
    const auto second = std::find_if(runs.begin(), runs.end(), [](auto& r) { return r.text == "二号 mark"; });
    EXPECT_LT(first, second);
    EXPECT_LT(first->rect.bottom(), second->rect.top() + 1);
    EXPECT_GT(first->rect.width(), 20);
    // Drawing for the search leaves the layout object as it was: nothing is collected later.
    EXPECT_FALSE(report->TextContext().drawText().OnLineDrawn);
}

// Rich text is searched like text objects: each drawn line of a rich-text object is one
// run with its rectangle, in drawing order, and a hit in it is marked by inverting it.
TEST_F(FindTest, RichTextLinesAreRunsAndAHitInOneIsInverted)
{
    const std::vector<preview::TextRun> runs = preview::drawnTextRuns(shell->PreviewPages(), 0);
    const auto heading = std::find_if(runs.begin(), runs.end(), [](auto& r) { return r.text == "类别项目"; });
    ASSERT_NE(heading, runs.end());
    // Four 12 pt characters: 64 × 16 units at scale 1.
    EXPECT_NEAR(heading->rect.width(), 64, 2);
    EXPECT_NEAR(heading->rect.height(), 16, 1);
    // The page header's headings are drawn before the lines of the master data.
    const auto line = std::find_if(runs.begin(), runs.end(), [](auto& r) { return r.text == "MARK 一号"; });
    ASSERT_NE(line, runs.end());
    EXPECT_LT(heading, line);
    EXPECT_LT(heading->rect.bottom(), line->rect.top());

    answerFindDialog(QStringLiteral("类别项目"), true, false);
    QTest::keyClick(form.get(), Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(pv().searchState().hit);
    EXPECT_EQ(pv().searchState().page, 0);
    EXPECT_EQ(pv().searchState().hitRect, heading->rect);
    EXPECT_GT(darkShare(area().viewport(), hitOnView().adjusted(2, 2, -2, -2)), 0.5);
}

TEST_F(FindTest, FromTheTopF3WalksTheHitsOverThePagesAndStopsAfterTheLast)
{
    answerFindDialog(QStringLiteral("mark"), true, false);
    QTest::keyClick(form.get(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(pv().searchState().page, 0);
    const QRectF first = pv().searchState().hitRect;
    EXPECT_EQ(area().hitPage, 0);
    // The hit is marked by inverting its rectangle: the white cell turns dark.
    EXPECT_GT(darkShare(area().viewport(), hitOnView().adjusted(2, 2, -2, -2)), 0.5);

    QTest::keyClick(form.get(), Qt::Key_F3);
    EXPECT_EQ(pv().searchState().page, 0);
    EXPECT_GT(pv().searchState().hitRect.top(), first.top());

    QTest::keyClick(form.get(), Qt::Key_F3);
    EXPECT_EQ(pv().searchState().page, 2);
    EXPECT_EQ(area().hitPage, 2);
    // Scrolled so that the hit is in view.
    const QRect hit = hitOnView();
    EXPECT_TRUE(area().viewport()->rect().contains(hit)) << hit.top() << " " << hit.bottom();

    const QPoint scroll = area().scrollPos();
    QTest::keyClick(form.get(), Qt::Key_F3);
    EXPECT_EQ(area().hitPage, 2);
    EXPECT_EQ(area().scrollPos(), scroll);
    QTest::keyClick(form.get(), Qt::Key_F3);
    EXPECT_EQ(area().scrollPos(), scroll);
}

TEST_F(FindTest, CaseTheStartPageAndTheTextOfferedAgain)
{
    answerFindDialog(QStringLiteral("Mark"), true, true);
    form->Find();
    EXPECT_EQ(pv().searchState().page, 2); // only "三号 Mark" matches case-sensitively

    // Without "起点" the search starts at the current page; the last text is offered again.
    pv().setPageNo(2);
    QString offered;
    answerFindDialog(QStringLiteral("MARK"), false, false, &offered);
    form->Find();
    EXPECT_EQ(offered, "Mark");
    EXPECT_EQ(pv().searchState().page, 2);
    EXPECT_EQ(preview::TfrxSearchDialog::lastText(), "MARK");

    // A text found nowhere leaves the view as it was, without a message.
    const QPoint scroll = area().scrollPos();
    answerFindDialog(QStringLiteral("没有的文字"), true, false);
    form->Find();
    EXPECT_EQ(area().scrollPos(), scroll);
    EXPECT_TRUE(requests.empty());

    // A new layout ends the search: F3 needs the find command again.
    answerFindDialog(QStringLiteral("mark"), true, false);
    form->Find();
    EXPECT_EQ(pv().searchState().page, 0);
    const int hit = pv().searchState().lastHit;
    pv().setZoom(0.5);
    QTest::keyClick(form.get(), Qt::Key_F3);
    EXPECT_EQ(pv().searchState().page, 0);
    EXPECT_EQ(pv().searchState().lastHit, hit);
}
