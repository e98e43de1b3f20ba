#pragma once
#include "app/shop_state.h"
#include <QPersistentModelIndex>
#include <QWidget>
#include <memory>

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QListWidget;
class QMenu;
class QPushButton;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

namespace db { class CatalogueIndex; class Connection; class Dataset; struct SearchHit; }
namespace dbaware { class DBComboBox; class DBEdit; class DBGrid; class DBImage; class DBMemo; class DBNavigator; }

namespace app {

class CatalogueSearchBox;
class QuotationPrintout;
class PictureFrame;

// The program's one window. Its controls carry the names the handlers use; the handlers are
// split by subsystem into main_window_*.cpp files.
class TFrm_main : public QWidget {
    Q_OBJECT
public:
    // The data folder holds the catalogue file and the PICS folder.
    explicit TFrm_main(const QString& dataFolder, QWidget* parent = nullptr);
    ~TFrm_main() override;

    const QString& dataFolder() const { return dataFolder_; }
    // The data folder with its trailing slash, as the program's paths are built from it.
    QString programFolder() const;

    // Reasons the operator should know about (the catalogue could not be opened), shown in
    // the window's status area and written to standard error. Empty text hides the area.
    void showStatus(const QString& text);
    QString statusText() const;

    // The help page the web-site and author items open: README.md beside the program file.
    const QString& helpPage() const { return helpPage_; }
    void setHelpPage(const QString& path) { helpPage_ = path; }

    // ---- state shared by the subsystems, for the whole run ----
    CategoryValues categoryValues;
    CategoryInsertContext insertContext;
    bool topLevelInsertMode = false;
    HardwareSelection hardwareSelection;
    CurrentQuotation quotation;

    // ---- database connection and query components ----
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

    // ---- controls, bottom to top ----
    QTreeWidget* tv1 = nullptr;
    QPushButton* btn_refresh = nullptr;

    QFrame* Panel_HW = nullptr;
    dbaware::DBEdit* DBEdit1 = nullptr;
    dbaware::DBEdit* DBEdit2 = nullptr;
    dbaware::DBComboBox* DBComboBox1 = nullptr;
    dbaware::DBEdit* DBEdit3 = nullptr;
    dbaware::DBComboBox* DBComboBox2 = nullptr;
    dbaware::DBEdit* DBEdit6 = nullptr;
    dbaware::DBEdit* DBEdit8 = nullptr;
    dbaware::DBEdit* DBEdit7 = nullptr;
    dbaware::DBMemo* DBMemo1 = nullptr;
    PictureFrame* Image1 = nullptr;
    dbaware::DBImage* DBImage1 = nullptr;
    dbaware::DBNavigator* DBNavigator1 = nullptr;

    QFrame* Panel1 = nullptr;
    dbaware::DBGrid* DBGrid3 = nullptr;
    QPushButton* btn_del1 = nullptr;
    QPushButton* btn_cash1 = nullptr;
    QPushButton* btn_print1 = nullptr;
    dbaware::DBNavigator* DBNV3 = nullptr;
    QPushButton* bbtn_cash = nullptr;

    QFrame* Panel2 = nullptr;
    dbaware::DBGrid* DBGrid1 = nullptr;
    QLabel* Lbl_L1 = nullptr;
    QLabel* Lbl_L2 = nullptr;
    QLabel* Lbl_L3 = nullptr;
    QLabel* Lbl_L4 = nullptr;
    QLabel* Lbl_HW = nullptr;
    QPushButton* btn_create0 = nullptr;
    QPushButton* btn_add0 = nullptr;
    QPushButton* Button5 = nullptr;

    QFrame* Panel_L1_L4 = nullptr;
    dbaware::DBGrid* DBGrid2 = nullptr;
    dbaware::DBNavigator* DBNavigator2 = nullptr;

    QFrame* Panel_LIST = nullptr;
    QComboBox* cmb_diy_id = nullptr;
    QComboBox* cmb_diy_nm = nullptr;
    QPushButton* btn_diy_id_list = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button4 = nullptr;
    QPushButton* Button2 = nullptr;

    QLabel* Panel_TIPS = nullptr;
    QListWidget* L_A = nullptr;
    QListWidget* L_B = nullptr;
    QFrame* pnl_help = nullptr;
    PictureFrame* img_help = nullptr;
    QFrame* pnl_bigimg = nullptr;
    PictureFrame* Image2 = nullptr;
    QLabel* statusArea = nullptr;
    CatalogueSearchBox* searchBox = nullptr; // above DBGrid1 in Panel2

    QTimer* Timer1 = nullptr;
    QTimer* Timer2 = nullptr;
    QTimer* Timer3 = nullptr;

    QMenu* PopupMenu1 = nullptr;
    QMenu* N7 = nullptr; // "◆ 其他图片设置" submenu
    QAction *N3 = nullptr, *N1 = nullptr, *N31 = nullptr, *N41 = nullptr, *N51 = nullptr;
    QAction *N13 = nullptr, *N22 = nullptr, *N10 = nullptr, *N26 = nullptr;
    QAction *N19 = nullptr, *N21 = nullptr;
    QAction *N4 = nullptr, *N5 = nullptr, *N6 = nullptr, *N15 = nullptr, *N16 = nullptr;
    QAction *N8 = nullptr, *N9 = nullptr, *N24 = nullptr, *N11 = nullptr, *N12 = nullptr;
    QAction *N27 = nullptr, *webSiteItem = nullptr, *authorItem = nullptr, *N18 = nullptr;
    QAction *N29 = nullptr, *N30 = nullptr; // "导出价格表...", "导入价格表..."

public slots:
    // ---- shell ----
    void FormCreate();
    void Timer1Timer();
    void Timer2Timer();
    void N18Click();
    void img_helpClick();
    void FormKeyDown(int key, Qt::KeyboardModifiers shift);
    void openMakersWebSite();

    // ---- category tree and category editing ----
    void btn_refreshClick();
    void i();
    void ADOQueryL1_L4AfterInsert();
    void ADOQueryL1_L4AfterDelete();
    void N4Click();

    // ---- hardware catalogue, pictures, clipboard and web commands ----
    void DBGrid1CellClick(int column);
    void DBGrid1DblClick();
    void DBGrid1KeyDown(int key, Qt::KeyboardModifiers shift);
    void DBGrid1KeyUp(int key, Qt::KeyboardModifiers shift);
    void ADOQueryHWAfterInsert();
    void Image1Click();
    void Image2Click();
    void N8Click();
    void N9Click();
    void N24Click();
    void N11Click();
    void N12Click();
    void N13Click();
    void N22Click();
    void N10Click();
    void N26Click();
    void N16Click();

    // ---- quotations and compaction ----
    void btn_create0Click();
    void btn_add0Click();
    void btn_del1Click();
    void btn_cash1Click();
    void DBGrid3DblClick();
    void ADOQueryDIYBeforeDelete();
    void N19Click();
    void btn_diy_id_listClick();
    void Button1Click();
    void Button3Click();
    void Button4Click();
    void Button2Click();
    void N27Click();
    void Timer3Timer();

    // ---- quotation printout ----
    void btn_print1Click();
    // The report component, made by the first print command (null before).
    QuotationPrintout* printout() const { return printout_.get(); }

    // ---- catalogue search and price lists ----
    // Selects a search hit as a click on its row in its category does: the tree shows the
    // category, the grid and record panel the item with its picture.
    void showSearchHit(const db::SearchHit& hit);
    void N29Click(); // export the catalogue, or the category the popup menu was opened on
    void N30Click(); // import a price list after its preview

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // With an edit pending, asks "保存修改吗?": Yes posts it (a failure keeps the window
    // open), No discards it, Cancel keeps the window open.
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // The eight query components, in the order compaction closes them.
    QList<db::Dataset*> queries() const;
    // Posts every pending edit or insert; fails (UnsavedEditError) at the first that cannot be.
    void postPendingEdits();
    void createQueries();
    void createControls();
    void createCategoryPanel();
    void createRecordPanel();
    void createLinesPanel();
    void createCatalogueGridPanel();
    void createListPanel();
    void createOverlays();
    void createTimers();
    void createPopupMenu();
    void wireHandlers();
    bool isInsideWindow(QObject* object) const;
    bool runMenuShortcut(const QKeyEvent& key);
    bool dragPanel(QWidget* panel, QEvent* event);
    // The total caption in its "单据总价值：" form (after create, add line, delete).
    void showRunningTotal();

    // ---- category tree (main_window_tree.cpp) ----
    void wireCategoryTree();
    void clickCategory();
    // Left presses and releases on the tree's nodes: true when the event was taken.
    bool treeMouseEvent(QEvent* event);
    void insertCategoryRow(db::Dataset& rows);
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

    // ---- hardware catalogue (main_window_catalogue.cpp) ----
    // Makes the grid's current row the current hardware selection and shows its picture;
    // false when the row could not be read (nothing to add to a quotation then).
    bool pickHardwareRow();

    // ---- quotations (main_window_quotations.cpp, main_window_quotation_list.cpp) ----
    void createQuotation();
    void addLine();
    // The recompute command's body; fails (for the caller's guard or error report).
    void recompute();
    void openQuotation(const QString& statement);
    void fillQuotationList(QComboBox* list, const QString& statement, const QString& column);

    // ---- catalogue search and price lists (main_window_search.cpp, main_window_price_list.cpp) ----
    void createSearchBox();
    void addPriceListItems();
    // The tree node of a level-4 category, found by its path of names; null when the tree
    // does not show it.
    QTreeWidgetItem* treeNodeOfCategory(int l4Id) const;
    // Remembers the tree node under a popup menu's position (none elsewhere).
    void notePopupNode(const QPoint& globalPos);
    QPersistentModelIndex popupNode_;

    // ---- quotation printout (main_window_printout.cpp) ----
    // Prepares the open quotation's lines and shows them in the preview window.
    void printQuotation();
    std::unique_ptr<QuotationPrintout> printout_; // made on first use

    // ---- database compaction (main_window_compaction.cpp) ----
    struct CompactionRun;
    void closeDatabase();
    void compactAndPutBack();
    std::shared_ptr<CompactionRun> compaction_; // made on first use

    QPersistentModelIndex lastClickedNode_; // invalid after a refresh
    QPersistentModelIndex pressedNode_;     // the node under the mouse when the left button went down
    bool categoryResolved_ = false;          // the last click found its category's id

    QString dataFolder_;
    QString helpPage_;
    QPoint dragOffset_;
    bool dragging_ = false;
};

} // namespace app
