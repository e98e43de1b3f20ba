#pragma once

// The page area of the preview (and, at zoom 0.1 with page numbers, its thumbnail pane):
// paints the pages near the view from the prepared pages, scrolls, and passes the mouse on.

#include "preview/window/page_list.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QRectF>
#include <functional>

namespace report {
class TfrxPreviewPages;
}

namespace preview {

class TfrxPreviewWorkspace : public QAbstractScrollArea {
    Q_OBJECT
public:
    TfrxPreviewWorkspace(QWidget* parent, bool thumbnails);

    static constexpr int kLineStep = 8;
    static constexpr int kPageStep = 300;
    static constexpr int kWheelStep = 20;
    // Pages this far before or after the page at the top of the view are examined when painting.
    static constexpr int kPaintReach = 40;

    void setPages(report::TfrxPreviewPages* pages) { pages_ = pages; }
    bool thumbnails() const { return thumbnails_; }
    double zoom() const { return zoom_; }
    void setZoom(double zoom) { zoom_ = zoom; }
    // Lays the pages of these sizes (pixels at zoom 1) out at the zoom, in the available
    // width, and sets the scroll range; the scroll position is kept where it still fits.
    void layOut(const std::vector<QSize>& sizes);
    // The width that pages may fill: the view less a vertical scroll bar and the margins.
    int availableWidth() const;
    const TfrxPageList& pageList() const { return list_; }

    int currentIndex() const { return current_; }
    void setCurrentIndex(int index);
    QPoint scrollPos() const;
    void setScrollPos(QPoint pos);
    void scrollBy(int dx, int dy);
    // Scrolls the page's top to 10 pixels below the top of the view.
    void scrollToPage(int index);

    bool locked = false;
    QColor backColor{0x80, 0x80, 0x80};
    QColor frameColor{Qt::black};
    QColor activeFrameColor{0x20, 0x40, 0x80}; // 0x804020 as a BGR number
    // The find hit to invert: page index (-1 for none) and rectangle in page pixels at zoom 1.
    int hitPage = -1;
    QRectF hitRect;

    // What the preview does with the mouse and scrolling.
    std::function<void()> onScrolled;
    // Button released over the surface (position on the scaled surface).
    std::function<void(Qt::MouseButton, QPoint surfacePos, Qt::KeyboardModifiers)> onRelease;
    std::function<void(QPoint surfacePos)> onMove;
    std::function<void()> onDoubleClick;
    // Ctrl+wheel: notches (positive: wheel up).
    std::function<void(int notches)> onZoomWheel;
    // Home, End and Ctrl+PgUp/PgDn: the preview goes to a page.
    std::function<void(int key, Qt::KeyboardModifiers)> onNavigateKey;
    // May the mouse act (pages present and not locked)?
    std::function<bool()> mouseAllowed;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void paintPage(QPainter& painter, int index, const QRect& onView);
    void updateScrollRange();
    bool mayUseMouse() const { return !mouseAllowed || mouseAllowed(); }

    report::TfrxPreviewPages* pages_ = nullptr;
    bool thumbnails_;
    double zoom_ = 1;
    TfrxPageList list_;
    int current_ = 0;
    bool dragging_ = false;
    QPoint dragStart_;
    QPoint dragScroll_;
    int wheelRest_ = 0;
};

} // namespace preview
