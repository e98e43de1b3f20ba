// The windows the program gives the report engine: the password dialog of a protected
// template and the message box with a load's error lines.
#include "app/report_dialogs.h"
#include "platform/widgets/dialogs.h"
#include "report/model/frx_pages.h"
#include "report/model/frx_report.h"

#include <QBuffer>
#include <gtest/gtest.h>

using platform::DialogAnswer;
using platform::DialogKind;
using platform::DialogRequest;
using report::TfrxReport;

namespace {

QByteArray saved(TfrxReport& report)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    report.SaveToStream(buffer);
    return bytes;
}

void load(TfrxReport& report, QByteArray bytes)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    report.LoadFromStream(buffer);
}

struct ReportDialogs : ::testing::Test {
    QList<DialogRequest> seen;
    DialogAnswer answer;

    void SetUp() override
    {
        app::installReportDialogs();
        platform::setDialogResponder([this](const DialogRequest& request) {
            seen << request;
            return answer;
        });
    }
    void TearDown() override
    {
        platform::setDialogResponder({});
        TfrxReport::setPasswordPrompt(nullptr);
        TfrxReport::setErrorReporter(nullptr);
    }
};

TEST_F(ReportDialogs, AProtectedTemplateOpensOnlyWithItsPassword)
{
    TfrxReport source;
    auto* page = new report::TfrxReportPage(&source);
    page->SetName(QStringLiteral("Page1"));
    source.ReportOptions().Password = QStringLiteral("店主's 密码");
    const QByteArray bytes = saved(source);

    TfrxReport typedWrong;
    answer = {true, QStringLiteral("店主")};
    load(typedWrong, bytes);
    ASSERT_EQ(seen.size(), 1);
    EXPECT_EQ(seen[0].kind, DialogKind::Password);
    EXPECT_EQ(seen[0].caption, "报表密码");
    EXPECT_EQ(typedWrong.PagesCount(), 0);

    TfrxReport cancelled;
    answer = {false, QStringLiteral("店主's 密码")}; // Cancel: the text in the edit does not count
    load(cancelled, bytes);
    EXPECT_EQ(cancelled.PagesCount(), 0);

    TfrxReport typedRight;
    answer = {true, QStringLiteral("店主's 密码")};
    load(typedRight, bytes);
    EXPECT_NE(typedRight.FindObject(QStringLiteral("Page1")), nullptr);
}

TEST_F(ReportDialogs, ErrorLinesOfALoadAreShownInOneMessageBox)
{
    const QByteArray bytes = "<?xml version=\"1.0\" encoding=\"utf-8\"?><TfrxReport>"
                             "<TfrxReportPage Name=\"Page1\"><TfrxNoSuchView Name=\"A\"/>"
                             "<TfrxOtherView Name=\"B\"/></TfrxReportPage></TfrxReport>";
    TfrxReport loaded;
    load(loaded, bytes);
    ASSERT_EQ(seen.size(), 1);
    EXPECT_EQ(seen[0].kind, DialogKind::Message);
    EXPECT_EQ(seen[0].text, "发生下列的错误:\n不明的类别 TfrxNoSuchView\n不明的类别 TfrxOtherView");
    EXPECT_NE(loaded.FindObject(QStringLiteral("Page1")), nullptr);
}

} // namespace
