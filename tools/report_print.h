#pragma once

// The "print" and "printers" commands of qmxdiy-report: a saved prepared report printed
// without a window (the same job as the print dialog's OK), and the printers with their
// papers.

bool isPrintCommand(const char* command);
// Makes its own (offscreen) GUI application object: printing draws text.
int runPrintCommand(int argc, char** argv);

extern const char* const kPrintHelp;
