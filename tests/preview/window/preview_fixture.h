#pragma once

// A quotation to preview: the built-in template over quotation lines held in memory (18
// lines to an A4 page), its shell, and the preview window over it, shown offscreen. Dialogs
// are answered by a responder that records every request.

#include "platform/font_table.h"
#include "platform/widgets/dialogs.h"
#include "preview/window/preview_control.h"
#include "preview/window/preview_form.h"
#include "preview/printing/print_command.h"
#include "preview/window/preview_workspace.h"
#include "report/engine/report_shell.h"
#include "report/model/frx_report.h"
#include "report/pages/preview_pages.h"
#include "report/storage/quotation_template.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QToolBar>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

// Readable failure messages.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }
inline void PrintTo(const QStringList& list, std::ostream* out) { *out << list.join(QStringLiteral(", ")).toStdString(); }

namespace previewtest {

// The lines view's fields; the description of a line comes from `describe` when set.
class Lines : public report::TfrxUserDataSet {
public:
    explicit Lines(int count)
    {
        SetName(QStringLiteral("frxDBDataset1"));
        Fields = QStringList{QStringLiteral("DIY_ID"), QStringLiteral("DIY_NM"), QStringLiteral("HW_MS"),
                             QStringLiteral("DIY_SL"), QStringLiteral("DIY_JG"), QStringLiteral("DIY_CASH"),
                             QStringLiteral("L2_NM")};
        RangeEnd = report::TfrxRangeEnd::reCount;
        RangeEndCount = count;
    }
    QVariant GetValue(const QString& field) override
    {
        const int n = RecNo + 1;
        if (onRow && field == QStringLiteral("HW_MS") && n != notified_) {
            notified_ = n;
            onRow(n);
        }
        if (field == QStringLiteral("DIY_ID"))
            return QStringLiteral("Q%1").arg(n);
        if (field == QStringLiteral("DIY_NM"))
            return QStringLiteral("配置单");
        if (field == QStringLiteral("HW_MS"))
            return describe ? describe(n) : QStringLiteral("华硕 主板 型号 %1").arg(n);
        if (field == QStringLiteral("DIY_SL"))
            return 1;
        if (field == QStringLiteral("DIY_JG"))
            return 100 + n;
        if (field == QStringLiteral("DIY_CASH"))
            return 100 + n;
        return QStringLiteral("主板");
    }
    QString GetDisplayText(const QString& field) override { return GetValue(field).toString(); }

    std::function<QString(int line)> describe;
    // Told of each line as the engine reads it (the user acting while the report runs).
    std::function<void(int line)> onRow;

private:
    int notified_ = 0;
};

class PreviewTest : public ::testing::Test {
protected:
    PreviewTest()
    {
        platform::installFontTable();
        previousResponder_ = platform::setDialogResponder([this](const platform::DialogRequest& r) {
            requests.push_back(r);
            return answer ? answer(r) : platform::DialogAnswer{false, {}, platform::Choice::Cancel};
        });
    }
    ~PreviewTest() override
    {
        form.reset();
        platform::setDialogResponder(previousResponder_);
    }

    void makeReport(int lines)
    {
        source = std::make_unique<Lines>(lines);
        report = std::make_unique<report::TfrxReport>();
        report::loadQuotationTemplate(*report);
        report->EngineOptions().NewSilentMode = report::TfrxSilentMode::simSilent;
        shell = std::make_unique<report::ReportShell>(*report);
    }
    // Prepared before the window opens, as a window over a finished report.
    void prepare(int lines)
    {
        makeReport(lines);
        ASSERT_TRUE(shell->PrepareReport(true)) << report->Errors().join(u'\n').toStdString();
    }
    void openWindow(QSize size = {1000, 800})
    {
        form = std::make_unique<preview::TfrxPreviewForm>(nullptr, *shell);
        form->resize(size);
        form->show();
        form->Init();
        QApplication::processEvents();
    }
    preview::TfrxPreview& pv() const { return *form->preview(); }
    preview::TfrxPreviewWorkspace& area() const { return *form->preview()->workspace(); }
    QWidget* toolButton(const char* name) const
    {
        return form->toolBar()->widgetForAction(form->button(QString::fromLatin1(name)));
    }
    // Lets events run until the condition holds (or a generous limit passes, so a fault
    // shows as a failed expectation rather than a hang).
    static bool runUntil(const std::function<bool()>& done)
    {
        QElapsedTimer clock;
        clock.start();
        while (!done() && clock.elapsed() < 60000)
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        return done();
    }

    std::unique_ptr<Lines> source;
    std::unique_ptr<report::TfrxReport> report;
    std::unique_ptr<report::ReportShell> shell;
    std::unique_ptr<preview::TfrxPreviewForm> form;
    std::vector<platform::DialogRequest> requests;
    std::function<platform::DialogAnswer(const platform::DialogRequest&)> answer;

private:
    platform::DialogResponder previousResponder_;
};

} // namespace previewtest
