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
    setFixedSize(791, 541);
    setAutoFillBackground(true);

    // Bottom of the stacking order first: each control created later lies over the earlier ones.
    tv1 = place(new QTreeWidget(this), "tv1", 0, 0, 193, 541);
    tv1->setHeaderHidden(true);
    tv1->setRootIsDecorated(false);
    // No expand buttons: selecting a node opens it and closes the branch selected before.
    tv1->setStyleSheet(QStringLiteral("QTreeView::branch { image: none; border-image: none; }"));
    tv1->setIndentation(19);
    tv1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tv1->setItemsExpandable(true);

    btn_refresh = makeButton(this, "btn_refresh", QStringLiteral("刷新数据列表"), 103, 516, 88, 25);
    btn_refresh->setToolTip(QStringLiteral("若添加了分类信息，可点此刷新"));

    createRecordPanel();
    createLinesPanel();
    createCatalogueGridPanel();
    createCategoryPanel();
    createListPanel();
    createOverlays();
}

void TFrm_main::createRecordPanel()
{
    Panel_HW = makePanel(this, "Panel_HW", 197, 204, 592, 161);
    Panel_HW->setCursor(Qt::SizeAllCursor);
    Panel_HW->hide();

    makeLabel(Panel_HW, "Label1", QStringLiteral("编号"), 8, 8);
    DBEdit1 = place(new dbaware::DBEdit(Panel_HW), "DBEdit1", 48, 4, 49, 20);
    DBEdit1->setEnabled(false);
    DBEdit1->setReadOnly(true);
    makeLabel(Panel_HW, "Label2", QStringLiteral("上级"), 99, 8);
    DBEdit2 = place(new dbaware::DBEdit(Panel_HW), "DBEdit2", 131, 4, 57, 20);
    DBEdit2->setEnabled(false);
    makeLabel(Panel_HW, "Label4", QStringLiteral("单位"), 192, 8);
    DBComboBox1 = place(new dbaware::DBComboBox(Panel_HW), "DBComboBox1", 224, 4, 73, 20);
    DBComboBox1->addItems({"个", "片", "件", "条", "支", "套", "根", "箱", "米", "部"});
    makeLabel(Panel_HW, "Label3", QStringLiteral("名称"), 8, 32);
    DBEdit3 = place(new dbaware::DBEdit(Panel_HW), "DBEdit3", 48, 32, 257, 20);
    makeLabel(Panel_HW, "Label5", QStringLiteral("出厂"), 8, 57);
    DBComboBox2 = place(new dbaware::DBComboBox(Panel_HW), "DBComboBox2", 47, 56, 61, 20);
    DBComboBox2->addItems(yearList());
    makeLabel(Panel_HW, "Label6", QStringLiteral("更新日期"), 116, 60);
    DBEdit6 = place(new dbaware::DBEdit(Panel_HW), "DBEdit6", 168, 56, 137, 20);
    DBEdit6->setToolTip(QStringLiteral("可不填，自动取当前时间"));
    makeLabel(Panel_HW, "Label10", QStringLiteral("网址"), 8, 82);
    DBEdit8 = place(new dbaware::DBEdit(Panel_HW), "DBEdit8", 48, 80, 250, 20);
    makeLabel(Panel_HW, "Label8", QStringLiteral("价格"), 8, 106);
    DBEdit7 = place(new dbaware::DBEdit(Panel_HW), "DBEdit7", 48, 104, 134, 20);
    makeLabel(Panel_HW, "Label7", QStringLiteral("详细参数"), 312, 8);
    DBMemo1 = place(new dbaware::DBMemo(Panel_HW), "DBMemo1", 312, 24, 129, 129);
    makeLabel(Panel_HW, "Label9", QStringLiteral("图片"), 448, 8);
    Image1 = place(new PictureFrame(Panel_HW), "Image1", 448, 24, 137, 137);
    Image1->setCursor(Qt::PointingHandCursor);
    Image1->setToolTip(QStringLiteral("点击放大观看！"));
    Image1->setPicture(samplePicture());
    DBImage1 = place(new dbaware::DBImage(Panel_HW), "DBImage1", 560, 2, 25, 23);
    DBImage1->setStretch(true);
    DBImage1->hide();
    DBNavigator1 = place(new dbaware::DBNavigator(Panel_HW), "DBNavigator1", 8, 128, 290, 25);

    const std::pair<QWidget*, const char*> bindings[] = {
        {DBEdit1, "HW_ID"}, {DBEdit2, "L4_ID"}, {DBEdit3, "HW_MC"}, {DBEdit6, "HW_RQ"},
        {DBEdit8, "HW_URL"}, {DBEdit7, "HW_JG"},
    };
    for (const auto& [widget, field] : bindings) {
        auto* edit = static_cast<dbaware::DBEdit*>(widget);
        edit->setDataset(ADOQueryHW);
        edit->setFieldName(QLatin1String(field));
    }
    DBComboBox1->setDataset(ADOQueryHW);
    DBComboBox1->setFieldName(QStringLiteral("HW_DW"));
    DBComboBox2->setDataset(ADOQueryHW);
    DBComboBox2->setFieldName(QStringLiteral("HW_NF"));
    DBMemo1->setDataset(ADOQueryHW);
    DBMemo1->setFieldName(QStringLiteral("HW_CS"));
    DBImage1->setDataset(ADOQueryHW);
    DBImage1->setFieldName(QStringLiteral("HW_TP"));
    DBNavigator1->setDataset(ADOQueryHW);

    QWidget* order[] = {DBEdit1, DBEdit2, DBEdit3, DBEdit6, DBMemo1, DBEdit7, DBImage1,
                        DBEdit8, DBNavigator1, DBComboBox1, DBComboBox2};
    for (std::size_t k = 1; k < std::size(order); ++k)
        QWidget::setTabOrder(order[k - 1], order[k]);
}

void TFrm_main::createLinesPanel()
{
    Panel1 = makePanel(this, "Panel1", 196, 367, 594, 201);
    DBGrid3 = place(new dbaware::DBGrid(Panel1), "DBGrid3", 4, 3, 583, 146);
    DBGrid3->setToolTip(QStringLiteral("双击将选中的项目移出清单"));
    DBGrid3->setTitleFont(songFont(12));
    DBGrid3->setDataset(ADOQueryDIY);
    const Qt::Alignment c = Qt::AlignHCenter | Qt::AlignVCenter;
    const Qt::Alignment l = Qt::AlignLeft | Qt::AlignVCenter;
    const Qt::Alignment r = Qt::AlignRight | Qt::AlignVCenter;
    DBGrid3->setColumns({
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

    btn_del1 = makeButton(Panel1, "btn_del1", QStringLiteral("3、将选中货物移出清单"), 8, 151, 145, 23);
    btn_cash1 = makeButton(Panel1, "btn_cash1", QStringLiteral("4、核算总金额"), 152, 151, 97, 23);
    btn_print1 = makeButton(Panel1, "btn_print1", QStringLiteral("5、打印出单"), 248, 151, 97, 23);
    DBNV3 = place(new dbaware::DBNavigator(Panel1), "DBNV3", 345, 152, 88, 22);
    DBNV3->setDataset(ADOQueryDIY);
    DBNV3->setVisibleButtons({Nav::Edit, Nav::Post, Nav::Cancel, Nav::Refresh});
    bbtn_cash = makeButton(Panel1, "bbtn_cash", QStringLiteral("总价值：0 元"), 435, 149, 157, 25);
    bbtn_cash->setFont(songFont(14, true));
    setTextColour(bbtn_cash, Qt::red);
    bbtn_cash->setToolTip(QStringLiteral("点击可重算"));
    bbtn_cash->setIcon(style()->standardIcon(QStyle::SP_DialogApplyButton));
}

void TFrm_main::createCatalogueGridPanel()
{
    Panel2 = makePanel(this, "Panel2", 200, 2, 588, 201);
    // The search box (main_window_search.cpp) takes the panel's top 24 pixels.
    DBGrid1 = place(new dbaware::DBGrid(Panel2), "DBGrid1", -7, 24, 595, 145);
    DBGrid1->setToolTip(QStringLiteral("双击加入到清单中"));
    DBGrid1->setTitleFont(songFont(12));
    DBGrid1->setDataset(ADOQueryHW);
    const Qt::Alignment c = Qt::AlignHCenter | Qt::AlignVCenter;
    const Qt::Alignment l = Qt::AlignLeft | Qt::AlignVCenter;
    const Qt::Alignment r = Qt::AlignRight | Qt::AlignVCenter;
    DBGrid1->setColumns({
        {"HW_ID", "编 号", 36, c, l, true, {}},
        {"HW_MC", "名   称", 226, l, c, true, {}},
        {"HW_DW", "单  位", 40, c, c, true, {}},
        {"HW_NF", "出  厂", 47, c, c, true, yearList()},
        {"HW_RQ", "更新日期", 60, c, c, true, {}},
        {"HW_JG", "价  格", 60, r, c, true, {}},
        {"HW_CS", "详细参数", 50, c, c, true, {}},
        {"HW_URL", "网  址", 70, l, c, true, {}},
        {"HW_TP", "图  片", 45, c, c, true, {}},
        {"L4_ID", "上  级", 41, r, c, true, {}},
    });

    const char* shapes[] = {"Shape5", "Shape1", "Shape2", "Shape3", "Shape4"};
    const int lineX[] = {3, 78, 159, 237, 315};
    for (int k = 0; k < 5; ++k)
        redLine(Panel2, shapes[k], lineX[k], 172);
    Lbl_L1 = breadcrumb(Panel2, "Lbl_L1", 5);
    Lbl_L2 = breadcrumb(Panel2, "Lbl_L2", 83);
    Lbl_L3 = breadcrumb(Panel2, "Lbl_L3", 161);
    Lbl_L4 = breadcrumb(Panel2, "Lbl_L4", 239);
    Lbl_HW = breadcrumb(Panel2, "Lbl_HW", 317);

    btn_create0 = makeButton(Panel2, "btn_create0", QStringLiteral("1、建立清单"), 413, 174, 77, 23);
    btn_add0 = makeButton(Panel2, "btn_add0", QStringLiteral("2、加入清单"), 500, 174, 81, 23);
    Button5 = makeButton(Panel2, "Button5", QStringLiteral("帮助"), 539, 146, 41, 25);
    Button5->setFont(songFont(14, true));
    setTextColour(Button5, Qt::red);
    Button5->setCursor(Qt::WhatsThisCursor);
    Button5->setToolTip(QStringLiteral("查看帮助"));
}

void TFrm_main::createCategoryPanel()
{
    Panel_L1_L4 = makePanel(this, "Panel_L1_L4", 196, 204, 592, 161);
    Panel_L1_L4->setCursor(Qt::SizeAllCursor);
    DBGrid2 = place(new dbaware::DBGrid(Panel_L1_L4), "DBGrid2", 6, 6, 577, 124);
    DBGrid2->setTitleFont(songFont(12));
    DBGrid2->setDataset(ADOQueryL1_L4);
    DBNavigator2 = place(new dbaware::DBNavigator(Panel_L1_L4), "DBNavigator2", 3, 133, 300, 25);
    DBNavigator2->setDataset(ADOQueryL1_L4);
    DBNavigator2->setToolTip(QStringLiteral("晕"));
}

void TFrm_main::createListPanel()
{
    Panel_LIST = makePanel(this, "Panel_LIST", 154, 179, 505, 121);
    Panel_LIST->setFrameStyle(QFrame::Box | QFrame::Raised);
    Panel_LIST->setLineWidth(1);
    Panel_LIST->setMidLineWidth(2);
    QPalette green = Panel_LIST->palette();
    green.setColor(QPalette::Window, QColor(192, 220, 192)); // money green
    Panel_LIST->setPalette(green);
    Panel_LIST->setCursor(Qt::SizeAllCursor);
    Panel_LIST->hide();

    const QString caption = QStringLiteral("下面列出了系统中所有的配置单据，请选择并查询：");
    auto* white = place(new QLabel(caption, Panel_LIST), "Label13", 8, 12, 385, 21);
    auto* black = place(new QLabel(caption, Panel_LIST), "Label14", 9, 13, 385, 21);
    for (QLabel* label : {white, black}) {
        label->setFont(songFont(14));
        label->setAttribute(Qt::WA_TransparentForMouseEvents); // the panel's free area drags it
    }
    setTextColour(white, Qt::white);
    setTextColour(black, Qt::black);

    cmb_diy_id = place(new QComboBox(Panel_LIST), "cmb_diy_id", 13, 42, 185, 20);
    cmb_diy_nm = place(new QComboBox(Panel_LIST), "cmb_diy_nm", 13, 82, 185, 20);
    for (QComboBox* combo : {cmb_diy_id, cmb_diy_nm}) {
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setCursor(Qt::ArrowCursor);
    }
    btn_diy_id_list = makeButton(Panel_LIST, "btn_diy_id_list", QStringLiteral("按此单据编号查询"), 205, 42, 110, 25);
    Button1 = makeButton(Panel_LIST, "Button1", QStringLiteral("按此单据名称查询"), 205, 78, 110, 25);
    Button3 = makeButton(Panel_LIST, "Button3", QStringLiteral("按此单据编号删除"), 325, 42, 108, 25);
    Button4 = makeButton(Panel_LIST, "Button4", QStringLiteral("按此单据名称删除"), 325, 78, 110, 25);
    Button2 = makeButton(Panel_LIST, "Button2", QStringLiteral("取消"), 437, 42, 52, 60);
    for (QWidget* w : {static_cast<QWidget*>(btn_diy_id_list), static_cast<QWidget*>(Button1),
                       static_cast<QWidget*>(Button3), static_cast<QWidget*>(Button4), static_cast<QWidget*>(Button2)})
        w->setCursor(Qt::ArrowCursor);
    // Tab order: names first, then numbers, the two queries, cancel, the two deletes.
    QWidget* order[] = {cmb_diy_nm, cmb_diy_id, btn_diy_id_list, Button1, Button2, Button3, Button4};
    for (std::size_t k = 1; k < std::size(order); ++k)
        QWidget::setTabOrder(order[k - 1], order[k]);
}

void TFrm_main::createOverlays()
{
    Panel_TIPS = place(new QLabel(QStringLiteral("点 [右键] 有更多功能选项！"), this), "Panel_TIPS", 234, 198, 369, 73);
    Panel_TIPS->setAlignment(Qt::AlignCenter);
    Panel_TIPS->setFont(songFont(21, true));
    Panel_TIPS->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel_TIPS->setLineWidth(2);
    Panel_TIPS->setMidLineWidth(2);
    Panel_TIPS->setAutoFillBackground(true);
    QPalette tips = Panel_TIPS->palette();
    tips.setColor(QPalette::Window, Qt::yellow);
    tips.setColor(QPalette::WindowText, Qt::red);
    Panel_TIPS->setPalette(tips);

    L_A = place(new QListWidget(this), "L_A", 32, 264, 65, 161);
    L_B = place(new QListWidget(this), "L_B", 104, 264, 65, 161);
    L_A->hide();
    L_B->hide();

    // Shown only when something kept the catalogue from opening.
    statusArea = place(new QLabel(this), "statusArea", 2, 400, 189, 112);
    statusArea->setWordWrap(true);
    statusArea->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    statusArea->setFrameStyle(QFrame::Box | QFrame::Plain);
    statusArea->setAutoFillBackground(true);
    QPalette status = statusArea->palette();
    status.setColor(QPalette::Window, QColor(255, 255, 225));
    status.setColor(QPalette::WindowText, QColor(160, 0, 0));
    statusArea->setPalette(status);
    statusArea->setTextInteractionFlags(Qt::TextSelectableByMouse);
    statusArea->hide();

    pnl_help = makePanel(this, "pnl_help", 0, 0, 791, 541);
    img_help = place(new PictureFrame(pnl_help), "img_help", 1, 1, 789, 539);
    img_help->setToolTip(QStringLiteral("点击鼠标左键退出,更多帮助请看作者网站，更多功能请使用鼠标右键！"));
    pnl_help->hide();

    pnl_bigimg = makePanel(this, "pnl_bigimg", 40, 32, 697, 481);
    pnl_bigimg->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Image2 = place(new PictureFrame(pnl_bigimg), "Image2", 2, 2, 689, 473);
    Image2->setToolTip(QStringLiteral("点击或按ESC返回！"));
    pnl_bigimg->hide();
}

} // namespace app
