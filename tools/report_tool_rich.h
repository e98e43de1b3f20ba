#pragma once

// The rich-text command of qmxdiy-report.

// Whether the command is "rich-text".
bool isRichCommand(const char* command);
// Runs it; it needs fonts, so this makes its own (offscreen) GUI application object.
int runRichCommand(int argc, char** argv);

extern const char* const kRichCommandHelp;
