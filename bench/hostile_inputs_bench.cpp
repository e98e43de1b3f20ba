// Templates and prepared-report files made to cost, each through a whole
// `qmxdiy-report` process (wall time and peak memory, best of three): a band of 40,000
// objects prepared, templates nested 20,000 levels deep prepared, a prepared-report file
// whose source page nests 40,000 levels listed, and a band of no height over ten million
// rows stopped at the objects one page may hold. Argument: the qmxdiy-report program
// (default: ../bin/qmxdiy-report beside this benchmark's folder).
#include "figure_line.h"
#include "process_run.h"

#include <QCoreApplication>
#include <QDir>

#include <algorithm>

namespace {

const char* const kPageStart =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<TfrxReport>\n"
    "<TfrxReportPage Name=\"Page1\" PaperSize=\"9\" PaperWidth=\"210\" PaperHeight=\"297\">\n";
const char* const kPageEnd = "</TfrxReportPage>\n</TfrxReport>\n";

QByteArray wideBand(int objects)
{
    QByteArray text = kPageStart;
    text += "<TfrxReportTitle Name=\"ReportTitle1\" Width=\"700\" Height=\"900\">";
    for (int i = 1; i <= objects; ++i)
        text += "<TfrxMemoView Name=\"M" + QByteArray::number(i) + "\" Left=\"" + QByteArray::number(i % 600)
              + "\" Top=\"" + QByteArray::number(i % 800) + "\" Width=\"50\" Height=\"18\" Text=\"" + QByteArray::number(i)
              + "\"/>";
    return text + "</TfrxReportTitle>" + kPageEnd;
}

QByteArray nested(int depth, const char* prefix)
{
    QByteArray text;
    for (int i = 0; i < depth; ++i)
        text += "<TfrxMemoView Name=\"" + QByteArray(prefix) + QByteArray::number(i) + "\" Width=\"50\" Height=\"18\">";
    for (int i = 0; i < depth; ++i)
        text += "</TfrxMemoView>";
    return text;
}

QByteArray deepTemplate(int depth)
{
    return kPageStart + QByteArray("<TfrxReportTitle Name=\"ReportTitle1\" Width=\"700\" Height=\"100\">")
         + nested(depth, "D") + "</TfrxReportTitle>" + kPageEnd;
}

QByteArray flatBand()
{
    return kPageStart
         + QByteArray("<TfrxMasterData Name=\"MasterData1\" Top=\"40\" Width=\"700\" Height=\"0\" RowCount=\"10000000\">"
                      "<TfrxMemoView Name=\"Row\" Width=\"50\" Height=\"0\" Text=\"[Line]\"/></TfrxMasterData>")
         + kPageEnd;
}

QString write(const QTemporaryDir& dir, const QString& name, const QByteArray& text)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(text);
    return path;
}

// The best of three runs: wall time and peak memory.
void measure(const char* what, const QStringList& args, int expectedExit)
{
    double best = 1e9, peak = 0;
    for (int run = 0; run < 3; ++run) {
        const ProcessRun r = runProcess(args);
        if (r.exitCode != expectedExit) {
            std::printf("%s: exit %d, expected %d\n", what, r.exitCode, expectedExit);
            return;
        }
        best = std::min(best, r.seconds);
        peak = std::max(peak, r.peakMb);
    }
    printFigure(what, best * 1000, "ms");
    printFigure((QByteArray(what) + " peak memory").constData(), peak, "MB");
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString tool = args.size() > 1 ? args[1]
                                         : QDir(app.applicationDirPath()).filePath(QStringLiteral("../bin/qmxdiy-report"));
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("out.fp3"));
    const auto prepare = [&](const QString& path) {
        return QStringList{tool, QStringLiteral("prepare"), path, QStringLiteral("-o"), out};
    };
    measure("prepare: one band of 40,000 objects", prepare(write(dir, QStringLiteral("wide.xml"), wideBand(40000))), 0);
    // Refused in part: the nesting is cut, with an error line, so the tool exits with 1.
    measure("prepare: objects nested 20,000 deep", prepare(write(dir, QStringLiteral("deep.xml"), deepTemplate(20000))), 1);

    // A prepared-report file whose source page nests 40,000 deep.
    runProcess(prepare(write(dir, QStringLiteral("small.xml"), deepTemplate(1))));
    QFile file(out);
    if (file.open(QIODevice::ReadOnly)) {
        QByteArray fp3 = file.readAll();
        file.close();
        const qsizetype title = fp3.indexOf("<TfrxReportTitle", fp3.indexOf("<sourcepages>"));
        if (title > 0) {
            fp3.insert(fp3.indexOf('>', title) + 1, nested(40000, "E"));
            measure("pages: source page nested 40,000 deep",
                    {tool, QStringLiteral("pages"), write(dir, QStringLiteral("deep.fp3"), fp3)}, 0);
        }
    }
    measure("prepare: band of no height over 10,000,000 rows", prepare(write(dir, QStringLiteral("flat.xml"), flatBand())), 1);
    return 0;
}
