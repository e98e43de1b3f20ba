#pragma once

// The report's preparation shell: owns the band engine, the expression evaluation and the
// prepared pages of one report, and offers PrepareReport, ShowReport, Calc, StopReport and
// the host events. The template is saved before every preparation and loaded back after
// it, also after a failure; the error lines are reported once at the end.

#include "report/engine/frx_engine.h"
#include "report/model/frx_types.h"
#include "report/value/frx_value.h"

#include <QElapsedTimer>
#include <QString>
#include <functional>
#include <memory>

class QTimer;

namespace report {

class TfrxPreviewPages;

class ReportShell {
public:
    // The report must outlive the shell.
    explicit ReportShell(TfrxReport& report);
    ~ReportShell();
    ReportShell(const ReportShell&) = delete;
    ReportShell& operator=(const ReportShell&) = delete;

    TfrxReport& Report() const { return report_; }
    TfrxEngine& Engine() const { return *engine_; }
    ReportCalc& Evaluator() const { return *calc_; }
    TfrxPreviewPages& PreviewPages() const { return *pages_; }

    // Prepares the report into the prepared pages (emptied first with clear true). True
    // when the run completed and no error line was recorded.
    bool PrepareReport(bool clearLastReport = true);
    // With OldStyleProgress off: arms the 50 ms one-shot timer that prepares without
    // clearing, and shows the prepared report at once; with it on, prepares first and shows
    // the pages only when that succeeded.
    void ShowReport(bool clearLastReport = true);
    void ShowPreparedReport();
    // The value of an expression in the report (CalcError on failure).
    Value Calc(const QString& expression);
    void StopReport() { engine_->StopReport(); }

    // Host events; each may be left empty.
    std::function<void()> OnBeginDoc;
    std::function<void()> OnEndDoc;
    std::function<void()> OnPreview;
    std::function<void(TfrxProgressType type, int progress)> OnProgressStart;
    std::function<void(TfrxProgressType type, int progress)> OnProgress;
    std::function<void(TfrxProgressType type, int progress)> OnProgressStop;
    // OnBeforePrint, OnAfterPrint, OnManualBuild and script procedures.
    EngineHooks& Hooks() { return engine_->Hooks(); }

    // The preview: shows the prepared pages (the preview window fills this in; until then
    // showing does nothing), and closes an open preview after a failed run.
    struct PreviewHooks {
        std::function<void(ReportShell& shell)> show;
        std::function<void(ReportShell& shell)> close;
    };
    PreviewHooks Preview;

    // The progress window (the preview window fills this in; until then there is none):
    // opened at a start, shown a message at each step, closed at the stop. `step` returns
    // true once the window's cancel button has been pressed.
    struct ProgressWindowHooks {
        std::function<void()> open;
        std::function<bool(const QString& message)> step;
        std::function<void()> close;
    };
    ProgressWindowHooks ProgressWindow;

    // Progress operations of preparing, printing and exporting.
    void ProgressStart(TfrxProgressType type, int progress = 0);
    void Progress(TfrxProgressType type, int progress);
    void ProgressStop(TfrxProgressType type, int progress = 0);

    // Shows the text of the error lines after a failed preparation (caption, text); the
    // program installs a message box. Without one the text goes to standard error.
    using ErrorReporter = std::function<void(const QString& caption, const QString& text)>;
    static void setErrorReporter(ErrorReporter reporter);

private:
    bool runPreparation();
    bool usesProgressWindow(TfrxProgressType type) const;
    void reportErrors();
    // Processes pending events; unless `always`, only when some milliseconds have passed
    // since it last did.
    void processMessages(bool always);

    TfrxReport& report_;
    std::unique_ptr<ReportCalc> calc_;
    std::unique_ptr<TfrxPreviewPages> pages_;
    std::unique_ptr<TfrxEngine> engine_;
    std::unique_ptr<QTimer> timer_;
    QElapsedTimer sinceMessages_;
};

} // namespace report
