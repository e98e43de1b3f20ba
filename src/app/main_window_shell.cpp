// The shell: construction and start-up, timers, window keys, the help overlay and the enlarged
// picture, dragging the quotation-management panel and the popup menu that carries every
// command.
#include "app/main_window.h"
#include "app/app_identity.h"
#include "app/data_folder.h"
#include "app/catalogue_search_box.h"
#include "app/growing_layout.h"
#include "app/picture_frame.h"
#include "app/quotation_printout.h"
#include "db/catalogue_index.h"
#include "db/connection.h"
#include "db/dataset.h"
#include "dbaware/db_edit.h"
#include "dbaware/db_grid.h"
#include "dbaware/db_memo.h"
#include "platform/jpeg_codec.h"
#include "platform/operator_text.h"
#include "platform/widgets/dialogs.h"
#include "platform/widgets/shell_open.h"
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>

namespace app {

TFrm_main::TFrm_main(const QString& dataFolder, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                          | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint),
      dataFolder_(dataFolder),
      helpPage_(QDir::cleanPath(QDir(QCoreApplication::applicationDirPath()).filePath(userGuidePath())))
{
    createQueries();
    createControls();
    createSearchBox();
    createGrowthRules();
    createTimers();
    createPopupMenu();
    addPriceListItems();
    addQuotationItems();
    createBackups();
    addConnectItem();
    addCompatRulesItem();
    wireHandlers();
    // Key preview: the window sees every key before the focused control.
    qApp->installEventFilter(this);
}

TFrm_main::~TFrm_main()
{
    qApp->removeEventFilter(this);
}

QString TFrm_main::programFolder() const
{
    return withSlash(dataFolder_);
}

QString TFrm_main::catalogueConnectionString() const
{
    return serverAddress_.isEmpty() ? db::ConnectionString::build(programFolder()) : serverAddress_;
}

void TFrm_main::showStatus(const QString& text)
{
    shell.statusArea->setText(text);
    shell.statusArea->setToolTip(text);
    shell.statusArea->setVisible(!text.isEmpty());
    if (!text.isEmpty())
        std::fprintf(stderr, "qmxdiy: %s\n", qPrintable(text));
}

QString TFrm_main::statusText() const
{
    return shell.statusArea->text();
}

void TFrm_main::createTimers()
{
    // Timer1 and Timer2 count from the window's creation; Timer3 waits for compaction.
    shell.Timer1 = new QTimer(this);
    shell.Timer1->setObjectName(QStringLiteral("Timer1"));
    shell.Timer1->setInterval(500);
    shell.Timer2 = new QTimer(this);
    shell.Timer2->setObjectName(QStringLiteral("Timer2"));
    shell.Timer2->setInterval(3000);
    shell.Timer3 = new QTimer(this);
    shell.Timer3->setObjectName(QStringLiteral("Timer3"));
    shell.Timer3->setInterval(3000);
    connect(shell.Timer1, &QTimer::timeout, this, &TFrm_main::Timer1Timer);
    connect(shell.Timer2, &QTimer::timeout, this, &TFrm_main::Timer2Timer);
    connect(shell.Timer3, &QTimer::timeout, this, &TFrm_main::Timer3Timer);
    // Another workstation's change shows here within a second.
    changeWatch_ = new QTimer(this);
    changeWatch_->setObjectName(QStringLiteral("changeWatch"));
    changeWatch_->setInterval(500);
    connect(changeWatch_, &QTimer::timeout, this, &TFrm_main::followOtherWorkstations);
    changeWatch_->start();
    shell.Timer1->start();
    shell.Timer2->start();
}

void TFrm_main::createPopupMenu()
{
    menu.PopupMenu1 = new QMenu(this);
    menu.PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    auto item = [](QMenu* into, const char* name, const QString& caption, void (TFrm_main::*handler)(), TFrm_main* self,
                   const QKeySequence& shortcut = {}) {
        QAction* action = into->addAction(caption);
        action->setObjectName(QLatin1String(name));
        if (!shortcut.isEmpty()) {
            // Shown in the menu; the window routes the keys itself (see eventFilter), so the
            // menu takes them whichever control has the focus.
            action->setShortcut(shortcut);
            action->setShortcutContext(Qt::WidgetShortcut);
        }
        if (handler)
            QObject::connect(action, &QAction::triggered, self, handler);
        return action;
    };
    auto separator = [](QMenu* into, const char* name) { into->addSeparator()->setObjectName(QLatin1String(name)); };
    QMenu* m = menu.PopupMenu1;
    menu.N3 = item(m, "N3", QStringLiteral("1、建立清单(装机单)"), &TFrm_main::btn_create0Click, this);
    menu.N1 = item(m, "N1", QStringLiteral("2、加入清单"), &TFrm_main::btn_add0Click, this);
    menu.N31 = item(m, "N31", QStringLiteral("3、移出清单"), &TFrm_main::btn_del1Click, this);
    menu.N41 = item(m, "N41", QStringLiteral("4、核算总额"), &TFrm_main::btn_cash1Click, this);
    menu.N51 = item(m, "N51", QStringLiteral("5、打印出单"), &TFrm_main::btn_print1Click, this);
    separator(m, "N14");
    menu.N13 = item(m, "N13", QStringLiteral("★ 粘贴"), &TFrm_main::N13Click, this, QKeySequence(Qt::CTRL | Qt::Key_V));
    menu.N22 = item(m, "N22", QStringLiteral("★ 复制"), &TFrm_main::N22Click, this, QKeySequence(Qt::CTRL | Qt::Key_C));
    menu.N10 = item(m, "N10", QStringLiteral("★ 剪切"), &TFrm_main::N10Click, this, QKeySequence(Qt::CTRL | Qt::Key_X));
    menu.N26 = item(m, "N26", QStringLiteral("★ 清除"), &TFrm_main::N26Click, this, QKeySequence(Qt::Key_Delete));
    separator(m, "N20");
    menu.N19 = item(m, "N19", QStringLiteral("○ 管理清单(查阅/打印)"), &TFrm_main::N19Click, this);
    menu.N21 = item(m, "N21", QStringLiteral("○ 刷新左侧分类数据表"), &TFrm_main::btn_refreshClick, this);
    separator(m, "N2");
    menu.N4 = item(m, "N4", QStringLiteral("◇ 添加记录"), &TFrm_main::N4Click, this);
    menu.N5 = item(m, "N5", QStringLiteral("◇ 修改记录"), nullptr, this);
    menu.N6 = item(m, "N6", QStringLiteral("◇ 保存修改"), nullptr, this);
    menu.N15 = item(m, "N15", QStringLiteral("◇ 删除记录"), nullptr, this);
    menu.N16 = item(m, "N16", QStringLiteral("◇ 打开产品网址"), &TFrm_main::N16Click, this);
    menu.N8 = item(m, "N8", QStringLiteral("◆ 从剪贴板粘贴图片"), &TFrm_main::N8Click, this);
    menu.N9 = item(m, "N9", QStringLiteral("◆ 从文件导入图片"), &TFrm_main::N9Click, this);
    menu.N7 = m->addMenu(QStringLiteral("◆ 其他图片设置"));
    menu.N7->setObjectName(QStringLiteral("N7"));
    menu.N24 = item(menu.N7, "N24", QStringLiteral("◇ 清除已有图片"), &TFrm_main::N24Click, this);
    menu.N11 = item(menu.N7, "N11", QStringLiteral("◇ 复制到剪贴板"), &TFrm_main::N11Click, this);
    menu.N12 = item(menu.N7, "N12", QStringLiteral("◇ 保存到文件"), &TFrm_main::N12Click, this);
    separator(menu.N7, "N23");
    separator(m, "N17");
    menu.N27 = item(m, "N27", QStringLiteral("※ 压缩数据库(每周一次)"), &TFrm_main::N27Click, this);
    menu.webSiteItem = item(m, "N25", QStringLiteral("◇ ") + webSiteName() + QStringLiteral("(更新)"),
                       &TFrm_main::openMakersWebSite, this);
    menu.authorItem = item(m, "N28", QStringLiteral("◇ 作者  ") + authorName(), &TFrm_main::openMakersWebSite, this);
    menu.N18 = item(m, "N18", QStringLiteral("◇ 查看软件帮助"), &TFrm_main::N18Click, this);
}

void TFrm_main::wireHandlers()
{
    // Every entry point from the event loop runs under the handler's own guard (see the
    // handlers); none lets an exception through.
    connect(tree.btn_refresh, &QPushButton::clicked, this, &TFrm_main::btn_refreshClick);
    connect(catalogue.Button5, &QPushButton::clicked, this, &TFrm_main::openMakersWebSite);
    connect(shell.img_help, &PictureFrame::clicked, this, &TFrm_main::img_helpClick);
    connect(record.Image1, &PictureFrame::clicked, this, &TFrm_main::Image1Click);
    connect(shell.Image2, &PictureFrame::clicked, this, &TFrm_main::Image2Click);

    connect(catalogue.DBGrid1, &dbaware::DBGrid::cellClick, this, &TFrm_main::DBGrid1CellClick);
    connect(catalogue.DBGrid1, &dbaware::DBGrid::dblClick, this, &TFrm_main::DBGrid1DblClick);
    connect(catalogue.DBGrid1, &dbaware::DBGrid::keyDown, this, &TFrm_main::DBGrid1KeyDown);
    connect(catalogue.DBGrid1, &dbaware::DBGrid::keyUp, this, &TFrm_main::DBGrid1KeyUp);
    connect(quotation.DBGrid3, &dbaware::DBGrid::dblClick, this, &TFrm_main::DBGrid3DblClick);

    connect(catalogue.btn_create0, &QPushButton::clicked, this, &TFrm_main::btn_create0Click);
    connect(catalogue.btn_add0, &QPushButton::clicked, this, &TFrm_main::btn_add0Click);
    connect(quotation.btn_del1, &QPushButton::clicked, this, &TFrm_main::btn_del1Click);
    connect(quotation.btn_cash1, &QPushButton::clicked, this, &TFrm_main::btn_cash1Click);
    connect(quotation.bbtn_cash, &QPushButton::clicked, this, &TFrm_main::btn_cash1Click);
    connect(quotation.btn_print1, &QPushButton::clicked, this, &TFrm_main::btn_print1Click);
    connect(management.btn_diy_id_list, &QPushButton::clicked, this, &TFrm_main::btn_diy_id_listClick);
    connect(management.Button1, &QPushButton::clicked, this, &TFrm_main::Button1Click);
    connect(management.Button2, &QPushButton::clicked, this, &TFrm_main::Button2Click);
    connect(management.Button3, &QPushButton::clicked, this, &TFrm_main::Button3Click);
    connect(management.Button4, &QPushButton::clicked, this, &TFrm_main::Button4Click);

    // Events of the data layer run inside the operation that raised them, so their errors
    // reach whoever started it (the grid or navigator shows them with the error report).
    ADOQueryL1_L4->afterInsert = [this](db::Dataset&) { ADOQueryL1_L4AfterInsert(); };
    ADOQueryL1_L4->afterDelete = [this](db::Dataset&) { ADOQueryL1_L4AfterDelete(); };
    ADOQueryHW->afterInsert = [this](db::Dataset&) { ADOQueryHWAfterInsert(); };
    ADOQueryHW->beforePost = [this](db::Dataset&) { ADOQueryHWBeforePost(); };
    ADOQueryDIY->beforeDelete = [this](db::Dataset&) { ADOQueryDIYBeforeDelete(); };
    ADOQueryDIY->beforePost = [this](db::Dataset&) { ADOQueryDIYBeforePost(); };
    ADOQueryDIY->afterPost = [this](db::Dataset&) { ADOQueryDIYAfterPost(); };
    ADOQueryDIY->afterDelete = [this](db::Dataset&) { showBuildCheck(); };

    management.Panel_LIST->installEventFilter(this);
    wireCategoryTree();
    wireQuotationList();
}

void TFrm_main::FormCreate()
{
    platform::guarded([this] {
        ADOConnection1->setConnectionString(catalogueConnectionString());
        openCheckedCatalogue();
        // What the window shows from now on is what the catalogue holds now.
        seenDataVersion_ = ADOConnection1->dataVersion();
        currentQuotation.number = platform::shortDate(QDate::currentDate());
        currentQuotation.name = QStringLiteral("配置单");
        currentQuotation.total = 0;
        showRunningTotal();
        currentQuotation.open = false;
        topLevelInsertMode = true;
    });
}

void TFrm_main::Timer1Timer()
{
    btn_refreshClick();
    shell.Timer1->stop();
}

void TFrm_main::Timer2Timer()
{
    shell.Panel_TIPS->hide();
}

void TFrm_main::N18Click()
{
    if (shell.img_help->picture().isNull()) {
        platform::guarded([this] {
            QFile file(QStringLiteral(":/app/help.jpg"));
            if (file.open(QIODevice::ReadOnly))
                shell.img_help->setPicture(platform::decodeJpeg(file.readAll()));
        });
    }
    shell.pnl_help->show();
    shell.pnl_help->raise();
    shell.pnl_bigimg->raise();
}

void TFrm_main::img_helpClick()
{
    shell.pnl_help->hide();
}

void TFrm_main::Image2Click()
{
    shell.pnl_bigimg->hide();
}

void TFrm_main::FormKeyDown(int key, Qt::KeyboardModifiers)
{
    if (key == Qt::Key_Escape)
        shell.pnl_bigimg->hide();
}

void TFrm_main::openMakersWebSite()
{
    // Checked like a product address, so only a document (never a program) is opened.
    if (!platform::openCheckedAddress(helpPage_, dataFolder()))
        platform::showMessage(this, QStringLiteral("找不到帮助页：") + helpPage_);
}

bool TFrm_main::isInsideWindow(QObject* object) const
{
    auto* widget = qobject_cast<QWidget*>(object);
    return widget && (widget == this || isAncestorOf(widget));
}

namespace {

bool editsText(const QWidget* widget)
{
    if (const auto* combo = qobject_cast<const QComboBox*>(widget))
        return combo->isEditable();
    return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QPlainTextEdit*>(widget)
        || qobject_cast<const QTextEdit*>(widget) || qobject_cast<const QAbstractSpinBox*>(widget);
}

} // namespace

bool TFrm_main::runMenuShortcut(const QKeyEvent& key, QObject* receiver)
{
    // The search box edits its own text with these keys.
    auto* focused = qobject_cast<QWidget*>(receiver);
    if (catalogue.searchBox && focused == catalogue.searchBox->edit())
        return false;
    // A control that edits text (a data edit or memo, a grid's cell editor, an editable combo
    // box) handles Delete itself, deleting at the caret as any editor does; "★ 清除" in the
    // popup menu empties the whole field. The clipboard keys stay with the menu for the data
    // edits, whose commands they are, and go to every other text control.
    const bool dataEdit = qobject_cast<dbaware::DBEdit*>(focused) || qobject_cast<dbaware::DBMemo*>(focused);
    if (editsText(focused) && (key.key() == Qt::Key_Delete || !dataEdit))
        return false;
    const QKeySequence pressed(key.modifiers() | key.key());
    for (QAction* action : {menu.N13, menu.N22, menu.N10, menu.N26}) {
        if (action->shortcut() == pressed) {
            action->trigger();
            return true;
        }
    }
    return false;
}

bool TFrm_main::dragPanel(QWidget* panel, QEvent* event)
{
    // Pressing any button on the panel's own surface moves it with the mouse until release.
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        dragging_ = true;
        dragOffset_ = mouse->globalPosition().toPoint() - panel->pos();
        return true;
    }
    case QEvent::MouseMove:
        if (dragging_) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            QPoint to = mouse->globalPosition().toPoint() - dragOffset_;
            // Keep a corner of the panel inside the window so it can always be taken back.
            to.setX(std::clamp(to.x(), 24 - panel->width(), width() - 24));
            to.setY(std::clamp(to.y(), 0, height() - 24));
            panel->move(to);
            return true;
        }
        return false;
    case QEvent::MouseButtonRelease:
        if (dragging_) {
            dragging_ = false;
            return true;
        }
        return false;
    default:
        return false;
    }
}

bool TFrm_main::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == management.Panel_LIST && dragPanel(management.Panel_LIST, event))
        return true;
    if (watched == this && event->type() == QEvent::WindowActivate)
        followOtherWorkstations();
    // The tree's clicks: see treeMouseEvent (runs the click handler `i`).
    if (watched == tree.tv1->viewport() && treeMouseEvent(event))
        return true;
    if (event->type() == QEvent::KeyPress && isInsideWindow(watched)) {
        auto* key = static_cast<QKeyEvent*>(event);
        // A key is seen once, by the control that has the focus, not again on its way up.
        if (watched == QApplication::focusWidget() || watched == this) {
            FormKeyDown(key->key(), key->modifiers());
            if (runMenuShortcut(*key, watched))
                return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TFrm_main::contextMenuEvent(QContextMenuEvent* event)
{
    notePopupNode(event->globalPos());
    menu.PopupMenu1->popup(event->globalPos());
}

} // namespace app
