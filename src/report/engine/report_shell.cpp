#include "report/engine/report_shell.h"

#include "report/calc/frx_calc.h"
#include "report/frx_resources.h"
#include "report/model/frx_collections.h"
#include "report/model/frx_report.h"
#include "report/pages/preview_pages.h"

#include <QCoreApplication>
#include <QTimer>
#include <cstdio>

namespace report {

namespace {

ReportShell::ErrorReporter& errorReporter()
{
    static ReportShell::ErrorReporter reporter;
    return reporter;
}

} // namespace

void ReportShell::setErrorReporter(ErrorReporter reporter) { errorReporter() = std::move(reporter); }

ReportShell::ReportShell(TfrxReport& report)
    : report_(report),
      calc_(std::make_unique<ReportCalc>(report)),
      pages_(std::make_unique<TfrxPreviewPages>(report)),
      engine_(std::make_unique<TfrxEngine>(report, *calc_, *pages_)),
      timer_(std::make_unique<QTimer>())
{
    timer_->setSingleShot(true);
    timer_->setInterval(50);
    // No exception leaves the timer's slot: PrepareReport reports its failures itself.
    QObject::connect(timer_.get(), &QTimer::timeout, [this] {
        timer_->stop();
        try {
            PrepareReport(false);
        } catch (...) {
        }
    });
    TfrxEngineLink& link = pages_->Engine();
    link.OnProgressStart = [this] { ProgressStart(TfrxProgressType::ptRunning); };
    link.OnProgress = [this](int page) { Progress(TfrxProgressType::ptRunning, page); };
    link.OnProgressStop = [this] { ProgressStop(TfrxProgressType::ptRunning); };
    engine_->Hooks().ProcessMessages = [this] { processMessages(false); };
}

ReportShell::~ReportShell() = default;

// The engine asks once a data row; going through the event loop that often costs a
// long report a noticeable share of its time, so between progress steps the events wait
// at most a few milliseconds, which a user pressing Esc does not notice.
void ReportShell::processMessages(bool always)
{
    constexpr qint64 intervalMs = 5;
    if (!QCoreApplication::instance())
        return;
    if (!always && sinceMessages_.isValid() && sinceMessages_.elapsed() < intervalMs)
        return;
    QCoreApplication::processEvents();
    sinceMessages_.start();
}

// Preparing shows the progress window only in the old style, where the preview opens after
// the preparation; printing and exporting show it whenever progress is shown.
bool ReportShell::usesProgressWindow(TfrxProgressType type) const
{
    return report_.ShowProgress && (report_.OldStyleProgress || type != TfrxProgressType::ptRunning);
}

namespace {

QString progressMessage(TfrxProgressType type, bool firstPass, int progress)
{
    const char* key = "prRunning";
    if (type == TfrxProgressType::ptRunning && firstPass)
        key = "prRunningFirst";
    else if (type == TfrxProgressType::ptExporting)
        key = "prExporting";
    else if (type == TfrxProgressType::ptPrinting)
        key = "prPrinting";
    return frxGet(QString::fromLatin1(key)).replace(QLatin1StringView("%d"), QString::number(progress));
}

} // namespace

void ReportShell::ProgressStart(TfrxProgressType type, int progress)
{
    if (report_.EngineOptions().EnableThreadSafe)
        return;
    if (OnProgressStart)
        OnProgressStart(type, progress);
    if (usesProgressWindow(type) && ProgressWindow.open)
        ProgressWindow.open();
    processMessages(true);
}

void ReportShell::Progress(TfrxProgressType type, int progress)
{
    if (report_.EngineOptions().EnableThreadSafe)
        return;
    if (OnProgress)
        OnProgress(type, progress);
    if (usesProgressWindow(type) && ProgressWindow.step) {
        const bool firstPass = engine_->Running() && !engine_->FinalPass;
        processMessages(true); // the cancel button's click arrives here
        if (ProgressWindow.step(progressMessage(type, firstPass, progress)))
            report_.Terminated = true;
        return;
    }
    processMessages(false);
}

void ReportShell::ProgressStop(TfrxProgressType type, int progress)
{
    if (report_.EngineOptions().EnableThreadSafe)
        return;
    if (OnProgressStop)
        OnProgressStop(type, progress);
    if (usesProgressWindow(type) && ProgressWindow.close)
        ProgressWindow.close();
    processMessages(true);
}

bool ReportShell::PrepareReport(bool clearLastReport)
{
    // A preparation started while one runs (from the message loop it lets run) is refused.
    if (engine_->Running())
        return false;
    if (clearLastReport)
        pages_->Clear();
    report_.ClearErrors();
    report_.Terminated = false;
    engine_->NotifyList().clear();
    for (int i = 0; i < report_.DataSets().Count(); ++i) {
        const TfrxDataSetItem& item = report_.DataSets()[i];
        if (!item.DataSet())
            report_.AddError(frxGet(QStringLiteral("clDSNotExist")).replace(QLatin1StringView("%s"), item.DataSetName()));
    }
    bool result = report_.Errors().isEmpty() && runPreparation();
    if (!report_.Errors().isEmpty()) {
        result = false;
        reportErrors();
    }
    return result;
}

bool ReportShell::runPreparation()
{
    const bool restore = report_.EngineOptions().DestroyForms;
    const QByteArray saved = restore ? report_.SaveTemplateForRun() : QByteArray();
    bool result = false;
    try {
        if (OnBeginDoc)
            OnBeginDoc();
        calc_->StartPreparation();
        if (engine_->Run()) {
            if (OnEndDoc)
                OnEndDoc();
            result = true;
        } else if (Preview.close) {
            Preview.close(*this);
        }
    } catch (const std::exception& e) {
        report_.AddError(platform::errorMessage(e));
    }
    // Compiled expressions and aggregate items point at the template's objects, which the
    // reload below replaces.
    calc_->EndPreparation();
    if (restore) {
        try {
            report_.RestoreTemplate(saved);
        } catch (const std::exception& e) {
            report_.AddError(platform::errorMessage(e));
        }
    }
    return result;
}

void ReportShell::reportErrors()
{
    QString text = frxGet(QStringLiteral("clErrors")) + u'\n';
    for (const QString& line : report_.Errors())
        text += line + u'\n';
    switch (report_.EngineOptions().NewSilentMode) {
    case TfrxSilentMode::simMessageBoxes:
        if (errorReporter()) {
            errorReporter()(frxGet(QStringLiteral("mbError")), text);
        } else {
            const QByteArray bytes = text.toUtf8();
            std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stderr);
        }
        break;
    case TfrxSilentMode::simSilent:
        break;
    case TfrxSilentMode::simReThrow:
        throw ReportError(text);
    }
}

void ReportShell::ShowReport(bool clearLastReport)
{
    if (clearLastReport)
        pages_->Clear();
    if (!report_.OldStyleProgress) {
        timer_->start();
        ShowPreparedReport();
    } else if (PrepareReport(false)) {
        ShowPreparedReport();
    }
}

void ReportShell::ShowPreparedReport()
{
    if (OnPreview)
        OnPreview();
    if (Preview.show)
        Preview.show(*this);
}

Value ReportShell::Calc(const QString& expression) { return calc_->Calc(expression); }

} // namespace report
