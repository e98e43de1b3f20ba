#include "preview/window/preview_form.h"

#include "preview/window/preview_control.h"
#include "preview/window/preview_images.h"
#include "preview/window/preview_workspace.h"
#include "report/engine/report_shell.h"
#include "report/frx_resources.h"
#include "report/model/frx_bands.h"
#include "report/model/frx_report.h"
#include "report/pages/page_export.h"

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpressionValidator>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWidgetAction>
#include <cmath>

namespace preview {

using report::TfrxPreviewButton;

namespace {

bool reportHasDrillDown(const report::TfrxReport& report)
{
    for (report::TfrxComponent* c : report.AllObjects())
        if (auto* g = dynamic_cast<report::TfrxGroupHeader*>(c); g && g->DrillDown)
            return true;
    return false;
}

} // namespace

TfrxPreviewForm::TfrxPreviewForm(QWidget* parent, report::ReportShell& shell)
    : QDialog(parent, Qt::Window), shell_(shell)
{
    setObjectName(QStringLiteral("TfrxPreviewForm"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    toolBar_ = new QToolBar(this);
    layout->addWidget(toolBar_);
    preview_ = new TfrxPreview(this, shell);
    layout->addWidget(preview_, 1);
    statusBar_ = new QStatusBar(this);
    statusBar_->setSizeGripEnabled(false);
    for (int i = 0; i < 2; ++i) {
        status_[i] = new QLabel(statusBar_);
        status_[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
    }
    status_[0]->setFixedWidth(200);
    statusBar_->addWidget(status_[0]);
    statusBar_->addWidget(status_[1], 1);
    layout->addWidget(statusBar_);
    popup_ = new QMenu(this);
    exportMenu_ = new QMenu(this);
    buildToolBar();

    preview_->OnPageChanged = [this](int page) { pageChanged(page); };
    preview_->OnStatusText = [this](const QString& text) { status_[1]->setText(text); };
    preview_->OnStatusPages = [this](const QString& text) { status_[0]->setText(text); };
    preview_->OnLaidOut = [this] { updateZoomBox(); };
    preview_->OnStateChanged = [this] { updateButtons(); };
    preview_->OnDrillDown = [this] { prepareAgain(true); };
    preview_->workspace()->onDoubleClick = [this] { SetFullScreen(false); };
    preview_->outlineTree()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(preview_->outlineTree(), &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu(this);
        menu.addAction(frxGet(601), preview_->outlineTree(), &QTreeWidget::collapseAll);
        menu.addAction(frxGet(600), preview_->outlineTree(), &QTreeWidget::expandAll);
        menu.exec(preview_->outlineTree()->viewport()->mapToGlobal(at));
    });
    hookPreparation();
    qApp->installEventFilter(this);
}

TfrxPreviewForm::~TfrxPreviewForm()
{
    qApp->removeEventFilter(this);
    shell_.OnProgressStart = savedStart_;
    shell_.OnProgress = savedProgress_;
    shell_.OnProgressStop = savedStop_;
}

// The report's progress while it is prepared reaches the preview; earlier handlers still run.
void TfrxPreviewForm::hookPreparation()
{
    savedStart_ = shell_.OnProgressStart;
    savedProgress_ = shell_.OnProgress;
    savedStop_ = shell_.OnProgressStop;
    shell_.OnProgressStart = [this](report::TfrxProgressType type, int n) {
        if (type == report::TfrxProgressType::ptRunning) {
            preview_->beginPreparation(keepDrillDown_);
            CancelB()->setText(frxGet(QStringLiteral("clCancel")));
        }
        if (savedStart_)
            savedStart_(type, n);
    };
    shell_.OnProgress = [this](report::TfrxProgressType type, int n) {
        if (type == report::TfrxProgressType::ptRunning)
            preview_->pagePrepared(n);
        if (savedProgress_)
            savedProgress_(type, n);
    };
    shell_.OnProgressStop = [this](report::TfrxProgressType type, int n) {
        if (type == report::TfrxProgressType::ptRunning) {
            preview_->endPreparation();
            CancelB()->setText(frxGet(QStringLiteral("clClose")));
        }
        if (savedStop_)
            savedStop_(type, n);
    };
}

QAction* TfrxPreviewForm::addButton(const QString& name, int caption, int hint, int image, std::function<void()> action)
{
    QAction* a = toolBar_->addAction(previewButtonImage(image), caption ? frxGet(caption) : QString());
    a->setObjectName(name);
    a->setToolTip(hint ? frxGet(hint) : QString());
    if (action)
        connect(a, &QAction::triggered, this, [action = std::move(action)] { action(); });
    buttons_.insert(name, a);
    return a;
}

void TfrxPreviewForm::buildToolBar()
{
    addButton(QStringLiteral("PrintB"), 101, 102, 2, [this] { Print(); });
    addButton(QStringLiteral("OpenB"), 103, 104, 0, [this] { Load(); });
    addButton(QStringLiteral("SaveB"), 105, 106, 1, [this] { Save(); });
    QAction* exportB = addButton(QStringLiteral("ExportB"), 107, 108, 3, {});
    exportB->setMenu(exportMenu_);
    connect(exportB, &QAction::triggered, this, [this] {
        if (auto* b = qobject_cast<QToolButton*>(toolBar_->widgetForAction(button(QStringLiteral("ExportB")))))
            b->showMenu();
    });
    addButton(QStringLiteral("PdfB"), 0, 151, 24, [this] { Export(report::pdfExport()); });
    addButton(QStringLiteral("EmailB"), 0, 152, 23, {});
    addButton(QStringLiteral("FindB"), 109, 110, 4, [this] { Find(); });
    separators_ << toolBar_->addSeparator();
    addButton(QStringLiteral("ZoomPlusB"), 124, 125, 15, [this] { ZoomIn(); });
    zoomCB_ = new QComboBox(toolBar_);
    zoomCB_->setEditable(true);
    zoomCB_->setInsertPolicy(QComboBox::NoInsert);
    zoomCB_->setToolTip(frxGet(119));
    zoomCB_->addItems({QStringLiteral("25%"), QStringLiteral("50%"), QStringLiteral("75%"), QStringLiteral("100%"),
                       QStringLiteral("150%"), QStringLiteral("200%"), QStringLiteral("页宽"), QStringLiteral("整页")});
    connect(zoomCB_, &QComboBox::activated, this, [this](int index) { ApplyZoomText(zoomCB_->itemText(index)); });
    // The box hands Enter to its edit more than once; what the last layout wrote is no new text.
    connect(zoomCB_->lineEdit(), &QLineEdit::returnPressed, this, [this] {
        if (zoomCB_->currentText() != shownZoom_)
            ApplyZoomText(zoomCB_->currentText());
    });
    QAction* zoomBox = toolBar_->addWidget(zoomCB_);
    zoomBox->setObjectName(QStringLiteral("ZoomCB"));
    buttons_.insert(QStringLiteral("ZoomCB"), zoomBox);
    addButton(QStringLiteral("ZoomMinusB"), 126, 127, 16, [this] { ZoomOut(); });
    addButton(QStringLiteral("FullScreenBtn"), 0, 150, 22, [this] { SetFullScreen(!fullScreen_); })
        ->setText(QStringLiteral("F"));
    separators_ << toolBar_->addSeparator();
    QAction* outlineB = addButton(QStringLiteral("OutlineB"), 128, 129, 12, {});
    outlineB->setCheckable(true);
    connect(outlineB, &QAction::toggled, this, [this](bool on) { preview_->setOutlineVisible(on); });
    QAction* thumbB = addButton(QStringLiteral("ThumbB"), 130, 131, 5, {});
    thumbB->setCheckable(true);
    connect(thumbB, &QAction::toggled, this, [this](bool on) {
        preview_->setThumbnailVisible(on);
        button(QStringLiteral("OutlineB"))->setChecked(preview_->outlineVisible());
    });
    connect(outlineB, &QAction::toggled, thumbB, [this] { button(QStringLiteral("ThumbB"))->setChecked(preview_->thumbnailVisible()); });
    addButton(QStringLiteral("PageSettingsB"), 120, 121, 7, [this] { PageSetup(); });
    addButton(QStringLiteral("DesignerB"), 132, 133, 21, [this] { Edit(); });
    separators_ << toolBar_->addSeparator();
    addButton(QStringLiteral("FirstB"), 134, 135, 8, [this] { preview_->First(); });
    addButton(QStringLiteral("PriorB"), 136, 137, 9, [this] { preview_->Prior(); });
    pageE_ = new QLineEdit(toolBar_);
    pageE_->setFixedWidth(48);
    pageE_->setToolTip(frxGet(142));
    pageE_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d*")), pageE_));
    connect(pageE_, &QLineEdit::returnPressed, this, [this] { ApplyPageText(pageE_->text()); });
    QAction* pageBox = toolBar_->addWidget(pageE_);
    pageBox->setObjectName(QStringLiteral("PageE"));
    buttons_.insert(QStringLiteral("PageE"), pageBox);
    addButton(QStringLiteral("NextB"), 138, 139, 10, [this] { preview_->Next(); });
    addButton(QStringLiteral("LastB"), 140, 141, 11, [this] { preview_->Last(); });
    addButton(QStringLiteral("CancelB"), 2, 0, -1, [this] { CancelOrClose(); });
}

QAction* TfrxPreviewForm::CancelB() const { return button(QStringLiteral("CancelB")); }

bool TfrxPreviewForm::hasButton(int previewButton) const
{
    return shell_.Report().PreviewOptions().Buttons & (1 << previewButton);
}

// Which buttons and separators the options keep.
void TfrxPreviewForm::applyButtons()
{
    const auto has = [this](TfrxPreviewButton b) { return hasButton(int(b)); };
    const bool zoom = has(TfrxPreviewButton::pbZoom), navigator = has(TfrxPreviewButton::pbNavigator);
    button(QStringLiteral("PrintB"))->setVisible(has(TfrxPreviewButton::pbPrint));
    button(QStringLiteral("OpenB"))->setVisible(has(TfrxPreviewButton::pbLoad));
    button(QStringLiteral("SaveB"))->setVisible(has(TfrxPreviewButton::pbSave));
    button(QStringLiteral("ExportB"))->setVisible(has(TfrxPreviewButton::pbExport) && !report::exportFilters().isEmpty());
    // The quick PDF and e-mail buttons belong to quick export, which this program does not offer.
    button(QStringLiteral("PdfB"))->setVisible(false);
    button(QStringLiteral("EmailB"))->setVisible(false);
    button(QStringLiteral("FindB"))->setVisible(has(TfrxPreviewButton::pbFind));
    for (const char* name : {"ZoomPlusB", "ZoomCB", "ZoomMinusB", "FullScreenBtn"})
        button(QString::fromLatin1(name))->setVisible(zoom);
    separators_[0]->setVisible(zoom);
    const bool pageSetup = has(TfrxPreviewButton::pbPageSetup);
    button(QStringLiteral("PageSettingsB"))->setVisible(pageSetup);
    separators_[1]->setVisible(pageSetup || button(QStringLiteral("DesignerB"))->isVisible());
    for (const char* name : {"FirstB", "PriorB", "PageE", "NextB", "LastB"})
        button(QString::fromLatin1(name))->setVisible(navigator);
    separators_[2]->setVisible(navigator);
}

void TfrxPreviewForm::buildExportMenu()
{
    exportMenu_->clear();
    for (const report::TfrxPageExport* filter : report::exportFilters())
        exportMenu_->addAction(filter->Name().toUpper() + QStringLiteral("..."), this, [this, filter] { Export(*filter); });
}

// The popup: drill-down entries when the report has drill-down groups, then every visible
// push button with a hint up to the toolbar's second separator.
void TfrxPreviewForm::buildPopup()
{
    popup_->clear();
    if (reportHasDrillDown(shell_.Report())) {
        const auto setAll = [this](bool expand) {
            for (report::TfrxComponent* c : shell_.Report().AllObjects())
                if (auto* g = dynamic_cast<report::TfrxGroupHeader*>(c); g && g->DrillDown)
                    g->ExpandDrillDown = expand;
            shell_.Report().ToggledGroups.clear();
            prepareAgain(true);
        };
        popup_->addAction(frxGet(601), this, [setAll] { setAll(false); });
        popup_->addAction(frxGet(600), this, [setAll] { setAll(true); });
        popup_->addSeparator();
    }
    int separators = 0;
    for (QAction* a : toolBar_->actions()) {
        if (!a->isVisible())
            continue;
        if (a->isSeparator()) {
            if (++separators == 2)
                break;
            popup_->addSeparator();
            continue;
        }
        if (qobject_cast<QWidgetAction*>(a) || a->isCheckable() || a->toolTip().isEmpty())
            continue;
        QAction* entry = popup_->addAction(a->icon(), a->toolTip());
        entry->setObjectName(a->objectName() + QStringLiteral("Item"));
        if (a->menu())
            entry->setMenu(a->menu());
        else
            connect(entry, &QAction::triggered, a, &QAction::trigger);
        connect(a, &QAction::enabledChanged, entry, &QAction::setEnabled);
        entry->setEnabled(a->isEnabled());
    }
}

void TfrxPreviewForm::Init()
{
    report::TfrxReport& report = shell_.Report();
    const report::TfrxPreviewOptions& options = report.PreviewOptions();
    if (options.OutlineWidth > 0)
        preview_->setLeftWidth(options.OutlineWidth);
    button(QStringLiteral("DesignerB"))->setEnabled(options.AllowEdit);
    applyButtons();
    toolBar_->setToolButtonStyle(options.ShowCaptions ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonIconOnly);
    buildExportMenu();
    setWindowTitle(report.ReportOptions().Name.isEmpty() ? frxGet(100) : report.ReportOptions().Name);
    buildPopup();
    preview_->setZoom(options.Zoom > 0 ? options.Zoom : 1);
    if (options.ZoomMode != report::TfrxZoomMode::zmDefault && options.ZoomMode != report::TfrxZoomMode::zmManyPages)
        preview_->setZoomMode(options.ZoomMode);
    preview_->buildOutline();
    button(QStringLiteral("OutlineB"))->setChecked(preview_->outlineVisible());
    preview_->setPageNo(1);
    updateButtons();
}

QString TfrxPreviewForm::statusText(int panel) const { return panel == 0 || panel == 1 ? status_[panel]->text() : QString(); }

void TfrxPreviewForm::updateButtons()
{
    const bool usable = canUsePages();
    for (const char* name : {"PrintB", "OpenB", "SaveB", "ExportB", "PdfB", "EmailB", "FindB", "PageSettingsB"})
        button(QString::fromLatin1(name))->setEnabled(usable);
    button(QStringLiteral("DesignerB"))->setEnabled(!preview_->running() && shell_.Report().PreviewOptions().AllowEdit);
    button(QStringLiteral("OutlineB"))->setChecked(preview_->outlineVisible());
}

bool TfrxPreviewForm::canUsePages() const { return !preview_->running() && preview_->pageCount() > 0; }

void TfrxPreviewForm::updateZoomBox()
{
    shownZoom_ = QString::number(std::lround(preview_->zoom() * 100)) + u'%';
    zoomCB_->setEditText(shownZoom_);
}

void TfrxPreviewForm::pageChanged(int page)
{
    status_[0]->setText(pageOfText(page, preview_->pageCount()));
    pageE_->setText(QString::number(page));
}

bool TfrxPreviewForm::handleWindowKey(int key, Qt::KeyboardModifiers mods)
{
    const bool ctrl = mods & Qt::ControlModifier;
    if (key == Qt::Key_Escape) {
        CancelOrClose();
    } else if (key == Qt::Key_F11) {
        SetFullScreen(!fullScreen_);
    } else if (key == Qt::Key_F1) {
        // No help topics are installed.
    } else if (key == Qt::Key_F3 && !ctrl) {
        if (hasButton(int(TfrxPreviewButton::pbFind)))
            FindNext();
    } else if (ctrl && key == Qt::Key_P && hasButton(int(TfrxPreviewButton::pbPrint))) {
        Print();
    } else if (ctrl && key == Qt::Key_S && hasButton(int(TfrxPreviewButton::pbSave))) {
        Save();
    } else if (ctrl && key == Qt::Key_F && hasButton(int(TfrxPreviewButton::pbFind))) {
        Find();
    } else if (ctrl && key == Qt::Key_O && hasButton(int(TfrxPreviewButton::pbLoad))) {
        Load();
    } else {
        return false;
    }
    return true;
}

// The window sees its keys before the focused control does.
bool TfrxPreviewForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (widget->window() != this)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    bool handled = false;
    try {
        handled = handleWindowKey(key->key(), key->modifiers());
    } catch (...) {
        handled = true; // a command reports its own failures; nothing leaves the event
    }
    return handled;
}

void TfrxPreviewForm::contextMenuEvent(QContextMenuEvent* event)
{
    QWidget* designer = toolBar_->widgetForAction(button(QStringLiteral("DesignerB")));
    if (designer && designer->rect().contains(designer->mapFromGlobal(event->globalPos()))) {
        QMenu menu(this);
        // There is no template editor: the request answers that nothing changed.
        menu.addAction(QStringLiteral("显示模板"));
        menu.exec(event->globalPos());
        return;
    }
    popup_->popup(event->globalPos());
}

} // namespace preview
