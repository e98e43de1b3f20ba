#include "app/prepared_report_viewer.h"
#include "app/app_identity.h"
#include "preview/window/preview_form.h"
#include "preview/window/show_preview.h"
#include "report/engine/report_shell.h"
#include "report/model/frx_report.h"
#include "report/rich/rich_view.h"
#include <QFileInfo>

namespace app {

PreparedReportViewer::PreparedReportViewer()
    : richObjects_(std::make_unique<report::TfrxRichObject>()),
      report_(std::make_unique<report::TfrxReport>()),
      shell_(std::make_unique<report::ReportShell>(*report_))
{
    preview::attachPreviewWindow(*shell_);
}

PreparedReportViewer::~PreparedReportViewer() = default;

QString PreparedReportViewer::open(const QString& fileName)
{
    const QFileInfo info(fileName);
    if (!info.exists())
        return QStringLiteral("找不到文件：") + fileName;
    if (!info.isFile())
        return QStringLiteral("不是文件：") + fileName;
    form_ = std::make_unique<preview::TfrxPreviewForm>(nullptr, *shell_);
    form_->resize(1000, 750);
    form_->Init();
    form_->show();
    form_->loadFile(info.absoluteFilePath());
    form_->setWindowTitle(info.fileName() + QStringLiteral(" - ") + productTitle());
    return {};
}

} // namespace app
