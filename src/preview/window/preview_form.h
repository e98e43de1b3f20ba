#pragma once

// The preview window: toolbar, status bar and popup menu around the preview control; the
// window's keys, full screen, and the commands (print, files, export, find, page settings,
// edit); it follows the report's preparation when the report is prepared inside it.

#include "report/model/frx_types.h"

#include <QDialog>
#include <QHash>
#include <functional>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QStatusBar;
class QToolBar;

namespace report {
class ReportShell;
class TfrxPageExport;
class TfrxReportPage;
} // namespace report

namespace preview {

class TfrxPreview;

class TfrxPreviewForm : public QDialog {
    Q_OBJECT
public:
    TfrxPreviewForm(QWidget* parent, report::ReportShell& shell);
    ~TfrxPreviewForm() override;

    // Applies the report's preview options, builds the export and popup menus, sets the
    // caption and shows the prepared pages from page 1.
    void Init();

    TfrxPreview* preview() const { return preview_; }
    report::ReportShell& shell() const { return shell_; }
    // A toolbar button or box by its name ("PrintB", "ZoomCB", ...), null for none.
    QAction* button(const QString& name) const { return buttons_.value(name); }
    QComboBox* zoomBox() const { return zoomCB_; }
    QLineEdit* pageBox() const { return pageE_; }
    QToolBar* toolBar() const { return toolBar_; }
    QStatusBar* statusBar() const { return statusBar_; }
    QString statusText(int panel) const;
    QMenu* popupMenu() const { return popup_; }
    bool fullScreen() const { return fullScreen_; }

    // The commands; each does nothing while the report is being prepared or, where it needs
    // them, while there are no pages.
    void Print();
    void Load();
    void Save();
    void Find();
    void FindNext();
    void PageSetup();
    void Edit();
    void Export(const report::TfrxPageExport& filter);
    void ZoomIn();
    void ZoomOut();
    void SetFullScreen(bool on);
    // The close button and Esc: stops a preparation, otherwise closes the window.
    void CancelOrClose();
    // Zoom box text: "页宽", "整页", or a percentage ("80", "80%", "1,5").
    void ApplyZoomText(const QString& text);
    void ApplyPageText(const QString& text);

    // Opening and saving without the file dialogs; a failure is shown in a message box.
    void loadFile(const QString& fileName);
    void saveFile(const QString& fileName);
    // Applies the page-settings dialog's answer for the page object (the rebuilt current
    // page): the current page is replaced, or every template page takes the settings and
    // the report is prepared again in the window.
    void applyPageSettings(int answer, report::TfrxReportPage& page);
    // Prepares the report again inside the window. keepDrillDown: a drill-down redraw, which
    // keeps the list of toggled groups, the current page and the scroll position.
    void prepareAgain(bool keepDrillDown);

protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QAction* addButton(const QString& name, int caption, int hint, int image, std::function<void()> action);
    void buildToolBar();
    void applyButtons();
    void buildPopup();
    void buildExportMenu();
    void updateButtons();
    void updateZoomBox();
    void pageChanged(int page);
    bool hasButton(int previewButton) const;
    bool handleWindowKey(int key, Qt::KeyboardModifiers mods);
    bool canUsePages() const;
    void hookPreparation();
    QAction* CancelB() const;

    report::ReportShell& shell_;
    TfrxPreview* preview_;
    QToolBar* toolBar_;
    QStatusBar* statusBar_;
    QLabel* status_[2];
    QComboBox* zoomCB_;
    QLineEdit* pageE_;
    QMenu* popup_;
    QMenu* exportMenu_;
    QHash<QString, QAction*> buttons_;
    QList<QAction*> separators_;
    QString shownZoom_;
    bool fullScreen_ = false;
    Qt::WindowStates savedState_;
    bool keepDrillDown_ = false;
    // The shell's progress handlers before this window took them over.
    using ProgressHandler = std::function<void(report::TfrxProgressType, int)>;
    ProgressHandler savedStart_, savedProgress_, savedStop_;
};

} // namespace preview
