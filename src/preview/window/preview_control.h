#pragma once

// The preview control: the left pane (outline tree or page thumbnails), a splitter and the
// page area over a report's prepared pages; zoom, current page, the lock with its message
// panel, files, find, and the objects under the mouse.

#include "preview/window/text_search.h"
#include "report/model/frx_types.h"

#include <QWidget>
#include <functional>
#include <vector>

class QLabel;
class QSplitter;
class QTreeWidget;
class QTreeWidgetItem;

namespace report {
class ReportShell;
class TfrxPreviewPages;
class TfrxReport;
class TfrxView;
} // namespace report

namespace preview {

class TfrxPreviewWorkspace;

// "页 3 / 10": the status bar's page text (clPageOf with its two numbers).
QString pageOfText(int page, int count);

class TfrxPreview : public QWidget {
    Q_OBJECT
public:
    TfrxPreview(QWidget* parent, report::ReportShell& shell);
    ~TfrxPreview() override;

    report::ReportShell& shell() const { return shell_; }
    report::TfrxReport& report() const;
    report::TfrxPreviewPages& pages() const;
    int pageCount() const;

    // 1-based, kept between 1 and the page count.
    int pageNo() const { return pageNo_; }
    void setPageNo(int page) { goToPage(page, nullptr); }
    void First() { setPageNo(1); }
    void Prior() { setPageNo(pageNo_ - 1); }
    void Next() { setPageNo(pageNo_ + 1); }
    void Last() { setPageNo(pageCount()); }

    double zoom() const { return zoom_; }
    // Below 0.25 becomes 0.25; the mode becomes zmDefault and the pages are laid out again.
    void setZoom(double zoom);
    report::TfrxZoomMode zoomMode() const { return zoomMode_; }
    void setZoomMode(report::TfrxZoomMode mode);
    // Lays the pages out again at the zoom (computed for the page-fitting modes).
    void layOutPages();

    // Preparation inside the window.
    bool running() const { return running_; }
    // keepDrillDown: the window itself prepares again to redraw drill-down groups, so the
    // report's list of toggled groups stays.
    void beginPreparation(bool keepDrillDown = false);
    void pagePrepared(int pageNumber);
    void endPreparation();
    int updateInterval() const { return updateInterval_; }

    // While locked only the background is painted; unlocking makes page 1 current.
    bool locked() const { return locked_; }
    void lock(const QString& message = {});
    void unlock();

    // The pane state.
    bool outlineVisible() const;
    void setOutlineVisible(bool visible);
    bool thumbnailVisible() const;
    // Width of the outline and thumbnail pane; the splitter may change it.
    void setLeftWidth(int width);
    void setThumbnailVisible(bool visible);
    void buildOutline();
    QTreeWidget* outlineTree() const { return outline_; }
    TfrxPreviewWorkspace* workspace() const { return workspace_; }
    TfrxPreviewWorkspace* thumbnails() const { return thumbnails_; }
    QLabel* messagePanel() const { return message_; }
    // Goes to the page (1-based) and to a position on it, as an outline node or anchor does.
    void goToPosition(int page, int top);

    // Files: errors reach the caller after the preview is unlocked again.
    void loadFromFile(const QString& fileName);
    void saveToFile(const QString& fileName);

    // Find: the first hit from the dialog's settings, then the next one (F3).
    void find(const QString& text, bool fromTop, bool caseSensitive);
    void findNext();
    bool searchMade() const { return search_.made; }
    const SearchState& searchState() const { return search_; }

    // The preview's events.
    std::function<void(int page)> OnPageChanged;
    std::function<void(Qt::MouseButton)> OnClick;
    std::function<void(const QString& text)> OnStatusText;
    // A drill-down group was toggled in the report's list: the window prepares it again.
    std::function<void()> OnDrillDown;
    // Running started or ended, or the first page arrived: the window updates its buttons.
    std::function<void()> OnStateChanged;
    // The pages were laid out (the zoom box shows the zoom).
    std::function<void()> OnLaidOut;
    // Status panel 0 while preparing.
    std::function<void(const QString& text)> OnStatusPages;

    // The host's events for views under the mouse. A click handler that changed the view
    // answers true: the page is then stored in full and drawn again.
    std::function<void(report::TfrxView& view)> OnMouseOverObject;
    std::function<bool(report::TfrxView& view, Qt::MouseButton, Qt::KeyboardModifiers)> OnClickObject;

    // The objects under the mouse: cursor, status text, clicks (with a redraw).
    void mouseOverSurface(QPoint surfacePos, bool click, Qt::MouseButton button, Qt::KeyboardModifiers shift);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void goToPage(int page, TfrxPreviewWorkspace* chooser);
    void workspaceScrolled();
    void releasedOn(TfrxPreviewWorkspace* area, Qt::MouseButton button, QPoint pos, Qt::KeyboardModifiers mods);
    void outlineClicked(QTreeWidgetItem* item);
    void addOutlineLevel(QTreeWidgetItem* parent);
    std::vector<QSize> pageSizes() const;
    void showHit();
    void placeMessage();

    report::ReportShell& shell_;
    QSplitter* splitter_;
    QTreeWidget* outline_;
    TfrxPreviewWorkspace* thumbnails_;
    TfrxPreviewWorkspace* workspace_;
    QLabel* message_;
    int pageNo_ = 1;
    double zoom_ = 1;
    report::TfrxZoomMode zoomMode_ = report::TfrxZoomMode::zmDefault;
    bool running_ = false;
    bool locked_ = false;
    bool navigating_ = false;
    int updateInterval_ = 20;
    qint64 firstPageAt_ = -1;
    SearchState search_;
};

} // namespace preview
