#pragma once

// The built-in quotation template, kept in the report library's resources in the XML form.

#include <QByteArray>

namespace report {

class TfrxReport;

// The template's text as stored.
QByteArray quotationTemplateText();
// Loads the template into the report (the data source "frxDBDataset1" of the program is
// found by name if it exists).
void loadQuotationTemplate(TfrxReport& report);
// Loads a template that belongs to the program, like the components a window stores: its
// own report settings (preview and engine options, settings key, progress) are taken too,
// where loading a template file keeps the caller's.
void loadOwnTemplate(TfrxReport& report, const QByteArray& text);

} // namespace report
