#include "app/backup_dialog.h"
#include "app/backup_runner.h"
#include "app/main_window.h"
#include "db/backup.h"
#include "db/backup_rotation.h"
#include "platform/error.h"
#include "platform/widgets/dialogs.h"
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace app {

namespace {

QSpinBox* numberBox(int maximum, const QString& suffix, const QString& name)
{
    auto* box = new QSpinBox;
    box->setRange(0, maximum);
    box->setSuffix(suffix);
    box->setObjectName(name);
    return box;
}

QString sizeText(qint64 bytes)
{
    if (bytes >= 1000 * 1000)
        return QString::number(double(bytes) / 1e6, 'f', 1) + QStringLiteral(" MB");
    return QString::number((bytes + 999) / 1000) + QStringLiteral(" KB");
}

QPushButton* button(const QString& text, const QString& name)
{
    auto* b = new QPushButton(text);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

} // namespace

BackupDialog::BackupDialog(TFrm_main& window) : QDialog(&window), window_(window)
{
    setWindowTitle(window.serverAddress().isEmpty()
                       ? QStringLiteral("备份与恢复")
                       : QStringLiteral("备份与恢复（服务器上的目录，备份保存在本机）"));
    list_ = new QTableWidget(0, 7, this);
    list_->setObjectName(QStringLiteral("backupList"));
    list_->setHorizontalHeaderLabels({QStringLiteral("时间"), QStringLiteral("原因"), QStringLiteral("大小"),
                                      QStringLiteral("分类"), QStringLiteral("产品"), QStringLiteral("清单"),
                                      QStringLiteral("图片")});
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->verticalHeader()->hide();
    list_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    list_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);

    backupButton_ = button(QStringLiteral("立即备份"), QStringLiteral("backupNow"));
    restoreButton_ = button(QStringLiteral("恢复"), QStringLiteral("restore"));
    auto* closeButton = button(QStringLiteral("关闭"), QStringLiteral("close"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(backupButton_);
    buttons->addWidget(restoreButton_);
    buttons->addStretch();
    buttons->addWidget(closeButton);

    const db::BackupSettings settings = db::BackupSettings::load(window.dataFolder());
    folder_ = new QLineEdit(settings.folderFor(window.dataFolder()));
    folder_->setObjectName(QStringLiteral("folder"));
    auto* chooseButton = button(QStringLiteral("选择..."), QStringLiteral("chooseFolder"));
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(folder_, 1);
    folderRow->addWidget(chooseButton);
    daily_ = numberBox(365, QStringLiteral(" 份"), QStringLiteral("daily"));
    daily_->setValue(settings.dailyBackups);
    weekly_ = numberBox(520, QStringLiteral(" 周"), QStringLiteral("weekly"));
    weekly_->setValue(settings.weeklyWeeks);
    beforeStep_ = numberBox(3650, QStringLiteral(" 天"), QStringLiteral("beforeStepDays"));
    beforeStep_->setValue(settings.beforeStepDays);
    auto* saveButton = button(QStringLiteral("保存设置"), QStringLiteral("saveSettings"));
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("备份文件夹："), folderRow);
    form->addRow(QStringLiteral("保留每日备份："), daily_);
    form->addRow(QStringLiteral("保留每周备份："), weekly_);
    form->addRow(QStringLiteral("操作前的备份保留："), beforeStep_);
    form->addRow(QString(), saveButton);
    auto* settingsBox = new QGroupBox(QStringLiteral("设置"));
    settingsBox->setLayout(form);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addLayout(buttons);
    layout->addWidget(settingsBox);
    resize(720, 480);

    connect(backupButton_, &QPushButton::clicked, this, &BackupDialog::backUpNow);
    connect(restoreButton_, &QPushButton::clicked, this, &BackupDialog::restoreSelected);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(chooseButton, &QPushButton::clicked, this, &BackupDialog::chooseFolder);
    connect(saveButton, &QPushButton::clicked, this, &BackupDialog::saveSettings);
    connect(window.backups(), &BackupRunner::finished, this, &BackupDialog::reload);
    reload();
}

void BackupDialog::reload()
{
    const QList<db::BackupInfo> backups = db::listBackups(window_.backups()->backupFolder());
    list_->setRowCount(int(backups.size()));
    paths_.clear();
    const QLocale locale;
    for (int row = 0; row < backups.size(); ++row) {
        const db::BackupInfo& b = backups[row];
        paths_ << b.path;
        const QStringList cells = {locale.toString(b.time, QStringLiteral("yyyy-MM-dd HH:mm:ss")), db::causeText(b.cause),
                                   sizeText(b.size), QString::number(b.counts.categories),
                                   QString::number(b.counts.items), QString::number(b.counts.quotations),
                                   QString::number(b.counts.pictures)};
        for (int column = 0; column < cells.size(); ++column) {
            auto* cell = new QTableWidgetItem(cells[column]);
            if (column >= 2)
                cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            list_->setItem(row, column, cell);
        }
    }
    if (!backups.isEmpty())
        list_->selectRow(0);
    restoreButton_->setEnabled(!backups.isEmpty());
}

void BackupDialog::backUpNow()
{
    platform::reported(this, [this] {
        window_.backups()->start(db::BackupCause::Manual);
        backupButton_->setEnabled(false);
        window_.backups()->waitUntilDone();
        backupButton_->setEnabled(true);
        reload();
    });
    backupButton_->setEnabled(true);
}

void BackupDialog::restoreSelected()
{
    const int row = list_->currentRow();
    if (row < 0 || row >= paths_.size())
        return;
    const QString when = list_->item(row, 0)->text();
    if (!window_.serverAddress().isEmpty()) {
        // Restoring would replace what every workstation works on, under their hands.
        platform::showMessage(this, QStringLiteral("服务器上的目录不在这里恢复：它由所有工作站共用。\n"
                                                   "请在服务器上建立一个空的数据库，用\n"
                                                   "qmxdiy-catalogue --server 新数据库的地址 restore \"%1\"\n"
                                                   "把这份备份恢复到其中，再让各工作站连接它。")
                                        .arg(paths_[row]));
        return;
    }
    if (!platform::confirmYesNoDefaultNo(this, QStringLiteral("恢复 %1 的备份（%2）吗？\n当前的数据会先备份，然后被这份备份替换。")
                                                   .arg(when, list_->item(row, 1)->text())))
        return;
    if (window_.restoreFromBackup(paths_[row]))
        platform::showMessage(this, QStringLiteral("已恢复 %1 的备份。").arg(when));
    reload();
}

void BackupDialog::chooseFolder()
{
    const QString chosen = QFileDialog::getExistingDirectory(this, QStringLiteral("选择备份文件夹"), folder_->text());
    if (!chosen.isEmpty())
        folder_->setText(chosen);
}

void BackupDialog::saveSettings()
{
    platform::reported(this, [this] {
        db::BackupSettings settings;
        const QString standard = db::BackupSettings{}.folderFor(window_.dataFolder());
        const QString typed = folder_->text().trimmed();
        settings.folder = typed == standard ? QString() : typed;
        settings.dailyBackups = daily_->value();
        settings.weeklyWeeks = weekly_->value();
        settings.beforeStepDays = beforeStep_->value();
        settings.save(window_.dataFolder());
        reload();
    });
}

} // namespace app
