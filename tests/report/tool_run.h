#pragma once

// Running the built qmxdiy-report from a test.

#include <QProcess>
#include <QString>
#include <QStringList>

struct ToolRun {
    int code;
    QString out;
    QString err;
};

inline ToolRun run(const QStringList& args,
                   const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    p.setProcessEnvironment(environment);
    p.start(QStringLiteral(QMX_BINARY_DIR "/bin/qmxdiy-report"), args);
    p.waitForFinished(60000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}
