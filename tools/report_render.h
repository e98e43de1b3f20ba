#pragma once

// The "render" command of qmxdiy-report: a saved prepared report drawn to PDF or PNG.

bool isRenderCommand(const char* command);
// Makes its own (offscreen) GUI application object: drawing text needs fonts.
int runRenderCommand(int argc, char** argv);

extern const char* const kRenderHelp;
