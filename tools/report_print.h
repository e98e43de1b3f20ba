#pragma once

// The "print" and "printers" commands, run by qmxdiy-report-print: a saved prepared report
// printed without a window (the same job as the print dialog's OK), and the printers with
// their papers.

// Makes its own (offscreen) GUI application object: printing draws text.
int runPrintCommand(int argc, char** argv);
