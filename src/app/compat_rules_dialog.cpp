#include "app/compat_rules_dialog.h"

#include "compat/build_check.h"
#include "platform/atomic_file.h"
#include "platform/error.h"
#include "platform/widgets/dialogs.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace app {

namespace {

enum Column { kPart, kCategories, kFact, kPattern, kValue, kColumns };

const QString kCsvFilter = QStringLiteral("CSV 文件 (*.csv)");

QStringList factNames()
{
    QStringList names;
    for (compat::Fact f : {compat::Fact::Socket, compat::Fact::MemoryType, compat::Fact::FormFactor,
                           compat::Fact::RatedPower, compat::Fact::PowerDraw, compat::Fact::RecommendedPsu})
        names << compat::factName(f);
    return names;
}

QPushButton* button(QWidget* parent, QLayout* into, const char* name, const QString& caption)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    into->addWidget(b);
    return b;
}

} // namespace

CompatRulesDialog::CompatRulesDialog(const QList<compat::Rule>& rules, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("CompatRulesDialog"));
    setWindowTitle(QStringLiteral("兼容规则"));
    resize(900, 480);
    table_ = new QTableWidget(0, kColumns, this);
    table_->setObjectName(QStringLiteral("rules"));
    table_->setHorizontalHeaderLabels({QStringLiteral("部件"), QStringLiteral("分类"), QStringLiteral("事实"),
                                       QStringLiteral("模式"), QStringLiteral("取值")});
    table_->horizontalHeader()->setSectionResizeMode(kPattern, QHeaderView::Stretch);
    table_->setColumnWidth(kPart, 70);
    table_->setColumnWidth(kCategories, 170);
    table_->setColumnWidth(kFact, 90);
    table_->setColumnWidth(kValue, 50);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    setRules(rules);

    auto* rowButtons = new QHBoxLayout;
    QPushButton* add = button(this, rowButtons, "addRule", QStringLiteral("添加"));
    QPushButton* remove = button(this, rowButtons, "removeRule", QStringLiteral("删除"));
    QPushButton* up = button(this, rowButtons, "moveUp", QStringLiteral("上移"));
    QPushButton* down = button(this, rowButtons, "moveDown", QStringLiteral("下移"));
    rowButtons->addStretch();
    QPushButton* import = button(this, rowButtons, "importRules", QStringLiteral("导入..."));
    QPushButton* exportButton = button(this, rowButtons, "exportRules", QStringLiteral("导出..."));
    QPushButton* defaults = button(this, rowButtons, "defaultRules", QStringLiteral("恢复默认"));

    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    box->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    box->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_);
    layout->addLayout(rowButtons);
    layout->addWidget(box);

    connect(add, &QPushButton::clicked, this, [this] {
        const int row = table_->currentRow() < 0 ? table_->rowCount() : table_->currentRow() + 1;
        insertRow(row, compat::Rule{});
        table_->setCurrentCell(row, kPart);
    });
    connect(remove, &QPushButton::clicked, this, [this] {
        if (table_->currentRow() >= 0)
            table_->removeRow(table_->currentRow());
    });
    connect(up, &QPushButton::clicked, this, [this] { moveCurrentRow(-1); });
    connect(down, &QPushButton::clicked, this, [this] { moveCurrentRow(1); });
    connect(import, &QPushButton::clicked, this, &CompatRulesDialog::importFile);
    connect(exportButton, &QPushButton::clicked, this, &CompatRulesDialog::exportFile);
    connect(defaults, &QPushButton::clicked, this, [this] { setRules(compat::defaultRules()); });
    connect(box, &QDialogButtonBox::accepted, this, &CompatRulesDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &CompatRulesDialog::reject);
}

void CompatRulesDialog::insertRow(int row, const compat::Rule& rule)
{
    table_->insertRow(row);
    table_->setItem(row, kPart, new QTableWidgetItem(rule.part));
    table_->setItem(row, kCategories, new QTableWidgetItem(rule.categories));
    auto* fact = new QComboBox(table_);
    fact->addItems(factNames());
    fact->setCurrentText(compat::factName(rule.fact));
    table_->setCellWidget(row, kFact, fact);
    table_->setItem(row, kPattern, new QTableWidgetItem(rule.pattern));
    table_->setItem(row, kValue, new QTableWidgetItem(rule.value));
}

void CompatRulesDialog::setRules(const QList<compat::Rule>& rules)
{
    table_->setRowCount(0);
    for (const compat::Rule& rule : rules)
        insertRow(table_->rowCount(), rule);
}

compat::Rule CompatRulesDialog::ruleAt(int row) const
{
    const auto text = [this, row](int column) {
        const QTableWidgetItem* item = table_->item(row, column);
        return item ? item->text() : QString();
    };
    const auto* fact = static_cast<const QComboBox*>(table_->cellWidget(row, kFact));
    return {text(kPart).trimmed(), text(kCategories).trimmed(),
            compat::factNamed(fact ? fact->currentText() : QString()).value_or(compat::Fact::Socket),
            text(kPattern), text(kValue).trimmed()};
}

QList<compat::Rule> CompatRulesDialog::rules() const
{
    QList<compat::Rule> rules;
    for (int row = 0; row < table_->rowCount(); ++row) {
        const compat::Rule rule = ruleAt(row);
        if (!rule.part.isEmpty() || !rule.categories.isEmpty() || !rule.pattern.isEmpty() || !rule.value.isEmpty())
            rules << rule;
    }
    return rules;
}

void CompatRulesDialog::moveCurrentRow(int step)
{
    const int row = table_->currentRow();
    const int to = row + step;
    if (row < 0 || to < 0 || to >= table_->rowCount())
        return;
    QList<compat::Rule> shown;
    for (int r = 0; r < table_->rowCount(); ++r)
        shown << ruleAt(r);
    shown.swapItemsAt(row, to);
    setRules(shown);
    table_->setCurrentCell(to, kPart);
}

void CompatRulesDialog::accept()
{
    QStringList problems;
    const QList<compat::Rule> edited = rules();
    for (int i = 0; i < edited.size(); ++i)
        if (edited[i].part.isEmpty())
            problems << QStringLiteral("第 %1 条规则：没有部件").arg(i + 1);
    problems << compat::RuleSet(edited).errors();
    if (!problems.isEmpty()) {
        platform::showMessage(this, QStringLiteral("兼容规则有误，请改正后再保存：\n") + problems.join(u'\n'));
        return;
    }
    QDialog::accept();
}

void CompatRulesDialog::importFile()
{
    const QString file = platform::openFileName(this, QStringLiteral("导入兼容规则"), QDir::homePath(), kCsvFilter);
    if (file.isEmpty())
        return;
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        platform::showMessage(this, QStringLiteral("无法读取文件“%1”：%2").arg(QDir::toNativeSeparators(file), in.errorString()));
        return;
    }
    const compat::RulesRead read = compat::rulesFromCsv(in.readAll());
    // A file with a wrong line replaces nothing: the table stays as it was.
    if (!read.errors.isEmpty()) {
        platform::showMessage(this, QStringLiteral("文件“%1”中有无法读取的规则，表格未改动：\n%2")
                                        .arg(QDir::toNativeSeparators(file), read.errors.join(u'\n')));
        return;
    }
    setRules(read.rules);
}

void CompatRulesDialog::exportFile()
{
    const QString file = platform::saveFileName(this, QStringLiteral("导出兼容规则"),
                                                QDir::home().filePath(QStringLiteral("兼容规则.csv")), kCsvFilter,
                                                QStringLiteral("csv"));
    if (file.isEmpty())
        return;
    const QByteArray csv = compat::rulesToCsv(rules());
    try {
        platform::streamFileAtomically(file, [&](QIODevice& out) { out.write(csv); });
    } catch (const std::exception& e) {
        platform::showMessage(this, platform::errorMessage(e));
    }
}

} // namespace app
