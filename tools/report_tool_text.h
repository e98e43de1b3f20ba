#pragma once

// The text commands of qmxdiy-report: "layout" and "draw-text".

#include <QString>

namespace report {
class TfrxView;
}

// Draws the item at its size into a PNG at 96 dpi × scale on white; 2 when the file
// cannot be written (said on stderr), else 0.
int drawItemPicture(report::TfrxView& view, double scale, const QString& png);

// Whether the command is one of them.
bool isTextCommand(const char* command);
// Runs one; they need fonts, so this makes its own (offscreen) GUI application object.
int runTextCommand(int argc, char** argv);

// Usage lines of the text commands for the tool's help.
extern const char* const kTextCommandsHelp;
