#pragma once

// What the rich-text object does with its content: loading stored or data content, its
// height, its output in parts over pages, getting its data (data field, expressions,
// FlowTo) and its plain text. The content lives in the object as RTF bytes (RichText);
// each operation reads it into a rich document and writes it back when it changed.

#include "report/rich/rich_document.h"

#include <QByteArray>
#include <QString>

namespace report {

class ReportCalc;
class TfrxRichView;

// The messages of failed loads and saves (platform::Error).
extern const char* const kRichLoadFailed; // "Failed to Load Stream"
extern const char* const kRichSaveFailed; // "Failed to Save Stream"

// The document of content bytes: RTF when they are RTF, else plain text in the default
// format (UTF-8, or GBK when the bytes are not UTF-8). Fails with "Failed to Load Stream"
// when the content is larger than the object takes (64 MiB).
rich::RichDocument readRichContent(const QByteArray& content);
rich::RichDocument richContent(const TfrxRichView& view);
// Stores a document as the object's content; "Failed to Save Stream" when it cannot be
// written.
void setRichContent(TfrxRichView& view, const rich::RichDocument& document);
// Replaces the content by data: RTF text as RTF, anything else as plain text.
void loadRichData(TfrxRichView& view, const QString& data);
void loadRichData(TfrxRichView& view, const QByteArray& data);

// The content's plain text, paragraphs joined by CR LF; empty for unreadable content.
QString richPlainText(const QByteArray& content);

// Measuring in twips inside the gaps, as the object's measurer does: 0 without text, else
// round(height in twips / 15) + 2 × GapY + 2.
double richCalcHeight(const TfrxRichView& view);
// Output in parts: the whole content is the remainder; then each part keeps what fits the
// object's height and keeps the rest (RTF) for the next. Returns 0 when nothing is left,
// the object's Height when nothing fitted, else the height left free below the kept part.
void richInitPart(TfrxRichView& view);
double richDrawPart(TfrxRichView& view);

// Each print: the data field's value replaces the content, bracketed expressions are
// replaced by their values' plain text in the formatting of the opening bracket, and with
// FlowTo what does not fit goes on in the next object (whose expressions are then off).
// An expression that fails leaves its line in the report's errors and an empty text.
void getRichData(ReportCalc& calc, TfrxRichView& view);

// The registration component the main window owns: once one was made, rich-text objects
// give their plain text for search and export (drawing and measuring come with the render
// table, which also installs the text).
class TfrxRichObject {
public:
    TfrxRichObject();
};

} // namespace report
