#include "platform/error.h"
#include "platform/widgets/dialogs.h"
#include <QGuiApplication>
#include <gtest/gtest.h>
#include <vector>

namespace {

using platform::DialogAnswer;
using platform::DialogKind;
using platform::DialogRequest;

// Installs a responder that records every request and answers with `answer`.
class RecordingResponder {
public:
    explicit RecordingResponder(DialogAnswer answer = {})
        : previous_(platform::setDialogResponder([this, answer](const DialogRequest& request) {
              requests.push_back(request);
              return answer;
          }))
    {
    }
    ~RecordingResponder() { platform::setDialogResponder(previous_); }

    std::vector<DialogRequest> requests;

private:
    platform::DialogResponder previous_;
};

TEST(DialogResponder, PromptAnswersEditOrDefault)
{
    const QString prompt = QStringLiteral("请输入配机的单据号\r同一张配机单应使用相同的编号:");
    {
        RecordingResponder ok(DialogAnswer{true, QStringLiteral("20240501")});
        EXPECT_EQ(platform::inputQuery(nullptr, QStringLiteral("请输入配机的单据号"), prompt,
                                       QStringLiteral("默认")),
                  QStringLiteral("20240501"));
        ASSERT_EQ(ok.requests.size(), 1u);
        EXPECT_EQ(ok.requests[0].kind, DialogKind::Prompt);
        EXPECT_EQ(ok.requests[0].caption, QStringLiteral("请输入配机的单据号"));
        EXPECT_EQ(ok.requests[0].text, prompt);
        EXPECT_EQ(ok.requests[0].defaultValue, QStringLiteral("默认"));
    }
    RecordingResponder cancel(DialogAnswer{false, QStringLiteral("ignored")});
    EXPECT_EQ(platform::inputQuery(nullptr, QStringLiteral("输入数量"), QStringLiteral("请输入数量,自动为1"),
                                   QStringLiteral("1")),
              QStringLiteral("1"));
}

TEST(DialogResponder, YesNoQuestionIsItsOwnKind)
{
    const QString text = QStringLiteral("需要自动执行 [1、开始建立清单] 吗?");
    RecordingResponder no(DialogAnswer{false, {}});
    EXPECT_FALSE(platform::confirmYesNo(nullptr, text));
    RecordingResponder yes;
    EXPECT_TRUE(platform::confirmYesNo(nullptr, text));
    ASSERT_EQ(no.requests.size(), 1u);
    EXPECT_EQ(no.requests[0].kind, DialogKind::Question);
    EXPECT_EQ(no.requests[0].text, text);
}

TEST(DialogResponder, BoxesCarryKindApplicationCaptionAndText)
{
    const QString oldName = QGuiApplication::applicationDisplayName();
    QGuiApplication::setApplicationDisplayName(QStringLiteral("QMX电脑装机写单DIY V1.0"));
    {
        RecordingResponder no(DialogAnswer{false, {}});
        EXPECT_FALSE(platform::confirmOkCancel(nullptr, QStringLiteral("确定要删除吗?")));
        platform::showMessage(nullptr, QStringLiteral("完成"));
        platform::showErrorReport(nullptr, QStringLiteral("出错了"));
        ASSERT_EQ(no.requests.size(), 3u);
        const DialogKind kinds[] = {DialogKind::Confirm, DialogKind::Message, DialogKind::ErrorReport};
        for (std::size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(no.requests[i].kind, kinds[i]);
            EXPECT_EQ(no.requests[i].caption, QStringLiteral("QMX电脑装机写单DIY V1.0"));
        }
        EXPECT_EQ(no.requests[2].text, QStringLiteral("出错了"));
        RecordingResponder yes;
        EXPECT_TRUE(platform::confirmOkCancel(nullptr, QStringLiteral("确定要删除吗?")));
        EXPECT_TRUE(no.requests.size() == 3u && yes.requests.size() == 1u); // innermost answers
    }
    QGuiApplication::setApplicationDisplayName(oldName);
}

TEST(DialogGuards, GuardedEndsTheBodySilently)
{
    RecordingResponder shown;
    int stepsDone = 0;
    EXPECT_FALSE(platform::guarded([&] {
        ++stepsDone;
        throw platform::Error(QStringLiteral("ADOQueryDIY: Cannot perform this operation on a closed dataset"));
        ++stepsDone;
    }));
    EXPECT_FALSE(platform::guarded([] { throw std::out_of_range("index"); }));
    EXPECT_FALSE(platform::guarded([] { throw 42; }));
    EXPECT_TRUE(platform::guarded([&] { ++stepsDone; }));
    EXPECT_EQ(stepsDone, 2); // steps before the failure stay done
    EXPECT_TRUE(shown.requests.empty());
}

TEST(DialogGuards, ReportedShowsTheErrorText)
{
    RecordingResponder shown;
    const QString message = QStringLiteral("ADOQueryDIY: Cannot perform this operation on a closed dataset «单据»");
    EXPECT_FALSE(platform::reported(nullptr, [&] { throw platform::Error(message); }));
    EXPECT_FALSE(platform::reported(nullptr, [] { throw std::runtime_error("数据库 locked"); }));
    EXPECT_FALSE(platform::reported(nullptr, [] { throw 42; }));
    EXPECT_TRUE(platform::reported(nullptr, [] {}));
    ASSERT_EQ(shown.requests.size(), 3u);
    for (const DialogRequest& request : shown.requests)
        EXPECT_EQ(request.kind, DialogKind::ErrorReport);
    EXPECT_EQ(shown.requests[0].text, message);
    EXPECT_EQ(shown.requests[1].text, QStringLiteral("数据库 locked"));
    EXPECT_FALSE(shown.requests[2].text.isEmpty());
}

TEST(DialogGuards, ReportedSurvivesAFailingReport)
{
    const auto previous = platform::setDialogResponder([](const DialogRequest&) -> DialogAnswer {
        throw std::runtime_error("the report itself failed");
    });
    EXPECT_NO_THROW(EXPECT_FALSE(platform::reported(nullptr, [] { throw 1; })));
    platform::setDialogResponder(previous);
}

} // namespace
