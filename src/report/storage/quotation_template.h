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

} // namespace report
