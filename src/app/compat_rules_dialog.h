#pragma once
#include "compat/compat_rules.h"

#include <QDialog>

class QTableWidget;

namespace app {

// "兼容规则": the table of rules that reads a build's facts, one rule a row (部件, 分类,
// 事实, 模式, 取值), with rows added, removed and moved, the table exchanged with a CSV file,
// and the program's own rules brought back. OK keeps the dialog open while a rule is wrong,
// and names it.
class CompatRulesDialog : public QDialog {
public:
    CompatRulesDialog(const QList<compat::Rule>& rules, QWidget* parent);

    // The rules as edited; rows left wholly empty are no rules.
    QList<compat::Rule> rules() const;
    void setRules(const QList<compat::Rule>& rules);

    void accept() override;

    QTableWidget* table() const { return table_; }

private:
    void insertRow(int row, const compat::Rule& rule);
    compat::Rule ruleAt(int row) const;
    void moveCurrentRow(int step);
    void importFile();
    void exportFile();

    QTableWidget* table_ = nullptr;
};

} // namespace app
