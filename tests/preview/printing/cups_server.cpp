#include "cups_server.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QUuid>

#include <unistd.h>

namespace printtest {

namespace {

QString run(const QString& program, const QStringList& args, int* code = nullptr)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(120000);
    if (code)
        *code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromUtf8(p.readAllStandardOutput()) + QString::fromUtf8(p.readAllStandardError());
}

} // namespace

CupsServer& CupsServer::instance()
{
    static CupsServer server;
    return server;
}

CupsServer::CupsServer()
{
    const QString given = qEnvironmentVariable("QMX_CUPS_TEST_DIR");
    if (!given.isEmpty()) {
        dir_ = given;
    } else {
        dir_ = QDir::tempPath() + QStringLiteral("/qmx-cups-") + QString::number(::getpid());
        int code = 0;
        const QString out = run(QStringLiteral(QMX_SOURCE_DIR "/scripts/cups_test_server"),
                                {QStringLiteral("start"), dir_, QString::number(::getpid())}, &code);
        if (code != 0) {
            error_ = QStringLiteral("the CUPS test server did not start: ") + out;
            return;
        }
        owned_ = true;
    }
    QFile queueFile(dir_ + QStringLiteral("/queue"));
    if (!queueFile.open(QIODevice::ReadOnly)) {
        error_ = QStringLiteral("no CUPS test server in ") + dir_;
        return;
    }
    queue_ = QString::fromUtf8(queueFile.readAll()).trimmed();
    qputenv("CUPS_SERVER", socket().toLocal8Bit());
}

CupsServer::~CupsServer()
{
    if (owned_) {
        run(QStringLiteral(QMX_SOURCE_DIR "/scripts/cups_test_server"), {QStringLiteral("stop"), dir_});
        QDir(dir_).removeRecursively();
    }
}

bool CupsServer::hasPdf(const QString& title) const
{
    return !QDir(pdfFolder()).entryList({title + QStringLiteral("*.pdf")}, QDir::Files).isEmpty();
}

QString CupsServer::waitForPdf(const QString& title) const
{
    // cups-pdf writes the file under its final name once ghostscript is done with it.
    for (int i = 0; i < 600; ++i) {
        const QStringList found = QDir(pdfFolder()).entryList({title + QStringLiteral("*.pdf")}, QDir::Files);
        if (!found.isEmpty()) {
            const QString path = pdfFolder() + u'/' + found.first();
            int code = 0;
            run(QStringLiteral("pdfinfo"), {path}, &code);
            if (code == 0)
                return path;
        }
        QThread::msleep(100);
    }
    return QString();
}

QString uniqueTitle(const QString& stem)
{
    return stem + QUuid::createUuid().toString(QUuid::Id128).left(12);
}

int pdfPageCount(const QString& pdf)
{
    const QRegularExpression pages(QStringLiteral("Pages:\\s+(\\d+)"));
    const auto m = pages.match(run(QStringLiteral("pdfinfo"), {pdf}));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

QSizeF pdfPageSize(const QString& pdf, int page)
{
    const QString out = run(QStringLiteral("pdfinfo"), {QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                                                       QString::number(page), pdf});
    const QRegularExpression size(QStringLiteral("size:\\s+([\\d.]+) x ([\\d.]+) pts"));
    const auto m = size.match(out);
    return m.hasMatch() ? QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble()) : QSizeF();
}

QString pdfText(const QString& pdf, int page)
{
    QStringList args;
    if (page > 0)
        args << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l") << QString::number(page);
    QProcess p;
    p.start(QStringLiteral("pdftotext"), args << pdf << QStringLiteral("-"));
    p.waitForFinished(120000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

QStringList pdfPageTexts(const QString& pdf)
{
    QStringList pages = pdfText(pdf, 0).split(u'\f');
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

} // namespace printtest
