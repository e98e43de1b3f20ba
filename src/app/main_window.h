#pragma once
#include "app/shop_state.h"
#include "db/quotation_records.h"
#include <QPersistentModelIndex>
#include <QRect>
#include <QWidget>
#include <memory>

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;
namespace report { class TfrxPageExport; }

namespace db { enum class BackupCause; class CatalogueIndex; class Connection; class Dataset; struct SearchHit; }
namespace dbaware { class DBComboBox; class DBEdit; class DBGrid; class DBImage; class DBMemo; class DBNavigator; }

namespace app {

class BackupRunner;
class CatalogueSearchBox;
class GrowingLayout;
class QuotationPrintout;
class PictureFrame;

// The program's one window. Its controls are grouped by the panel that shows them, each
// panel followed by the handlers it owns; the handlers live in the main_window_*.cpp files
// named with the panel, the places and captions of every control in main_window_layout.cpp.
class TFrm_main : public QWidget {
    Q_OBJECT
public:
    // The data folder holds the catalogue file and the PICS folder.
    explicit TFrm_main(const QString& dataFolder, QWidget* parent = nullptr);
    ~TFrm_main() override;

    const QString& dataFolder() const { return dataFolder_; }
    // The PostgreSQL server whose catalogue the window opens (a libpq URI without password);
    // empty for the data folder's file. Set before FormCreate.
    void setServerAddress(const QString& address) { serverAddress_ = address; }
    const QString& serverAddress() const { return serverAddress_; }
    // The connection string of the catalogue chosen: the server's address or the file's.
    QString catalogueConnectionString() const;
    // The data folder with its trailing slash, as the program's paths are built from it.
    QString programFolder() const;

    // Reasons the operator should know about (the catalogue could not be opened), shown in
    // the window's status area and written to standard error. Empty text hides the area.
    void showStatus(const QString& text);
    QString statusText() const;

    // The user guide "帮助" and the web-site and author items open (app_identity.h).
    const QString& helpPage() const { return helpPage_; }
    void setHelpPage(const QString& path) { helpPage_ = path; }

    // ---- state shared by the panels, for the whole run ----
    CategoryValues categoryValues;
    CategoryInsertContext insertContext;
    bool topLevelInsertMode = false;
    HardwareSelection hardwareSelection;
    CurrentQuotation currentQuotation;

    // ---- database connection and query components ----
    // They stay with the window: a query's one current row and state are shared by the
    // panels bound to it (ADOQueryHW by the catalogue grid and the record panel, ADOQueryDIY
    // by the quotation grid and the management panel), and compaction and closing take all
    // eight in one order.
    std::unique_ptr<db::Connection> ADOConnection1;
    db::Dataset* ADOQueryL1 = nullptr;    // DataSource1
    db::Dataset* ADOQueryL2 = nullptr;    // DataSource2
    db::Dataset* ADOQueryL3 = nullptr;    // DataSource3
    db::Dataset* ADOQueryL4 = nullptr;    // DataSource4
    db::Dataset* ADOQueryL1_L4 = nullptr; // DataSource6
    db::Dataset* ADOQueryHW = nullptr;    // DataSource5
    db::Dataset* ADOQueryDIY = nullptr;   // DataSource7
    db::Dataset* ADOQuery_LIST = nullptr; // DataSource8
    // The catalogue search's index over ADOConnection1 (destroyed before the connection).
    std::unique_ptr<db::CatalogueIndex> catalogueIndex;

    // ================================================================ tree panel
    // The category tree on the left with its refresh button, and Panel_L1_L4 with the grid
    // of the categories under the one clicked (main_window_tree.cpp).
    struct TreePanel {
        QTreeWidget* tv1 = nullptr;
        QPushButton* btn_refresh = nullptr;
        QFrame* Panel_L1_L4 = nullptr;
        dbaware::DBGrid* DBGrid2 = nullptr;       // ADOQueryL1_L4
        dbaware::DBNavigator* DBNavigator2 = nullptr;
        QListWidget* L_A = nullptr;               // hidden: ids of the rows the last click listed
        QListWidget* L_B = nullptr;               // hidden: their names
    } tree;

public slots:
    void btn_refreshClick();
    void i(); // the click on a tree node
    void ADOQueryL1_L4AfterInsert();
    void ADOQueryL1_L4AfterDelete();
    void N4Click(); // "◇ 添加记录": a category row, or an item when a level-4 category is open

private:
    void createTree();
    void createCategoryGridPanel();
    void wireCategoryTree();
    void clickCategory();
    // Left presses and releases on the tree's nodes: true when the event was taken.
    bool treeMouseEvent(QEvent* event);
    void insertCategoryRow(db::Dataset& rows);
    // The new category's name from the prompt; Cancel drops the new row and ends quietly.
    QString askCategoryName(db::Dataset& rows, const QString& caption);
    // Before a category row is deleted: asks about the sub-categories and items under it and
    // deletes them with the row, or aborts the delete on No.
    void deleteCategoryWithContents(db::Dataset& rows);
    // The node last clicked, or null once a refresh has removed it.
    QTreeWidgetItem* lastClickedNode() const;
    // Fails with a message for the operator unless the last click found its category's id
    // in the catalogue, so nothing is ever filed under a category clicked before.
    void requireResolvedCategory() const;
    // Fails with a message for the operator unless the hardware grid lists the items of a
    // level-4 category the catalogue still has (its id in categoryValues.l4Id); a new item
    // must not be filed under a category clicked before.
    void requireItemCategory() const;

    QPersistentModelIndex lastClickedNode_; // invalid after a refresh
    QPersistentModelIndex pressedNode_;     // the node under the mouse when the left button went down
    bool categoryResolved_ = false;          // the last click found its category's id

public:
    // ================================================================ catalogue panel
    // Panel2: the search box over the item grid of the level-4 category clicked, the path of
    // the selection, and the commands that start a quotation and add the selection to it
    // (main_window_catalogue.cpp, main_window_catalogue_search.cpp).
    struct CataloguePanel {
        QFrame* Panel2 = nullptr;
        CatalogueSearchBox* searchBox = nullptr; // above DBGrid1
        dbaware::DBGrid* DBGrid1 = nullptr;      // ADOQueryHW
        QLabel* Lbl_L1 = nullptr;
        QLabel* Lbl_L2 = nullptr;
        QLabel* Lbl_L3 = nullptr;
        QLabel* Lbl_L4 = nullptr;
        QLabel* Lbl_HW = nullptr;
        QPushButton* btn_create0 = nullptr;
        QPushButton* btn_add0 = nullptr;
        QPushButton* Button5 = nullptr;          // help
    } catalogue;

public slots:
    void DBGrid1CellClick(int column);
    void DBGrid1DblClick();
    void DBGrid1KeyDown(int key, Qt::KeyboardModifiers shift);
    void DBGrid1KeyUp(int key, Qt::KeyboardModifiers shift);
    void btn_create0Click();
    void btn_add0Click();
    // Selects a search hit as a click on its row in its category does: the tree shows the
    // category, the grid and record panel the item with its picture.
    void showSearchHit(const db::SearchHit& hit);

private:
    void createCataloguePanel();
    void createSearchBox();
    // Makes the grid's current row the current hardware selection and shows its picture;
    // false when the row could not be read (nothing to add to a quotation then).
    bool pickHardwareRow();
    // The tree node of a level-4 category, found by its path of names; null when the tree
    // does not show it.
    QTreeWidgetItem* treeNodeOfCategory(int l4Id) const;

public:
    // ================================================================ record panel
    // Panel_HW: the edits of the current item of ADOQueryHW with its picture and navigator;
    // the popup menu's text and picture commands act on it (main_window_record.cpp,
    // main_window_pictures.cpp).
    struct RecordPanel {
        QFrame* Panel_HW = nullptr;
        dbaware::DBEdit* DBEdit1 = nullptr;         // HW_ID
        dbaware::DBEdit* DBEdit2 = nullptr;         // L4_ID
        dbaware::DBComboBox* DBComboBox1 = nullptr; // HW_DW
        dbaware::DBEdit* DBEdit3 = nullptr;         // HW_MC
        dbaware::DBComboBox* DBComboBox2 = nullptr; // HW_NF
        dbaware::DBEdit* DBEdit6 = nullptr;         // HW_RQ
        dbaware::DBEdit* DBEdit8 = nullptr;         // HW_URL
        dbaware::DBEdit* DBEdit7 = nullptr;         // HW_JG
        dbaware::DBMemo* DBMemo1 = nullptr;         // HW_CS
        PictureFrame* Image1 = nullptr;             // the item's picture file
        dbaware::DBImage* DBImage1 = nullptr;       // hidden: HW_TP
        dbaware::DBNavigator* DBNavigator1 = nullptr;
    } record;

public slots:
    void ADOQueryHWAfterInsert();
    void ADOQueryHWBeforePost();
    // Reads the item grid again, keeping its current row: after an import, a branch delete,
    // and when another workstation changed the catalogue (followOtherWorkstations).
    void rereadItems();
    // Every half second: when another workstation (or another program on the file) has
    // committed a change and the operator edits nothing, the visible grids are read again on
    // the same rows, and the tree when the categories changed.
    void followOtherWorkstations();
    void Image1Click();
    void N13Click(); // paste
    void N22Click(); // copy
    void N10Click(); // cut
    void N26Click(); // clear
    void N16Click(); // open the item's web address
    void N8Click();  // picture from the clipboard
    void N9Click();  // picture from a file
    void N24Click(); // clear the picture
    void N11Click(); // picture to the clipboard
    void N12Click(); // picture to a file

private:
    void createRecordPanel();
    // The categories as a fingerprint of every row (id, parent, name) of L1 to L4.
    QByteArray categoryFingerprint();
    // Builds the tree again with the same nodes open and the same category clicked.
    void rereadTreeKeepingPlace();
    QByteArray seenCategories_; // the fingerprint when the tree was built

public:
    // ================================================================ quotation panel
    // Panel1: the lines of the open quotation (ADOQueryDIY) with their commands and the
    // running total (main_window_quotations.cpp, main_window_printout.cpp).
    struct QuotationPanel {
        QFrame* Panel1 = nullptr;
        dbaware::DBGrid* DBGrid3 = nullptr;
        QPushButton* btn_del1 = nullptr;
        QPushButton* btn_cash1 = nullptr;
        QPushButton* btn_print1 = nullptr;
        dbaware::DBNavigator* DBNV3 = nullptr;
        QPushButton* bbtn_cash = nullptr; // the total; a click recomputes it
        QPushButton* btn_details = nullptr; // "单据详情...": the customer
        QPushButton* btn_pdf = nullptr;     // "导出PDF..."
        QPushButton* btn_png = nullptr;     // "导出图片..."
        QLabel* lb_estimate = nullptr;    // "预计功耗 约 420W", beside the total
        QLabel* lb_check = nullptr;       // the compatibility warnings, under the lines
    } quotation;

public slots:
    void btn_del1Click();
    void btn_cash1Click();
    void btn_print1Click();
    void DBGrid3DblClick();
    void ADOQueryDIYBeforeDelete();
    // The open quotation's details dialog (customer name, phone, note).
    void quotationDetailsClick();
    // The open quotation as a PDF, or as one PNG picture per page, for the customer
    // (main_window_sharing.cpp).
    void exportPdfClick();
    void exportPicturesClick();

public:
    // The report component, made by the first print command (null before).
    QuotationPrintout* printout() const { return printout_.get(); }

private:
    void createQuotationPanel();
    void createQuotation();
    void addLine();
    // Removes several marked lines after asking once (No is the default).
    void removeLines(const QList<int>& rows);
    // The recompute command's body; fails (for the caller's guard or error report).
    void recompute();
    // The total caption in its "单据总价值：" form (after create, add line, delete).
    void showRunningTotal();
    // The estimate and warnings of the quotation shown, under its lines; the grid gives up
    // one row of height for each line of them.
    void showBuildCheck();
    // Lays the lines grid and the check out in the room the grid is given.
    void placeBuildCheck();
    QRect linesGridRoom_;     // the lines grid's place without the check
    int checkLinesShown_ = 0;
    // "兼容规则...": edits the catalogue's rules; the check follows them at once.
    void addCompatRulesItem();
    void editCompatRules();
    // The distinct quotation numbers of the lines the grid shows, in their order.
    QStringList numbersShown() const;
    // Lines posted get amount = quantity × price; the total then follows the lines shown.
    void ADOQueryDIYBeforePost();
    void ADOQueryDIYAfterPost();
    double amountsShown() const;
    // True when every line shown has the amount its quantity and price give.
    bool amountsAgree() const;
    // Prepares the open quotation's lines and shows them in the preview window.
    void printQuotation();
    // The printout over the open quotation's lines, with the shop's details and the
    // customer; null (the operator told) when no quotation is open.
    QuotationPrintout* printoutOfOpenQuotation();
    void exportQuotation(const report::TfrxPageExport& filter, const QString& caption, const QString& fileFilter);
    // Shows the details dialog of a quotation and saves what the operator changed; false for
    // Cancel.
    bool editQuotationDetails(const QString& number);
    std::unique_ptr<QuotationPrintout> printout_; // made on first use

public:
    // ================================================================ management panel
    // Panel_LIST: the quotation numbers and names in the catalogue, to open or delete the
    // lines of one (main_window_management.cpp).
    struct ManagementPanel {
        QFrame* Panel_LIST = nullptr;
        QComboBox* cmb_diy_id = nullptr;
        QComboBox* cmb_diy_nm = nullptr;
        QPushButton* btn_diy_id_list = nullptr; // open by number
        QPushButton* Button1 = nullptr;         // open by name
        QPushButton* Button3 = nullptr;         // delete by number
        QPushButton* Button4 = nullptr;         // delete by name
        QPushButton* Button2 = nullptr;         // cancel
        // The list of every quotation, narrowed by the search text; a picked row fills the two
        // boxes above, so the queries and deletes act on it.
        QLineEdit* edt_search = nullptr;
        QTreeWidget* lst_quotations = nullptr;
        QPushButton* btn_open = nullptr;    // "打开"
        QPushButton* btn_copy = nullptr;    // "复制为新单"
        QPushButton* btn_rename = nullptr;  // "重命名"
        QPushButton* btn_details = nullptr; // "单据详情..."
        QPushButton* btn_delete = nullptr;  // "删除"
    } management;

public slots:
    void N19Click(); // "○ 管理清单(查阅/打印)": shows the panel
    void btn_diy_id_listClick();
    void Button1Click();
    void Button3Click();
    void Button4Click();
    void Button2Click();
    void quotationListSearch();
    void quotationListPicked();
    void copyQuotationClick();
    void renameQuotationClick();
    void listedDetailsClick();

private:
    void createManagementPanel();
    void createQuotationList();
    void wireQuotationList();
    // Reads the quotations again and lists those the search text finds; the row of `select`
    // is picked (else the first).
    void fillQuotationTable(const QString& select = {});
    // Lists the quotations read last that the search text finds (as the operator types).
    void showQuotationTable(const QString& select);
    // The number of the picked row, empty when none is picked.
    QString pickedNumber() const;
    using StatementOf = QString (*)(const QString& value);
    // The panel's commands on the quotation whose number or name (key) the box shows: the
    // line being edited is saved first, or nothing changes; then the value becomes the current
    // quotation's, and its lines are opened (and recomputed) or deleted.
    void openQuotation(QString CurrentQuotation::*key, const QComboBox& box, StatementOf linesOf);
    void adoptShownQuotation();
    void deleteQuotation(QString CurrentQuotation::*key, const QComboBox& box, StatementOf deleteLinesOf);
    void fillQuotationList(QComboBox* list, const QString& statement, const QString& column);
    // Asks before the lines of one number or name are deleted, naming how many; false for No
    // (the default) and when no line carries the value.
    bool confirmQuotationDelete(bool byNumber, const QString& value);

public:
    // ================================================================ shell
    // What lies over the panels, the timers and the status area (main_window_shell.cpp);
    // the popup menu carrying every command; the catalogue-wide commands: compaction
    // (main_window_compaction.cpp) and price lists (main_window_price_list.cpp); pending
    // edits on closing (main_window_pending.cpp).
    struct ShellParts {
        QLabel* Panel_TIPS = nullptr;
        QFrame* pnl_help = nullptr;
        PictureFrame* img_help = nullptr;
        QFrame* pnl_bigimg = nullptr;
        PictureFrame* Image2 = nullptr; // Image1's picture, enlarged
        QLabel* statusArea = nullptr;
        QTimer* Timer1 = nullptr;       // the first refresh after start
        QTimer* Timer2 = nullptr;       // hides the tips
        QTimer* Timer3 = nullptr;       // the second step of compaction
    } shell;

    struct PopupMenu {
        QMenu* PopupMenu1 = nullptr;
        QMenu* N7 = nullptr; // "◆ 其他图片设置" submenu
        QAction *N3 = nullptr, *N1 = nullptr, *N31 = nullptr, *N41 = nullptr, *N51 = nullptr;
        QAction *N13 = nullptr, *N22 = nullptr, *N10 = nullptr, *N26 = nullptr;
        QAction *N19 = nullptr, *N21 = nullptr;
        QAction *N4 = nullptr, *N5 = nullptr, *N6 = nullptr, *N15 = nullptr, *N16 = nullptr;
        QAction *N8 = nullptr, *N9 = nullptr, *N24 = nullptr, *N11 = nullptr, *N12 = nullptr;
        QAction *N27 = nullptr, *webSiteItem = nullptr, *authorItem = nullptr, *N18 = nullptr;
        QAction *N29 = nullptr, *N30 = nullptr; // "导出价格表...", "导入价格表..."
        QAction* shopDetailsItem = nullptr;     // "店铺信息..."
        QAction* quotationDetailsItem = nullptr; // "单据详情..."
        QAction *exportPdfItem = nullptr, *exportPicturesItem = nullptr;
        QAction* compatRulesItem = nullptr;     // "兼容规则..."
    } menu;

public slots:
    void FormCreate();
    void Timer1Timer();
    void Timer2Timer();
    void N18Click();
    void img_helpClick();
    void Image2Click();
    void FormKeyDown(int key, Qt::KeyboardModifiers shift);
    void openMakersWebSite();
    void N27Click();
    void Timer3Timer();
    void N29Click(); // export the catalogue, or the category the popup menu was opened on
    void N30Click(); // import a price list after its preview
    void shopDetailsClick(); // "店铺信息...": the shop's details on every sheet

public:
    // ================================================================ backups
    // Backups at the first start of a day and before every step that removes or rewrites
    // much, "备份与恢复..." with its restore, and the check of the catalogue at start
    // (main_window_backups.cpp, backup_dialog.cpp).
    BackupRunner* backups() const { return backups_; }
    QAction* backupsItem() const { return backupsItem_; }
    // "连接服务器...": the file or a server for this workstation, tested and remembered.
    QAction* connectItem() const { return connectItem_; }
    // Restores a backup after backing up the current state; the window then shows the
    // restored catalogue. A failure is reported and leaves the catalogue as it was.
    bool restoreFromBackup(const QString& path);

public slots:
    void backupsItemClick(); // "备份与恢复..."
    void connectItemClick();
    // Settles the pending edits as closing does (asks "保存修改吗?"), closes the catalogue and
    // opens the data folder's file (empty address) or the server instead. False when the
    // operator kept the edits (Cancel, or a post that failed); the old catalogue stays open.
    bool reopenCatalogue(const QString& serverAddress);

private:
    void createBackups();
    // Takes the snapshot of a backup before a step; when it cannot be taken the step does
    // not go on (the failure is reported even by a silent handler).
    void backUpBefore(db::BackupCause cause);
    // Opens the catalogue and checks it; a damaged one is closed and the latest sound backup
    // offered. Fails when no usable catalogue is open in the end.
    void openCheckedCatalogue();
    bool offerBackupInstead(const QString& problem);
    // The server's catalogue; while it cannot be reached the operator chooses "重试" or
    // "打开目录文件" (the data folder's file, for this run).
    void openServerCatalogue();
    // The caption names the server and database the window shows; the product title alone
    // over the file.
    void showCatalogueInCaption();
    void addConnectItem();
    QAction* connectItem_ = nullptr;
    QTimer* changeWatch_ = nullptr;
    BackupRunner* backups_ = nullptr;
    QAction* backupsItem_ = nullptr;
    bool damagedCatalogue_ = false; // the check at start failed and no backup was restored

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // With an edit pending, asks "保存修改吗?": Yes posts it (a failure keeps the window
    // open), No discards it, Cancel keeps the window open.
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    // The extra room of a larger window goes to the tree and the two grids.
    void resizeEvent(QResizeEvent* event) override;

private:
    void createQueries();
    void createControls();
    void createOverlays();
    void createTimers();
    void createGrowthRules();
    // Places the controls for the window's present size, the check under the lines too.
    void layOutForSize();
    void createPopupMenu();
    void addPriceListItems();
    void addQuotationItems();
    void wireHandlers();
    bool isInsideWindow(QObject* object) const;
    // The popup menu's shortcut keys, unless the control receiving them edits text itself.
    bool runMenuShortcut(const QKeyEvent& key, QObject* receiver);
    bool dragPanel(QWidget* panel, QEvent* event);
    // Remembers the tree node under a popup menu's position (none elsewhere).
    void notePopupNode(const QPoint& globalPos);
    // The eight query components, in the order compaction closes them.
    QList<db::Dataset*> queries() const;
    // Posts every pending edit or insert; fails (UnsavedEditError) at the first that cannot be.
    void postPendingEdits();
    // With an edit pending, asks "保存修改吗?": Yes posts (a failure is reported), No
    // discards. True when nothing is pending any more; false for Cancel or a failed post.
    bool settlePendingEdits();
    bool anyEditing() const;

    // ---- database compaction ----
    struct CompactionRun;
    void closeDatabase();
    void compactAndPutBack();
    std::shared_ptr<CompactionRun> compaction_; // made on first use

    QList<db::QuotationRecord> quotationsRead_; // the management list's rows, newest first
    std::unique_ptr<GrowingLayout> growth_;
    QPersistentModelIndex popupNode_;
    qint64 seenDataVersion_ = -1; // the catalogue's change count when the item grid was read
    QString dataFolder_;
    QString serverAddress_;
    QString helpPage_;
    QPoint dragOffset_;
    bool dragging_ = false;
};

} // namespace app
