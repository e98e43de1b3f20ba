#include "report_print_launch.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>
#include <vector>

const char* const kPrintHelp =
    "  print FILE.fp3 [--printer NAME] [--pages LIST] [--copies N] [--no-collate]\n"
    "        [--reverse] [--odd|--even] [--mode default|scale|split|join]\n"
    "        [--sheet PAPER] [--to-file OUT.prn]\n"
    "                    print a prepared-report file on the default printer (or NAME)\n"
    "                    as the print dialog's OK would; PAPER is a paper number or name\n"
    "                    of the printer (the sheet of the modes other than default);\n"
    "                    --to-file writes the printer's output to OUT.prn instead;\n"
    "                    prints \"printed: N pages on PRINTER\"; exit 1 with the reason\n"
    "                    when the job fails, 2 for bad usage or a file that cannot be read\n"
    "  printers          list the printers, the default one marked, with their papers\n";

bool isPrintCommand(const char* command)
{
    return std::strcmp(command, "print") == 0 || std::strcmp(command, "printers") == 0;
}

int runPrintCompanion(int argc, char** argv)
{
    QByteArray program;
    {
        // Only for the program's own folder, which does not depend on argv[0] or PATH.
        QCoreApplication application(argc, argv);
        program = QFile::encodeName(QCoreApplication::applicationDirPath() + u'/'
                                    + QLatin1StringView(kPrintProgram));
    }
    std::vector<char*> arguments(argv, argv + argc);
    arguments[0] = program.data();
    arguments.push_back(nullptr);
    std::fflush(nullptr);
    ::execv(program.constData(), arguments.data());
    const int fault = errno;
    if (fault == ENOENT)
        std::fprintf(stderr, "qmxdiy-report %s: the printing program %s is missing; build or install it beside "
                             "qmxdiy-report\n", argv[1], program.constData());
    else
        std::fprintf(stderr, "qmxdiy-report %s: cannot run %s: %s\n", argv[1], program.constData(),
                     std::strerror(fault));
    return 2;
}
