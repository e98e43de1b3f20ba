// The window's toolbar, zoom box, page box, keys, mouse and popup menu, driven through the
// real widgets.
#include "preview_fixture.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>
#include <QWheelEvent>

using namespace previewtest;

namespace {

// The toolbar as the operator reads it: captions of visible buttons, "|" for separators.
QStringList toolbarText(QToolBar* bar)
{
    QStringList out;
    for (QAction* a : bar->actions()) {
        if (!a->isVisible())
            continue;
        if (a->isSeparator())
            out << QStringLiteral("|");
        else
            out << (a->objectName() == QLatin1StringView("ZoomCB") || a->objectName() == QLatin1StringView("PageE")
                        ? a->objectName()
                        : a->text());
    }
    return out;
}

void wheel(QWidget* target, int notches, Qt::KeyboardModifiers mods)
{
    const QPoint at = target->rect().center();
    QWheelEvent event(at, target->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton, mods,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &event);
}

} // namespace

TEST_F(PreviewTest, TheProgramsButtonSetReadsAsTheToolbarOfTheQuotation)
{
    prepare(20);
    openWindow();
    EXPECT_EQ(toolbarText(form->toolBar()),
              (QStringList{"打印", "打开", "保存", "导出", "寻找", "|", "Zoom In", "ZoomCB", "Zoom Out", "F", "|",
                           "Outline", "Thumbnails", "页面设置", "编辑页", "|", "首页", "前页", "PageE", "次页", "末页",
                           "取消"}));
    EXPECT_FALSE(form->button("PdfB")->isVisible());
    EXPECT_FALSE(form->button("EmailB")->isVisible());
    EXPECT_EQ(form->button("OutlineB")->toolTip(), "Report outline");
    EXPECT_EQ(form->button("FullScreenBtn")->toolTip(), "Full Screen");
    EXPECT_EQ(form->button("ZoomCB")->isVisible(), true);
    EXPECT_EQ(form->zoomBox()->toolTip(), "显示比例");
    EXPECT_EQ(form->windowTitle(), "预览");
    for (const char* name : {"PrintB", "OpenB", "SaveB", "ExportB", "FindB", "PageSettingsB", "DesignerB"})
        EXPECT_TRUE(form->button(name)->isEnabled()) << name;
    EXPECT_EQ(form->statusText(0), "页 1 / 2");
    EXPECT_EQ(form->pageBox()->text(), "1");
}

TEST_F(PreviewTest, ButtonsFollowTheOptionsAndAnEmptyPreviewOffersNothingThatNeedsPages)
{
    makeReport(3);
    using report::TfrxPreviewButton;
    report->PreviewOptions().Buttons = (1 << int(TfrxPreviewButton::pbPrint)) | (1 << int(TfrxPreviewButton::pbLoad));
    report->PreviewOptions().AllowEdit = false;
    report->ReportOptions().Name = QStringLiteral("装机单");
    openWindow();
    // Without zoom, page setup and navigator their separators go; the edit button stays.
    EXPECT_EQ(toolbarText(form->toolBar()),
              (QStringList{"打印", "打开", "|", "Outline", "Thumbnails", "编辑页", "取消"}));
    EXPECT_EQ(form->windowTitle(), "装机单");
    EXPECT_FALSE(form->button("PrintB")->isEnabled());
    EXPECT_FALSE(form->button("OpenB")->isEnabled());
    EXPECT_FALSE(form->button("DesignerB")->isEnabled());
    QTest::keyClick(form.get(), Qt::Key_P, Qt::ControlModifier);
    QTest::keyClick(form.get(), Qt::Key_O, Qt::ControlModifier);
    EXPECT_TRUE(requests.empty());
}

TEST_F(PreviewTest, TheZoomBoxReadsPercentagesAndShowsTheZoomAfterEveryLayout)
{
    prepare(20);
    openWindow();
    QLineEdit* edit = form->zoomBox()->lineEdit();
    const auto type = [&](const QString& text) {
        edit->setText(text);
        QTest::keyClick(edit, Qt::Key_Return);
    };
    type(QStringLiteral("80"));
    EXPECT_DOUBLE_EQ(pv().zoom(), 0.8);
    EXPECT_EQ(form->zoomBox()->currentText(), "80%");
    EXPECT_EQ(area().pageList().item(0).width, 635); // 794 pixels of A4 at 0.8
    type(QStringLiteral("10"));
    EXPECT_DOUBLE_EQ(pv().zoom(), 0.25);
    EXPECT_EQ(form->zoomBox()->currentText(), "25%");
    type(QStringLiteral("1 50,5%"));
    EXPECT_DOUBLE_EQ(pv().zoom(), 1.505);
    EXPECT_TRUE(requests.empty());

    // Not a number: the conversion error is reported and the zoom stays.
    type(QStringLiteral("八十"));
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].kind, platform::DialogKind::ErrorReport);
    EXPECT_DOUBLE_EQ(pv().zoom(), 1.505);
    EXPECT_EQ(form->zoomBox()->currentText(), "151%");

    form->zoomBox()->activated(6); // 页宽
    EXPECT_EQ(pv().zoomMode(), report::TfrxZoomMode::zmPageWidth);
    EXPECT_TRUE(form->zoomBox()->currentText().endsWith(u'%')) << form->zoomBox()->currentText().toStdString();
    EXPECT_NE(pv().zoom(), 1.505);
    EXPECT_LE(area().pageList().item(0).width, area().availableWidth());

    form->zoomBox()->activated(7); // 整页: the whole current page fits the view's height
    EXPECT_EQ(pv().zoomMode(), report::TfrxZoomMode::zmWholePage);
    EXPECT_LE(area().pageList().item(0).height, area().viewport()->height() - 20);

    // The buttons step by a quarter and never go below 0.25.
    pv().setZoom(0.4);
    QTest::mouseClick(toolButton("ZoomMinusB"), Qt::LeftButton);
    EXPECT_DOUBLE_EQ(pv().zoom(), 0.25);
    QTest::mouseClick(toolButton("ZoomPlusB"), Qt::LeftButton);
    EXPECT_DOUBLE_EQ(pv().zoom(), 0.5);
    EXPECT_EQ(pv().zoomMode(), report::TfrxZoomMode::zmDefault);
}

TEST_F(PreviewTest, TheWheelScrollsAndWithCtrlZoomsDownToThreeTenths)
{
    prepare(60);
    openWindow();
    QWidget* viewport = area().viewport();
    wheel(viewport, -2, Qt::NoModifier);
    EXPECT_EQ(area().scrollPos().y(), 40);
    wheel(viewport, 1, Qt::NoModifier);
    EXPECT_EQ(area().scrollPos().y(), 20);

    pv().setZoom(0.35);
    wheel(viewport, -1, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(pv().zoom(), 0.3);
    wheel(viewport, -1, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(pv().zoom(), 0.3);
    wheel(viewport, 2, Qt::ControlModifier);
    EXPECT_NEAR(pv().zoom(), 0.5, 1e-9);
}

TEST_F(PreviewTest, KeysScrollAndTurnPagesAndThePageBoxGoesToTypedPages)
{
    prepare(60); // four pages
    openWindow();
    ASSERT_EQ(pv().pageCount(), 4);
    QWidget* ws = &area();
    ws->setFocus();
    const int start = area().scrollPos().y();
    QTest::keyClick(ws, Qt::Key_Down);
    EXPECT_EQ(area().scrollPos().y(), start + 8);
    QTest::keyClick(ws, Qt::Key_PageDown);
    EXPECT_EQ(area().scrollPos().y(), start + 308);
    QTest::keyClick(ws, Qt::Key_Up);
    EXPECT_EQ(area().scrollPos().y(), start + 300);
    QTest::keyClick(ws, Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(pv().pageNo(), 2);
    EXPECT_EQ(area().scrollPos().y(), area().pageList().item(1).top - 10);
    QTest::keyClick(ws, Qt::Key_End);
    EXPECT_EQ(pv().pageNo(), 4);
    EXPECT_EQ(form->statusText(0), "页 4 / 4");
    QTest::keyClick(ws, Qt::Key_Home);
    EXPECT_EQ(pv().pageNo(), 1);

    // Scrolling makes current the page whose top is no lower than a fifth of it below the view's top.
    const preview::TfrxPageItem second = area().pageList().item(1);
    area().setScrollPos({0, second.top - second.height / 5 - 1});
    EXPECT_EQ(pv().pageNo(), 1);
    area().setScrollPos({0, second.top - second.height / 5});
    EXPECT_EQ(pv().pageNo(), 2);
    EXPECT_EQ(form->pageBox()->text(), "2");

    QLineEdit* box = form->pageBox();
    box->clear();
    QTest::keyClick(box, Qt::Key_Return); // an empty box is ignored
    EXPECT_EQ(pv().pageNo(), 2);
    QTest::keyClicks(box, "3x");
    EXPECT_EQ(box->text(), "3"); // digits only
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(pv().pageNo(), 3);
    box->setText(QStringLiteral("99999999999999"));
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(pv().pageNo(), 4);
    box->setText(QStringLiteral("0"));
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(pv().pageNo(), 1);

    QTest::mouseClick(toolButton("LastB"), Qt::LeftButton);
    QTest::mouseClick(toolButton("PriorB"), Qt::LeftButton);
    EXPECT_EQ(pv().pageNo(), 3);
    QTest::mouseClick(toolButton("NextB"), Qt::LeftButton);
    QTest::mouseClick(toolButton("NextB"), Qt::LeftButton);
    EXPECT_EQ(pv().pageNo(), 4);
    QTest::mouseClick(toolButton("FirstB"), Qt::LeftButton);
    EXPECT_EQ(pv().pageNo(), 1);
}

TEST_F(PreviewTest, DraggingMovesThePagesAndClicksChooseThePageUnderTheMouse)
{
    prepare(60);
    openWindow();
    pv().setZoom(0.25); // several pages side by side
    QWidget* viewport = area().viewport();
    const QRect third = area().pageList().item(2).rect().translated(-area().scrollPos());
    QTest::mouseClick(viewport, Qt::LeftButton, {}, third.center());
    EXPECT_EQ(pv().pageNo(), 3);

    pv().setZoom(1);
    const int before = area().scrollPos().y();
    QTest::mousePress(viewport, Qt::LeftButton, {}, QPoint(300, 400));
    QTest::mouseMove(viewport, QPoint(300, 250));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, QPoint(300, 250));
    EXPECT_EQ(area().scrollPos().y(), before + 150);

    // A click in the thumbnail pane chooses the page and brings the page area to it.
    QTest::mouseClick(toolButton("ThumbB"), Qt::LeftButton);
    EXPECT_TRUE(pv().thumbnailVisible());
    EXPECT_FALSE(pv().outlineVisible());
    preview::TfrxPreviewWorkspace* thumbs = pv().thumbnails();
    const QRect fourth = thumbs->pageList().item(3).rect().translated(-thumbs->scrollPos());
    QTest::mouseClick(thumbs->viewport(), Qt::LeftButton, {}, fourth.center());
    EXPECT_EQ(pv().pageNo(), 4);
    EXPECT_EQ(area().scrollPos().y(), std::min(area().pageList().item(3).top - 10, area().verticalScrollBar()->maximum()));
    EXPECT_EQ(thumbs->pageList().item(0).width, 79); // at zoom 0.1
}

TEST_F(PreviewTest, RightClickShowsThePopupBuiltFromTheToolbar)
{
    prepare(20);
    openWindow();
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(200, 200), area().viewport()->mapToGlobal(QPoint(200, 200)));
    QApplication::sendEvent(area().viewport(), &event);
    QMenu* popup = form->popupMenu();
    EXPECT_TRUE(popup->isVisible());
    QStringList entries;
    for (QAction* a : popup->actions())
        entries << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(entries, (QStringList{"打印", "打开", "保存", "导出", "寻找", "-", "Zoom In", "Zoom Out", "Full Screen"}));
    EXPECT_NE(popup->actions()[3]->menu(), nullptr); // the export filters as a submenu
    popup->hide();

    popup->actions()[6]->trigger();
    EXPECT_DOUBLE_EQ(pv().zoom(), 1.25);
    popup->actions()[8]->trigger();
    EXPECT_TRUE(form->fullScreen());
    EXPECT_FALSE(form->toolBar()->isVisible());
    EXPECT_FALSE(form->statusBar()->isVisible());
    QTest::mouseDClick(area().viewport(), Qt::LeftButton);
    EXPECT_FALSE(form->fullScreen());
    EXPECT_TRUE(form->toolBar()->isVisible());
    QTest::keyClick(form.get(), Qt::Key_F11);
    EXPECT_TRUE(form->fullScreen());
    QTest::keyClick(form.get(), Qt::Key_F11);
    EXPECT_FALSE(form->fullScreen());
}
