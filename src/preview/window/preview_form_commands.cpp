// The preview window's commands: print, files, export, find, page settings, edit, zoom,
// full screen, close, and preparing the report again inside the window.

#include "preview/window/preview_form.h"

#include "platform/error.h"
#include "platform/widgets/dialogs.h"
#include "preview/printing/print_command.h"
#include "preview/printing/print_job.h"
#include "preview/window/page_settings_apply.h"
#include "preview/window/page_settings_dialog.h"
#include "preview/window/preview_control.h"
#include "preview/window/preview_workspace.h"
#include "preview/window/search_dialog.h"
#include "report/engine/report_shell.h"
#include "report/frx_resources.h"
#include "report/model/frx_pages.h"
#include "report/model/frx_report.h"
#include "report/pages/page_export.h"
#include "report/pages/preview_pages.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QStatusBar>
#include <QToolBar>

namespace preview {

namespace {

QString fp3Filter() { return frxGet(QStringLiteral("clFP3files")) + QStringLiteral(" (*.fp3)"); }

} // namespace

void TfrxPreviewForm::Print()
{
    if (!canUsePages())
        return;
    if (!systemHasPrinters()) {
        platform::showErrorBox(this, frxGet(QStringLiteral("mbError")), frxGet(QStringLiteral("clNoPrinters")));
        return;
    }
    // The pages stay painted behind the print dialog; the job locks the preview only once
    // the dialog is answered and the pages start going to the printer.
    PrintJobHooks hooks;
    hooks.LockPreview = [this](bool locked) {
        if (locked)
            preview_->lock();
    };
    platform::reported(this, [&] {
        printPreparedReport(this, shell_.Report(), shell_.PreviewPages(), preview_->pageNo(), hooks);
    });
    preview_->unlock();
    setEnabled(true);
}

void TfrxPreviewForm::Load()
{
    if (!canUsePages())
        return;
    const QString name = platform::openFileName(this, QString(), QString(), fp3Filter());
    if (!name.isEmpty())
        loadFile(name);
}

void TfrxPreviewForm::loadFile(const QString& fileName)
{
    if (preview_->running())
        return;
    // The preview is unlocked again before the error shows; it keeps whatever was read.
    platform::reported(this, [&] { preview_->loadFromFile(fileName); });
    button(QStringLiteral("OutlineB"))->setChecked(preview_->outlineVisible());
    updateButtons();
}

void TfrxPreviewForm::Save()
{
    if (!canUsePages())
        return;
    const QString name = platform::saveFileName(this, QString(), QString(), fp3Filter(), QStringLiteral("fp3"));
    if (!name.isEmpty())
        saveFile(name);
}

void TfrxPreviewForm::saveFile(const QString& fileName)
{
    if (!canUsePages())
        return;
    const QFileInfo info(fileName);
    const QString target = info.dir().filePath(info.completeBaseName() + QStringLiteral(".fp3"));
    platform::reported(this, [&] { preview_->saveToFile(target); });
}

void TfrxPreviewForm::Export(const report::TfrxPageExport& filter)
{
    if (!canUsePages())
        return;
    const QString name = platform::saveFileName(this, QString(), QString(), filter.FileFilter(), filter.Name());
    if (name.isEmpty())
        return;
    report::TfrxExportSettings settings;
    settings.OnProgress = [this](int done, int) {
        QString text = frxGet(QStringLiteral("prExporting"));
        status_[1]->setText(text.replace(QLatin1StringView("%d"), QString::number(done)));
        QCoreApplication::processEvents();
        return true;
    };
    preview_->lock();
    platform::reported(this, [&] { filter.Export(shell_.PreviewPages(), name, settings); });
    status_[1]->clear();
    preview_->unlock();
}

void TfrxPreviewForm::Find()
{
    if (!canUsePages())
        return;
    TfrxSearchDialog dialog(this);
    if (dialog.exec() == QDialog::Accepted)
        preview_->find(dialog.text(), dialog.fromTop(), dialog.caseSensitive());
}

void TfrxPreviewForm::FindNext()
{
    if (canUsePages())
        preview_->findNext();
}

void TfrxPreviewForm::PageSetup()
{
    if (!canUsePages())
        return;
    report::TfrxReportPage* page = shell_.PreviewPages().GetPreparedPage(preview_->pageNo() - 1);
    if (!page)
        return;
    const PageSettingsApply answer = showPageSettings(this, shell_.Report(), *page);
    applyPageSettings(int(answer), *page);
}

void TfrxPreviewForm::applyPageSettings(int answer, report::TfrxReportPage& page)
{
    if (preview_->running())
        return;
    if (PageSettingsApply(answer) == PageSettingsApply::CurrentPage) {
        const int index = preview_->pageNo() - 1;
        preview_->lock();
        platform::reported(this, [&] { shell_.PreviewPages().ReplacePage(index, page); });
        preview_->unlock();
        preview_->setPageNo(index + 1);
    } else if (PageSettingsApply(answer) == PageSettingsApply::AllPages) {
        copyPageSettingsToTemplate(page, shell_.Report());
        prepareAgain(false);
    }
}

void TfrxPreviewForm::Edit()
{
    // There is no page editor in this program: asked to edit the page, it answers that
    // nothing changed, so the pages stay as they are.
}

void TfrxPreviewForm::ZoomIn()
{
    if (!preview_->running())
        preview_->setZoom(preview_->zoom() + 0.25);
}

void TfrxPreviewForm::ZoomOut()
{
    if (!preview_->running())
        preview_->setZoom(preview_->zoom() - 0.25);
}

void TfrxPreviewForm::ApplyZoomText(const QString& text)
{
    if (preview_->running())
        return;
    if (text == zoomCB_->itemText(6)) {
        preview_->setZoomMode(report::TfrxZoomMode::zmPageWidth);
        return;
    }
    if (text == zoomCB_->itemText(7)) {
        preview_->setZoomMode(report::TfrxZoomMode::zmWholePage);
        return;
    }
    QString number = text;
    const qsizetype percent = number.indexOf(u'%');
    if (percent >= 0)
        number[percent] = u' ';
    number.remove(u' ');
    if (number.isEmpty())
        return;
    bool ok = false;
    const double value = QString(number).replace(u',', u'.').toDouble(&ok);
    if (!ok || !std::isfinite(value)) {
        platform::showErrorReport(this, QStringLiteral("'%1' is not a valid floating point value").arg(number));
        updateZoomBox();
        return;
    }
    preview_->setZoom(value / 100);
}

void TfrxPreviewForm::ApplyPageText(const QString& text)
{
    if (text.isEmpty() || preview_->running())
        return;
    // Digits only; a number past the last page is the last page.
    bool ok = false;
    const qlonglong page = text.toLongLong(&ok);
    preview_->setPageNo(ok && page < 1000000000 ? int(page) : preview_->pageCount());
}

void TfrxPreviewForm::SetFullScreen(bool on)
{
    if (on == fullScreen_)
        return;
    fullScreen_ = on;
    toolBar_->setVisible(!on);
    statusBar_->setVisible(!on);
    if (on) {
        savedState_ = windowState();
        setWindowState(windowState() | Qt::WindowFullScreen);
    } else {
        setWindowState(savedState_);
    }
}

void TfrxPreviewForm::CancelOrClose()
{
    if (preview_->running())
        shell_.StopReport();
    else
        QDialog::reject();
}

void TfrxPreviewForm::reject()
{
    CancelOrClose();
}

void TfrxPreviewForm::closeEvent(QCloseEvent* event)
{
    if (preview_->running()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TfrxPreviewForm::prepareAgain(bool keepDrillDown)
{
    if (preview_->running())
        return;
    const int page = preview_->pageNo();
    const QPoint scroll = preview_->workspace()->scrollPos();
    keepDrillDown_ = keepDrillDown;
    if (keepDrillDown)
        preview_->lock();
    try {
        shell_.PrepareReport(true);
    } catch (const std::exception& e) {
        // The engine's re-thrown error lines: shown here, never past the event that asked.
        platform::showErrorReport(this, platform::errorMessage(e));
    }
    keepDrillDown_ = false;
    if (keepDrillDown) {
        preview_->unlock();
        if (page <= preview_->pageCount()) {
            preview_->setPageNo(page);
            preview_->workspace()->setScrollPos(scroll);
        }
    }
    updateButtons();
}

} // namespace preview
