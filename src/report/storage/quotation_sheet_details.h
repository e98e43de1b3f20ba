#pragma once

// What the built-in quotation sheet prints beyond the lines: the shop's name, contact line,
// logo and note, and the quotation's customer. They go into the space the template leaves
// free (the header between the title and the black bar, the number's row, the footer's
// credit line); rows, columns, the sum and the page numbers stay where they are.

#include <QByteArray>
#include <QString>

namespace db {
class Connection;
}

namespace report {

class TfrxReport;

struct SheetDetails {
    QString shopName;
    QString contact;  // address and phone, one line
    QString note;     // in place of the credit line
    QByteArray logo;  // picture file bytes
    QString customer; // "客户: 名称 电话"

    bool isEmpty() const
    {
        return shopName.isEmpty() && contact.isEmpty() && note.isEmpty() && logo.isEmpty() && customer.isEmpty();
    }
};

// The shop's details in the catalogue and the customer of the quotation with that number
// (none for a number without a quotation), as the program and the report tool print them.
SheetDetails sheetDetailsOf(db::Connection& connection, const QString& number);

// Puts the details on a report loaded with the built-in template; applied again, it replaces
// what it put there before, so empty details give the sheet exactly as designed.
void applySheetDetails(TfrxReport& report, const SheetDetails& details);

} // namespace report
