// The window's controls: places, sizes, captions, fonts and stacking order.
#include "app/main_window.h"
#include "app/app_identity.h"
#include "app/picture_files.h"
#include "app/picture_frame.h"
#include "db/connection.h"
#include "db/dataset.h"
#include "dbaware/db_combo_box.h"
#include "dbaware/db_edit.h"
#include "dbaware/db_grid.h"
#include "dbaware/db_image.h"
#include "dbaware/db_memo.h"
#include "dbaware/db_navigator.h"
#include <QComboBox>
#include <QCompleter>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>

namespace app {

namespace {

using Nav = dbaware::DBNavigator::Button;

QFont songFont(int pixels, bool bold = false)
{
    QFont f(QStringLiteral("宋体"));
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

template <typename W>
W* place(W* widget, const char* name, int x, int y, int w, int h)
{
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(x, y, w, h);
    return widget;
}

QFrame* makePanel(QWidget* parent, const char* name, int x, int y, int w, int h)
{
    auto* panel = place(new QFrame(parent), name, x, y, w, h);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(1);
    panel->setAutoFillBackground(true);
    return panel;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, int x, int y, int w, int h)
{
    auto* button = place(new QPushButton(caption, parent), name, x, y, w, h);
    button->setAutoDefault(false);
    return button;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& caption, int x, int y)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QLatin1String(name));
    label->move(x, y);
    label->adjustSize();
    return label;
}

QStringList yearList()
{
    QStringList years;
    for (int y = 1990; y <= 2100; ++y)
        years << QString::number(y);
    return years;
}

// Red vertical separator before a breadcrumb label.
QFrame* redLine(QWidget* parent, const char* name, int x, int y)
{
    auto* line = place(new QFrame(parent), name, x, y, 1, 25);
    line->setAutoFillBackground(true);
    QPalette p = line->palette();
    p.setColor(QPalette::Window, Qt::red);
    line->setPalette(p);
    return line;
}

QLabel* breadcrumb(QWidget* parent, const char* name, int x)
{
    auto* label = place(new QLabel(parent), name, x, 177, 68, 19);
    label->setFont(songFont(12));
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, Qt::blue);
    label->setPalette(p);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

void setTextColour(QWidget* w, const QColor& colour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, colour);
    p.setColor(QPalette::ButtonText, colour);
    w->setPalette(p);
}

} // namespace

void TFrm_main::createQueries()
{
    ADOConnection1 = std::make_unique<db::Connection>(QStringLiteral("ADOConnection1"));
    auto make = [this](const char* name) { return new db::Dataset(QLatin1String(name), ADOConnection1.get(), this); };
    ADOQueryL1 = make("ADOQueryL1");
    ADOQueryL2 = make("ADOQueryL2");
    ADOQueryL3 = make("ADOQueryL3");
    ADOQueryL4 = make("ADOQueryL4");
    ADOQueryL1_L4 = make("ADOQueryL1_L4");
    ADOQueryHW = make("ADOQueryHW");
    ADOQueryDIY = make("ADOQueryDIY");
    ADOQuery_LIST = make("ADOQuery_LIST");
    // The catalogue and lines queries have fixed field lists in their tables' column order.
    ADOQueryHW->setFixedFields({"HW_ID", "L4_ID", "HW_MC", "HW_DW", "HW_NF", "HW_RQ", "HW_CS", "HW_JG", "HW_TP",
                                "HW_URL", "HW_TP_URL"});
    ADOQueryDIY->setFixedFields({"DIY_ID", "DIY_NM", "HW_ID", "L2_ID", "HW_MS", "DIY_SL", "DIY_JG", "DIY_CASH",
                                 "L2_NM", "DIY_SYS_ID"});
    ADOQueryDIY->addSql(QStringLiteral("SELECT * from DIY"));
}

void TFrm_main::createControls()
{
    setObjectName(QStringLiteral("Frm_main"));
    setWindowTitle(productTitle());
    setFont(songFont(12));
    // It opens at its original size and grows from there (main_window_growth.cpp).
    setMinimumSize(791, 541);
    resize(791, 541);
    setAutoFillBackground(true);

    // Bottom of the stacking order first: each control created later lies over the earlier ones.
    createTree();
    createRecordPanel();
    createQuotationPanel();
    createCataloguePanel();
    createCategoryGridPanel();
    createManagementPanel();
    createOverlays();
}

void TFrm_main::createTree()
{
    TreePanel& p = tree;
    p.tv1 = place(new QTreeWidget(this), "tv1", 0, 0, 193, 541);
    p.tv1->setHeaderHidden(true);
    p.tv1->setRootIsDecorated(false);
    // No expand buttons: selecting a node opens it and closes the branch selected before.
    p.tv1->setStyleSheet(QStringLiteral("QTreeView::branch { image: none; border-image: none; }"));
    p.tv1->setIndentation(19);
    p.tv1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    p.tv1->setItemsExpandable(true);

    p.btn_refresh = makeButton(this, "btn_refresh", QStringLiteral("刷新数据列表"), 103, 516, 88, 25);
    p.btn_refresh->setToolTip(QStringLiteral("若添加了分类信息，可点此刷新"));
}

void TFrm_main::createRecordPanel()
{
    RecordPanel& p = record;
    p.Panel_HW = makePanel(this, "Panel_HW", 197, 204, 592, 161);
    p.Panel_HW->setCursor(Qt::SizeAllCursor);
    p.Panel_HW->hide();

    makeLabel(p.Panel_HW, "Label1", QStringLiteral("编号"), 8, 8);
    p.DBEdit1 = place(new dbaware::DBEdit(p.Panel_HW), "DBEdit1", 48, 4, 49, 20);
    p.DBEdit1->setEnabled(false);
    p.DBEdit1->setReadOnly(true);
    makeLabel(p.Panel_HW, "Label2", QStringLiteral("上级"), 99, 8);
    p.DBEdit2 = place(new dbaware::DBEdit(p.Panel_HW), "DBEdit2", 131, 4, 57, 20);
    p.DBEdit2->setEnabled(false);
    makeLabel(p.Panel_HW, "Label4", QStringLiteral("单位"), 192, 8);
    p.DBComboBox1 = place(new dbaware::DBComboBox(p.Panel_HW), "DBComboBox1", 224, 4, 73, 20);
    p.DBComboBox1->addItems({"个", "片", "件", "条", "支", "套", "根", "箱", "米", "部"});
    makeLabel(p.Panel_HW, "Label3", QStringLiteral("名称"), 8, 32);
    p.DBEdit3 = place(new dbaware::DBEdit(p.Panel_HW), "DBEdit3", 48, 32, 257, 20);
    makeLabel(p.Panel_HW, "Label5", QStringLiteral("出厂"), 8, 57);
    p.DBComboBox2 = place(new dbaware::DBComboBox(p.Panel_HW), "DBComboBox2", 47, 56, 61, 20);
    p.DBComboBox2->addItems(yearList());
    makeLabel(p.Panel_HW, "Label6", QStringLiteral("更新日期"), 116, 60);
    p.DBEdit6 = place(new dbaware::DBEdit(p.Panel_HW), "DBEdit6", 168, 56, 137, 20);
    p.DBEdit6->setToolTip(QStringLiteral("可不填，自动取当前时间"));
    makeLabel(p.Panel_HW, "Label10", QStringLiteral("网址"), 8, 82);
    p.DBEdit8 = place(new dbaware::DBEdit(p.Panel_HW), "DBEdit8", 48, 80, 250, 20);
    makeLabel(p.Panel_HW, "Label8", QStringLiteral("价格"), 8, 106);
    p.DBEdit7 = place(new dbaware::DBEdit(p.Panel_HW), "DBEdit7", 48, 104, 134, 20);
    makeLabel(p.Panel_HW, "Label7", QStringLiteral("详细参数"), 312, 8);
    p.DBMemo1 = place(new dbaware::DBMemo(p.Panel_HW), "DBMemo1", 312, 24, 129, 129);
    makeLabel(p.Panel_HW, "Label9", QStringLiteral("图片"), 448, 8);
    p.Image1 = place(new PictureFrame(p.Panel_HW), "Image1", 448, 24, 137, 137);
    p.Image1->setCursor(Qt::PointingHandCursor);
    p.Image1->setToolTip(QStringLiteral("点击放大观看！"));
    p.Image1->setPicture(samplePicture());
    p.DBImage1 = place(new dbaware::DBImage(p.Panel_HW), "DBImage1", 560, 2, 25, 23);
    p.DBImage1->setStretch(true);
    p.DBImage1->hide();
    p.DBNavigator1 = place(new dbaware::DBNavigator(p.Panel_HW), "DBNavigator1", 8, 128, 290, 25);

    const std::pair<QWidget*, const char*> bindings[] = {
        {p.DBEdit1, "HW_ID"}, {p.DBEdit2, "L4_ID"}, {p.DBEdit3, "HW_MC"}, {p.DBEdit6, "HW_RQ"},
        {p.DBEdit8, "HW_URL"}, {p.DBEdit7, "HW_JG"},
    };
    for (const auto& [widget, field] : bindings) {
        auto* edit = static_cast<dbaware::DBEdit*>(widget);
        edit->setDataset(ADOQueryHW);
        edit->setFieldName(QLatin1String(field));
    }
    p.DBComboBox1->setDataset(ADOQueryHW);
    p.DBComboBox1->setFieldName(QStringLiteral("HW_DW"));
    p.DBComboBox2->setDataset(ADOQueryHW);
    p.DBComboBox2->setFieldName(QStringLiteral("HW_NF"));
    p.DBMemo1->setDataset(ADOQueryHW);
    p.DBMemo1->setFieldName(QStringLiteral("HW_CS"));
    p.DBImage1->setDataset(ADOQueryHW);
    p.DBImage1->setFieldName(QStringLiteral("HW_TP"));
    p.DBNavigator1->setDataset(ADOQueryHW);

    QWidget* order[] = {p.DBEdit1, p.DBEdit2, p.DBEdit3, p.DBEdit6, p.DBMemo1, p.DBEdit7, p.DBImage1,
                        p.DBEdit8, p.DBNavigator1, p.DBComboBox1, p.DBComboBox2};
    for (std::size_t k = 1; k < std::size(order); ++k)
        QWidget::setTabOrder(order[k - 1], order[k]);
}

void TFrm_main::createQuotationPanel()
{
    QuotationPanel& p = quotation;
    p.Panel1 = makePanel(this, "Panel1", 196, 367, 594, 201);
    p.DBGrid3 = place(new dbaware::DBGrid(p.Panel1), "DBGrid3", 4, 3, 583, 120);
    linesGridRoom_ = p.DBGrid3->geometry();
    p.DBGrid3->setToolTip(QStringLiteral("双击将选中的项目移出清单"));
    p.DBGrid3->setTitleFont(songFont(12));
    p.DBGrid3->setDataset(ADOQueryDIY);
    p.DBGrid3->setSelectionMode(QAbstractItemView::ExtendedSelection); // Ctrl+click marks lines to remove
    const Qt::Alignment c = Qt::AlignHCenter | Qt::AlignVCenter;
    const Qt::Alignment l = Qt::AlignLeft | Qt::AlignVCenter;
    const Qt::Alignment r = Qt::AlignRight | Qt::AlignVCenter;
    p.DBGrid3->setColumns({
        {"DIY_ID", "单据编号", 50, c, c, true, {}},
        {"DIY_NM", "单据名称", 42, c, c, true, {}},
        {"L2_ID", "类别ID", 0, c, c, false, {}},
        {"L2_NM", "类别", 56, c, c, true, {}},
        {"HW_ID", "货物编号", 0, c, c, false, {}},
        {"HW_MS", "货物描述", 280, l, c, true, {}},
        {"DIY_SL", "数量", 29, c, c, true, {}},
        {"DIY_JG", "单价", 40, c, c, true, {}},
        {"DIY_CASH", "金额", 57, r, l, true, {}},
        {"DIY_SYS_ID", "", 0, {}, {}, false, {}},
    });

    p.btn_del1 = makeButton(p.Panel1, "btn_del1", QStringLiteral("3、将选中货物移出清单"), 8, 151, 145, 23);
    p.btn_cash1 = makeButton(p.Panel1, "btn_cash1", QStringLiteral("4、核算总金额"), 152, 151, 97, 23);
    p.btn_print1 = makeButton(p.Panel1, "btn_print1", QStringLiteral("5、打印出单"), 248, 151, 97, 23);
    p.DBNV3 = place(new dbaware::DBNavigator(p.Panel1), "DBNV3", 345, 152, 88, 22);
    p.DBNV3->setDataset(ADOQueryDIY);
    p.DBNV3->setVisibleButtons({Nav::Edit, Nav::Post, Nav::Cancel, Nav::Refresh});
    p.bbtn_cash = makeButton(p.Panel1, "bbtn_cash", QStringLiteral("总价值：0 元"), 435, 149, 157, 25);
    p.bbtn_cash->setFont(songFont(14, true));
    setTextColour(p.bbtn_cash, Qt::red);
    p.bbtn_cash->setToolTip(QStringLiteral("点击可重算"));
    p.bbtn_cash->setIcon(style()->standardIcon(QStyle::SP_DialogApplyButton));
    // The customer and the exports for the customer, above the commands they go with.
    p.btn_details = makeButton(p.Panel1, "btn_details", QStringLiteral("单据详情..."), 8, 125, 97, 23);
    p.btn_pdf = makeButton(p.Panel1, "btn_pdf", QStringLiteral("导出PDF..."), 248, 125, 97, 23);
    p.btn_png = makeButton(p.Panel1, "btn_png", QStringLiteral("导出图片..."), 345, 125, 88, 23);
    p.lb_estimate = place(new QLabel(p.Panel1), "lb_estimate", 437, 125, 150, 23);
    p.lb_estimate->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    p.lb_check = place(new QLabel(p.Panel1), "lb_check", 4, 123, 583, 0);
    p.lb_check->setTextFormat(Qt::RichText);
    p.lb_check->setFont(songFont(12));
    p.lb_check->hide();
}

void TFrm_main::createCataloguePanel()
{
    CataloguePanel& p = catalogue;
    p.Panel2 = makePanel(this, "Panel2", 200, 2, 588, 201);
    // The search box (main_window_catalogue_search.cpp) takes the panel's top 24 pixels.
    p.DBGrid1 = place(new dbaware::DBGrid(p.Panel2), "DBGrid1", -7, 24, 595, 145);
    p.DBGrid1->setToolTip(QStringLiteral("双击加入到清单中"));
    p.DBGrid1->setTitleFont(songFont(12));
    p.DBGrid1->setDataset(ADOQueryHW);
    const Qt::Alignment c = Qt::AlignHCenter | Qt::AlignVCenter;
    const Qt::Alignment l = Qt::AlignLeft | Qt::AlignVCenter;
    const Qt::Alignment r = Qt::AlignRight | Qt::AlignVCenter;
    p.DBGrid1->setColumns({
        {"HW_ID", "编 号", 36, c, l, true, {}},
        {"HW_MC", "名   称", 211, l, c, true, {}},
        {"HW_DW", "单  位", 40, c, c, true, {}},
        {"HW_NF", "出  厂", 47, c, c, true, yearList()},
        {"HW_RQ", "更新日期", 75, c, c, true, {}}, // "2026-12-09" whole
        {"HW_JG", "价  格", 60, r, c, true, {}},
        {"HW_CS", "详细参数", 50, c, c, true, {}},
        {"HW_URL", "网  址", 70, l, c, true, {}},
        {"HW_TP", "图  片", 45, c, c, true, {}},
        {"L4_ID", "上  级", 41, r, c, true, {}},
    });

    const char* shapes[] = {"Shape5", "Shape1", "Shape2", "Shape3", "Shape4"};
    const int lineX[] = {3, 78, 159, 237, 315};
    for (int k = 0; k < 5; ++k)
        redLine(p.Panel2, shapes[k], lineX[k], 172);
    p.Lbl_L1 = breadcrumb(p.Panel2, "Lbl_L1", 5);
    p.Lbl_L2 = breadcrumb(p.Panel2, "Lbl_L2", 83);
    p.Lbl_L3 = breadcrumb(p.Panel2, "Lbl_L3", 161);
    p.Lbl_L4 = breadcrumb(p.Panel2, "Lbl_L4", 239);
    p.Lbl_HW = breadcrumb(p.Panel2, "Lbl_HW", 317);

    p.btn_create0 = makeButton(p.Panel2, "btn_create0", QStringLiteral("1、建立清单"), 413, 174, 77, 23);
    p.btn_add0 = makeButton(p.Panel2, "btn_add0", QStringLiteral("2、加入清单"), 500, 174, 81, 23);
    p.Button5 = makeButton(p.Panel2, "Button5", QStringLiteral("帮助"), 539, 146, 41, 25);
    p.Button5->setFont(songFont(14, true));
    setTextColour(p.Button5, Qt::red);
    p.Button5->setCursor(Qt::WhatsThisCursor);
    p.Button5->setToolTip(QStringLiteral("查看帮助"));
}

void TFrm_main::createCategoryGridPanel()
{
    TreePanel& p = tree;
    p.Panel_L1_L4 = makePanel(this, "Panel_L1_L4", 196, 204, 592, 161);
    p.Panel_L1_L4->setCursor(Qt::SizeAllCursor);
    p.DBGrid2 = place(new dbaware::DBGrid(p.Panel_L1_L4), "DBGrid2", 6, 6, 577, 124);
    p.DBGrid2->setTitleFont(songFont(12));
    p.DBGrid2->setDataset(ADOQueryL1_L4);
    p.DBNavigator2 = place(new dbaware::DBNavigator(p.Panel_L1_L4), "DBNavigator2", 3, 133, 300, 25);
    p.DBNavigator2->setDataset(ADOQueryL1_L4);
    p.DBNavigator2->setToolTip(QStringLiteral("晕"));
}

void TFrm_main::createManagementPanel()
{
    ManagementPanel& p = management;
    p.Panel_LIST = makePanel(this, "Panel_LIST", 120, 40, 560, 440);
    p.Panel_LIST->setFrameStyle(QFrame::Box | QFrame::Raised);
    p.Panel_LIST->setLineWidth(1);
    p.Panel_LIST->setMidLineWidth(2);
    QPalette green = p.Panel_LIST->palette();
    green.setColor(QPalette::Window, QColor(192, 220, 192)); // money green
    p.Panel_LIST->setPalette(green);
    p.Panel_LIST->setCursor(Qt::SizeAllCursor);
    p.Panel_LIST->hide();

    const QString caption = QStringLiteral("下面列出了系统中所有的配置单据，请选择并查询：");
    auto* white = place(new QLabel(caption, p.Panel_LIST), "Label13", 8, 12, 385, 21);
    auto* black = place(new QLabel(caption, p.Panel_LIST), "Label14", 9, 13, 385, 21);
    for (QLabel* label : {white, black}) {
        label->setFont(songFont(14));
        label->setAttribute(Qt::WA_TransparentForMouseEvents); // the panel's free area drags it
    }
    setTextColour(white, Qt::white);
    setTextColour(black, Qt::black);

    p.cmb_diy_id = place(new QComboBox(p.Panel_LIST), "cmb_diy_id", 13, 42, 185, 20);
    p.cmb_diy_nm = place(new QComboBox(p.Panel_LIST), "cmb_diy_nm", 13, 82, 185, 20);
    for (QComboBox* combo : {p.cmb_diy_id, p.cmb_diy_nm}) {
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setCursor(Qt::ArrowCursor);
        // Typing narrows the list to the entries holding the text, anywhere in them.
        combo->completer()->setFilterMode(Qt::MatchContains);
        combo->completer()->setCompletionMode(QCompleter::PopupCompletion);
        combo->completer()->setCaseSensitivity(Qt::CaseInsensitive);
    }
    p.btn_diy_id_list = makeButton(p.Panel_LIST, "btn_diy_id_list", QStringLiteral("按此单据编号查询"), 205, 42, 110, 25);
    p.Button1 = makeButton(p.Panel_LIST, "Button1", QStringLiteral("按此单据名称查询"), 205, 78, 110, 25);
    p.Button3 = makeButton(p.Panel_LIST, "Button3", QStringLiteral("按此单据编号删除"), 325, 42, 108, 25);
    p.Button4 = makeButton(p.Panel_LIST, "Button4", QStringLiteral("按此单据名称删除"), 325, 78, 110, 25);
    p.Button2 = makeButton(p.Panel_LIST, "Button2", QStringLiteral("取消"), 437, 42, 52, 60);
    for (QPushButton* button : {p.btn_diy_id_list, p.Button1, p.Button3, p.Button4, p.Button2})
        button->setCursor(Qt::ArrowCursor);
    // Tab order: names first, then numbers, the two queries, cancel, the two deletes.
    QWidget* order[] = {p.cmb_diy_nm, p.cmb_diy_id, p.btn_diy_id_list, p.Button1, p.Button2, p.Button3, p.Button4};
    for (std::size_t k = 1; k < std::size(order); ++k)
        QWidget::setTabOrder(order[k - 1], order[k]);
    createQuotationList();
}

void TFrm_main::createOverlays()
{
    ShellParts& p = shell;
    p.Panel_TIPS = place(new QLabel(QStringLiteral("点 [右键] 有更多功能选项！"), this), "Panel_TIPS", 234, 198, 369, 73);
    p.Panel_TIPS->setAlignment(Qt::AlignCenter);
    p.Panel_TIPS->setFont(songFont(21, true));
    p.Panel_TIPS->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    p.Panel_TIPS->setLineWidth(2);
    p.Panel_TIPS->setMidLineWidth(2);
    p.Panel_TIPS->setAutoFillBackground(true);
    QPalette tips = p.Panel_TIPS->palette();
    tips.setColor(QPalette::Window, Qt::yellow);
    tips.setColor(QPalette::WindowText, Qt::red);
    p.Panel_TIPS->setPalette(tips);

    // The tree's lists of the ids and names a click listed, never shown.
    tree.L_A = place(new QListWidget(this), "L_A", 32, 264, 65, 161);
    tree.L_B = place(new QListWidget(this), "L_B", 104, 264, 65, 161);
    tree.L_A->hide();
    tree.L_B->hide();

    // Shown only when something kept the catalogue from opening.
    p.statusArea = place(new QLabel(this), "statusArea", 2, 400, 189, 112);
    p.statusArea->setWordWrap(true);
    p.statusArea->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    p.statusArea->setFrameStyle(QFrame::Box | QFrame::Plain);
    p.statusArea->setAutoFillBackground(true);
    QPalette status = p.statusArea->palette();
    status.setColor(QPalette::Window, QColor(255, 255, 225));
    status.setColor(QPalette::WindowText, QColor(160, 0, 0));
    p.statusArea->setPalette(status);
    p.statusArea->setTextInteractionFlags(Qt::TextSelectableByMouse);
    p.statusArea->hide();

    p.pnl_help = makePanel(this, "pnl_help", 0, 0, 791, 541);
    p.img_help = place(new PictureFrame(p.pnl_help), "img_help", 1, 1, 789, 539);
    p.img_help->setToolTip(QStringLiteral("点击鼠标左键退出,更多帮助请看作者网站，更多功能请使用鼠标右键！"));
    p.pnl_help->hide();

    p.pnl_bigimg = makePanel(this, "pnl_bigimg", 40, 32, 697, 481);
    p.pnl_bigimg->setFrameStyle(QFrame::Panel | QFrame::Raised);
    p.Image2 = place(new PictureFrame(p.pnl_bigimg), "Image2", 2, 2, 689, 473);
    p.Image2->setToolTip(QStringLiteral("点击或按ESC返回！"));
    p.pnl_bigimg->hide();
}

} // namespace app
