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
// The lines grid keeps room for its rows: more warnings than this show the first one and a
// count, and all of them are in the tooltip.
constexpr int kMostLines = 2;

} // namespace

void TFrm_main::showBuildCheck()
{
    std::optional<compat::Check> check;
    const QStringList numbers = numbersShown();
    // Lines of several quotations shown together are no one build, and a check that cannot
    // be read says nothing rather than stopping the operator.
    if (numbers.size() == 1)
        platform::guarded([&] { check = checkQuotation(*ADOConnection1, numbers.first()); });
    // The estimate stands beside the total; the warnings, in red, under the lines.
    quotation.lb_estimate->setText(check ? compat::estimateText(*check) : QString());
    const QStringList warnings = check ? check->warnings : QStringList();
    QStringList shown = warnings;
    if (shown.size() > kMostLines) {
        shown = shown.mid(0, kMostLines - 1);
        shown << QStringLiteral("……另有 %1 条提示（指向此处可见全部）").arg(warnings.size() - kMostLines + 1);
    }
    QStringList html;
    for (const QString& line : shown)
        html << line.toHtmlEscaped();
    QLabel* label = quotation.lb_check;
    label->setText(QStringLiteral("<span style=\"color:#c00000\">%1</span>").arg(html.join(QStringLiteral("<br>"))));
    label->setToolTip(warnings.size() > kMostLines ? warnings.join(u'\n') : QString());
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
