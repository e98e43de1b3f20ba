// A window that grows: its original 791 × 541 layout plus the extra room of a larger or
// maximised window, given to the category tree, the item grid and the lines grid. The
// record panel, the category grid and the buttons keep their sizes and move with the grid
// they belong to.
#include "app/catalogue_search_box.h"
#include "app/growing_layout.h"
#include "app/main_window.h"
#include "app/picture_frame.h"
#include "dbaware/db_grid.h"
#include "dbaware/db_navigator.h"
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

namespace app {

namespace {

constexpr QSize kOriginalSize(791, 541);

using Height = GrowingLayout::Height;

// The grid column that takes the extra width (the item's name, the line's description).
void widenWithWindow(GrowingLayout& g, dbaware::DBGrid* grid, const char* field)
{
    const auto columns = grid->columns();
    for (int i = 0; i < columns.size(); ++i) {
        if (columns[i].fieldName == QLatin1String(field))
            g.addColumn(grid->horizontalHeader(), i);
    }
}

} // namespace

void TFrm_main::createGrowthRules()
{
    growth_ = std::make_unique<GrowingLayout>();
    GrowingLayout& g = *growth_;
    auto down = [&g](QWidget* w, Height share) { g.add(w, {false, false, share, Height::None}); };

    // The tree takes the whole extra height; what sits at its foot goes down with it.
    g.add(tree.tv1, {false, false, Height::None, Height::All});
    down(tree.btn_refresh, Height::All);
    down(shell.statusArea, Height::All);

    // The item grid takes the extra width and the upper half of the extra height.
    g.add(catalogue.Panel2, {false, true, Height::None, Height::Upper});
    g.add(catalogue.searchBox->edit(), {false, true, Height::None, Height::None});
    g.add(catalogue.searchBox->hitList(), {false, true, Height::None, Height::None});
    g.add(catalogue.DBGrid1, {false, true, Height::None, Height::Upper});
    for (QWidget* w : catalogue.Panel2->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (w != catalogue.DBGrid1 && w != catalogue.searchBox->edit() && w != catalogue.Button5 && !w->isWindow())
            down(w, Height::Upper); // breadcrumbs, their red lines and the two step buttons
    }
    // "帮助" stays on the grid's lower right corner.
    g.add(catalogue.Button5, {true, false, Height::Upper, Height::None});

    // The record panel and the category grid keep their size under the item grid.
    down(record.Panel_HW, Height::Upper);
    down(tree.Panel_L1_L4, Height::Upper);

    // The lines grid takes the extra width and the lower half of the extra height; the
    // running total stays at its right end.
    g.add(quotation.Panel1, {false, true, Height::Upper, Height::Lower});
    g.add(quotation.DBGrid3, {false, true, Height::None, Height::Lower});
    for (QWidget* w : {static_cast<QWidget*>(quotation.btn_del1), static_cast<QWidget*>(quotation.btn_cash1),
                       static_cast<QWidget*>(quotation.btn_print1), static_cast<QWidget*>(quotation.DBNV3),
                       static_cast<QWidget*>(quotation.btn_details), static_cast<QWidget*>(quotation.btn_pdf),
                       static_cast<QWidget*>(quotation.btn_png)})
        down(w, Height::Lower);
    g.add(quotation.bbtn_cash, {true, false, Height::Lower, Height::None});
    g.add(quotation.lb_estimate, {true, false, Height::Lower, Height::None});

    // The help overlay covers the whole window, the enlarged picture uses the room too.
    g.add(shell.pnl_help, {false, true, Height::None, Height::All});
    g.add(shell.img_help, {false, true, Height::None, Height::All});
    g.add(shell.pnl_bigimg, {false, true, Height::None, Height::All});
    g.add(shell.Image2, {false, true, Height::None, Height::All});

    widenWithWindow(g, catalogue.DBGrid1, "HW_MC");
    widenWithWindow(g, quotation.DBGrid3, "HW_MS");
    // A grid reopened over new rows takes its declared column widths again; the wide
    // column is widened after that.
    for (dbaware::DBGrid* grid : {catalogue.DBGrid1, quotation.DBGrid3})
        connect(grid->model(), &QAbstractItemModel::modelReset, this,
                [this] { layOutForSize(); }, Qt::QueuedConnection);
}

void TFrm_main::layOutForSize()
{
    growth_->apply(size() - kOriginalSize);
    // The lines grid's room is what the growth gives it; the check takes its rows off it.
    linesGridRoom_ = quotation.DBGrid3->geometry();
    placeBuildCheck();
}

void TFrm_main::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (!growth_)
        return;
    layOutForSize();
}

} // namespace app
