#pragma once
#include "db/catalogue_index.h"
#include <QObject>
#include <functional>

class QLineEdit;
class QTreeWidget;
class QWidget;

namespace app {

// The search box above the catalogue grid and the list of hits under it. Typing searches as
// you type; Up and Down move through the hits, Enter or a double click chooses one, Esc
// clears the box. The list shows each hit's name, level-2 category and price, and is hidden
// while the box is empty or the focus is elsewhere.
class CatalogueSearchBox : public QObject {
    Q_OBJECT
public:
    using Search = std::function<db::SearchResult(const QString& typed)>;

    // The box goes into `boxParent` at `boxRect`, the hit list into `listParent` at `listRect`
    // (above the controls it covers).
    CatalogueSearchBox(QWidget* boxParent, const QRect& boxRect, QWidget* listParent, const QRect& listRect,
                       Search search);

    QLineEdit* edit() const { return edit_; }
    QTreeWidget* hitList() const { return list_; }
    const QList<db::SearchHit>& hits() const { return hits_; }
    // Runs the pending search at once (typing runs it when the event loop is next idle).
    void searchNow();
    // Chooses the current hit of the list, as Enter does.
    void chooseCurrent();

signals:
    void hitChosen(const db::SearchHit& hit);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showHits(const db::SearchResult& result);
    bool handleKey(int key);

    QLineEdit* edit_;
    QTreeWidget* list_;
    Search search_;
    QList<db::SearchHit> hits_;
    bool pending_ = false;
};

} // namespace app
