#pragma once
#include <QDialog>

class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace app {

class TFrm_main;

// "备份与恢复": the backups of the data folder with their time, cause, size and what each
// holds; "立即备份" makes one, "恢复" restores the one selected (the current state is backed
// up first); below, where backups go and how long they are kept.
class BackupDialog : public QDialog {
    Q_OBJECT
public:
    explicit BackupDialog(TFrm_main& window);

    QTableWidget* list() const { return list_; }
    // The backup files in the order of the list.
    const QStringList& paths() const { return paths_; }

private:
    void reload();
    void backUpNow();
    void restoreSelected();
    void chooseFolder();
    void saveSettings();

    TFrm_main& window_;
    QTableWidget* list_ = nullptr;
    QPushButton* backupButton_ = nullptr;
    QPushButton* restoreButton_ = nullptr;
    QLineEdit* folder_ = nullptr;
    QSpinBox* daily_ = nullptr;
    QSpinBox* weekly_ = nullptr;
    QSpinBox* beforeStep_ = nullptr;
    QStringList paths_;
};

} // namespace app
