#pragma once

// Running a program to its end from a benchmark: its wall time, its peak resident memory
// and its standard output.

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

struct ProcessRun {
    double seconds = 0;
    double peakMb = 0;
    QByteArray out;
    bool ok = false;   // exited with 0
    int exitCode = -1; // -1 when it did not exit by itself
};

// Linux counts the spawning process's resident memory into a spawned child's peak (the
// child starts on the parent's memory until it runs its program), and this benchmark holds
// hundreds of pages; so the peak is taken by /usr/bin/time, a small process, when present.
inline const char* const kTimeProgram = "/usr/bin/time";

// Runs a program to its end; its wall time, its peak resident memory and its output.
inline ProcessRun runProcess(QStringList args)
{
    ProcessRun r;
    QTemporaryDir dir;
    const QByteArray outPath = dir.filePath(QStringLiteral("out.txt")).toLocal8Bit();
    const QString peakPath = dir.filePath(QStringLiteral("peak.txt"));
    const bool timed = QFileInfo(QString::fromLatin1(kTimeProgram)).isExecutable();
    if (timed)
        args = QStringList{QString::fromLatin1(kTimeProgram), QStringLiteral("-f"), QStringLiteral("%M"),
                           QStringLiteral("-o"), peakPath} + args;
    std::vector<QByteArray> bytes;
    for (const QString& a : args)
        bytes.push_back(a.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QElapsedTimer t;
    t.start();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return r;
    }
    int status = 0;
    struct rusage usage {};
    wait4(pid, &status, 0, &usage);
    r.seconds = double(t.nsecsElapsed()) / 1e9;
    posix_spawn_file_actions_destroy(&actions);
    r.peakMb = double(usage.ru_maxrss) / 1024.0;
    if (QFile peak(peakPath); timed && peak.open(QIODevice::ReadOnly))
        r.peakMb = peak.readAll().trimmed().split('\n').last().toDouble() / 1024.0;
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.ok = r.exitCode == 0;
    QFile out(QString::fromLocal8Bit(outPath));
    if (out.open(QIODevice::ReadOnly))
        r.out = out.readAll();
    return r;
}

