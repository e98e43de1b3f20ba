// The quotation panel's compatibility check: the power estimate and one warning a line
// under the quotation's lines, read again whenever its lines or its total change. Nothing is
// refused: the operator may quote anything.

#include "app/compat_rules_dialog.h"
#include "app/main_window.h"
#include "app/quotation_check.h"
#include "db/compat_rule_store.h"
#include "db/connection.h"
#include "dbaware/db_grid.h"
#include "platform/widgets/dialogs.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <algorithm>

namespace app {

namespace {

constexpr int kLineHeight = 18;
// The lines grid keeps room for three rows: more lines than this show the first ones and a
// count, and all of them are in the tooltip.
constexpr int kMostLines = 3;

} // namespace

void TFrm_main::showBuildCheck()
{
    std::optional<compat::Check> check;
    const QStringList numbers = numbersShown();
    // Lines of several quotations shown together are no one build, and a check that cannot
    // be read says nothing rather than stopping the operator.
    if (numbers.size() == 1)
        platform::guarded([&] { check = checkQuotation(*ADOConnection1, numbers.first()); });
    const QStringList lines = check ? checkLines(*check) : QStringList();
    // The estimate is information; the warnings stand out in red.
    const bool estimated = check && check->powerWatts;
    QStringList shown = lines;
    if (shown.size() > kMostLines) {
        shown = shown.mid(0, kMostLines - 1);
        shown << QStringLiteral("……另有 %1 条提示（指向此处可见全部）").arg(lines.size() - kMostLines + 1);
    }
    QString html;
    for (int i = 0; i < shown.size(); ++i) {
        if (i > 0)
            html += QStringLiteral("<br>");
        const QString text = shown[i].toHtmlEscaped();
        html += i == 0 && estimated ? text : QStringLiteral("<span style=\"color:#c00000\">%1</span>").arg(text);
    }
    QLabel* label = quotation.lb_check;
    label->setText(html);
    label->setToolTip(lines.size() > kMostLines ? lines.join(u'\n') : QString());
    checkLinesShown_ = int(shown.size());
    placeBuildCheck();
}

void TFrm_main::placeBuildCheck()
{
    // The check takes its rows off the bottom of the room the lines grid is given.
    const QRect full = linesGridRoom_;
    const int height = checkLinesShown_ * kLineHeight;
    quotation.DBGrid3->setGeometry(full.adjusted(0, 0, 0, -height));
    quotation.lb_check->setGeometry(full.left(), full.bottom() + 1 - height, full.width(), height);
    quotation.lb_check->setVisible(height > 0);
}

void TFrm_main::addCompatRulesItem()
{
    // Beside the price lists, in the catalogue-wide part of the menu.
    menu.compatRulesItem = new QAction(QStringLiteral("兼容规则..."), menu.PopupMenu1);
    menu.compatRulesItem->setObjectName(QStringLiteral("compatRulesItem"));
    menu.PopupMenu1->insertAction(menu.webSiteItem, menu.compatRulesItem);
    connect(menu.compatRulesItem, &QAction::triggered, this, &TFrm_main::editCompatRules);
}

void TFrm_main::editCompatRules()
{
    platform::reported(this, [this] {
        CompatRulesDialog dialog(db::compatRules(*ADOConnection1), this);
        if (dialog.exec() != QDialog::Accepted)
            return;
        db::storeCompatRules(*ADOConnection1, dialog.rules());
        showBuildCheck();
    });
}

} // namespace app
