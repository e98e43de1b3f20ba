#pragma once

// qmxdiy-report hands its "print" and "printers" commands to the companion program
// qmxdiy-report-print beside it: only printing needs Qt Widgets, PrintSupport and the print
// dialog's code, and loading those would slow down the start of every other command.

inline constexpr const char* kPrintProgram = "qmxdiy-report-print";

bool isPrintCommand(const char* command);
// Replaces this process by the companion with the same arguments, so its output and exit
// code are the command's own. Returns only when the companion cannot be run: it then says
// why on standard error and returns 2.
int runPrintCompanion(int argc, char** argv);

extern const char* const kPrintHelp;
