#pragma once

// The text commands of qmxdiy-report: "layout" and "draw-text".

// Whether the command is one of them.
bool isTextCommand(const char* command);
// Runs one; they need fonts, so this makes its own (offscreen) GUI application object.
int runTextCommand(int argc, char** argv);

// Usage lines of the text commands for the tool's help.
extern const char* const kTextCommandsHelp;
