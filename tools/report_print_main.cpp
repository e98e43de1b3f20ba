// qmxdiy-report-print: the "print" and "printers" commands of qmxdiy-report, which runs this
// program for them.

#include "report_print.h"
#include "report_print_launch.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc < 2 || !isPrintCommand(argv[1])) {
        std::fputs("Usage: qmxdiy-report-print COMMAND [ARGUMENTS]\n\nCommands:\n", stderr);
        std::fputs(kPrintHelp, stderr);
        return 2;
    }
    return runPrintCommand(argc, argv);
}
