// qmxdiy-report print and printers: on the test server, and with no server at all (the
// virtual printer, which prints nothing and says so). The tool hands both commands to the
// print program beside it; without that program they fail with the reason.

#include "cups_server.h"
#include "print_fixture.h"

#include <QDir>
#include <QProcessEnvironment>

namespace printtest {
namespace {

struct ToolResult {
    int code;
    QString out, err;
};

ToolResult tool(const QStringList& args, const QString& cupsServer,
                const QString& program = QStringLiteral(QMX_BINARY_DIR "/bin/qmxdiy-report"))
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("CUPS_SERVER"), cupsServer);
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    p.waitForFinished(300000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

TEST(PrintTool, PrintsOnTheQueueAndToFileAndListsThePrinters)
{
    CupsServer& server = CupsServer::instance();
    ASSERT_TRUE(server.ok()) << server.error().toStdString();
    const QString quotation = quotationFile(60);
    ASSERT_FALSE(quotation.isEmpty());

    const ToolResult list = tool({QStringLiteral("printers")}, server.socket());
    EXPECT_EQ(list.code, 0);
    EXPECT_TRUE(list.out.contains(QStringLiteral("printer %1 (default)").arg(server.queue()))) << list.out.toStdString();
    EXPECT_TRUE(list.out.contains(QStringLiteral("paper 9: A4, 210 x 297")));

    // The job is titled after the file, so cups-pdf names its PDF so.
    QTemporaryDir dir;
    const QString title = uniqueTitle(QStringLiteral("cli"));
    const QString file = dir.filePath(title + QStringLiteral(".fp3"));
    ASSERT_TRUE(QFile::copy(quotation, file));
    const ToolResult printed = tool({QStringLiteral("print"), file, QStringLiteral("--copies"), QStringLiteral("2"),
                              QStringLiteral("--pages"), QStringLiteral("2-3"), QStringLiteral("--reverse")},
                             server.socket());
    EXPECT_EQ(printed.code, 0) << printed.err.toStdString();
    EXPECT_EQ(printed.out.trimmed(), QStringLiteral("printed: 4 pages on %1").arg(server.queue()));
    const QString pdf = server.waitForPdf(title);
    ASSERT_FALSE(pdf.isEmpty());
    EXPECT_EQ(pdfPageCount(pdf), 4);

    const QString prn = dir.filePath(QStringLiteral("out.prn"));
    const ToolResult toFile = tool({QStringLiteral("print"), file, QStringLiteral("--to-file"), prn, QStringLiteral("--mode"),
                             QStringLiteral("join"), QStringLiteral("--sheet"), QStringLiteral("A3")},
                            server.socket());
    EXPECT_EQ(toFile.code, 0) << toFile.err.toStdString();
    EXPECT_EQ(pdfPageCount(prn), 2);
}

TEST(PrintTool, RefusesBadUsageUnreadableFilesAndFailingJobs)
{
    CupsServer& server = CupsServer::instance();
    ASSERT_TRUE(server.ok()) << server.error().toStdString();
    const QString quotation = quotationFile(60);
    ASSERT_FALSE(quotation.isEmpty());
    for (const QStringList& args : {QStringList{QStringLiteral("print")},
                                    QStringList{QStringLiteral("print"), quotation, QStringLiteral("--mode"), QStringLiteral("big")},
                                    QStringList{QStringLiteral("print"), quotation, QStringLiteral("--copies"), QStringLiteral("x")},
                                    QStringList{QStringLiteral("print"), quotation, QStringLiteral("--odd"), QStringLiteral("--even")},
                                    QStringList{QStringLiteral("print"), QStringLiteral("/no/such/file.fp3")},
                                    QStringList{QStringLiteral("printers"), QStringLiteral("extra")}})
        EXPECT_EQ(tool(args, server.socket()).code, 2) << args.join(u' ').toStdString();

    const ToolResult badList = tool({QStringLiteral("print"), quotation, QStringLiteral("--pages"), QStringLiteral("1,,3")},
                             server.socket());
    EXPECT_EQ(badList.code, 1);
    EXPECT_TRUE(badList.err.contains(QStringLiteral("1,,3"))) << badList.err.toStdString();
    EXPECT_EQ(tool({QStringLiteral("print"), quotation, QStringLiteral("--printer"), QStringLiteral("Nowhere")},
                   server.socket()).code,
              1);
    EXPECT_EQ(tool({QStringLiteral("print"), quotation, QStringLiteral("--mode"), QStringLiteral("scale"),
                    QStringLiteral("--sheet"), QStringLiteral("NoSuchPaper")},
                   server.socket()).code,
              1);
}

TEST(PrintTool, WithoutAnyPrinterOnlyTheVirtualOneIsListedAndNothingPrints)
{
    const QString nowhere = QDir::tempPath() + QStringLiteral("/no-cups-here/cups.sock");
    const ToolResult list = tool({QStringLiteral("printers")}, nowhere);
    EXPECT_EQ(list.code, 0);
    EXPECT_TRUE(list.out.startsWith(QStringLiteral("printer 虚拟 (default) (virtual)"))) << list.out.toStdString();
    EXPECT_TRUE(list.out.contains(QStringLiteral("resolution: 600 x 600")));
    EXPECT_TRUE(list.out.contains(QStringLiteral("paper 11: A5, 148 x 210")));
    const QString quotation = quotationFile(60);
    ASSERT_FALSE(quotation.isEmpty());
    const ToolResult printed = tool({QStringLiteral("print"), quotation}, nowhere);
    EXPECT_EQ(printed.code, 1);
    EXPECT_TRUE(printed.err.contains(QStringLiteral("在你的系统没有安装打印机")));
}

TEST(PrintTool, ArgumentsReachThePrintProgramUnchangedAndItsAbsenceIsReported)
{
    const QString nowhere = QDir::tempPath() + QStringLiteral("/no-cups-here/cups.sock");
    QTemporaryDir dir;
    const QString odd = dir.filePath(QStringLiteral("it's a 报价 file.fp3"));
    const ToolResult unreadable = tool({QStringLiteral("print"), odd}, nowhere);
    EXPECT_EQ(unreadable.code, 2);
    EXPECT_EQ(unreadable.err.trimmed(), QStringLiteral("%1: No such file").arg(odd));
    EXPECT_TRUE(unreadable.out.isEmpty());

    // The report tool alone, without the print program beside it.
    const QString alone = dir.filePath(QStringLiteral("qmxdiy-report"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(QMX_BINARY_DIR "/bin/qmxdiy-report"), alone));
    for (const QString& command : {QStringLiteral("printers"), QStringLiteral("print")}) {
        const ToolResult missing = tool({command, odd}, nowhere, alone);
        EXPECT_EQ(missing.code, 2) << command.toStdString();
        EXPECT_TRUE(missing.err.contains(dir.filePath(QStringLiteral("qmxdiy-report-print")) + QStringLiteral(" is missing")))
            << missing.err.toStdString();
    }
    // Its other commands do not need the print program.
    EXPECT_EQ(tool({QStringLiteral("eval"), QStringLiteral("1+2")}, nowhere, alone).out.trimmed(), QStringLiteral("3"));
}

} // namespace
} // namespace printtest
