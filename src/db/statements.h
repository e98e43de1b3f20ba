#pragma once
#include <QString>

namespace db {

class Dataset;

// Every statement the program runs, built in one place from its literal text. A text value
// goes into its literal with each single quote doubled, so a name with an apostrophe selects
// what it names and can never widen a delete.
namespace statements {

QString textLiteral(const QString& text); // 'text' with quotes doubled

QString allL1();                                  // 1 and 5
QString l2Of(int l1Id);                           // 2
QString l3Of(int l2Id);                           // 3
QString l4Of(int l3Id);                           // 4
QString l2UnderL1Named(const QString& l1Name);    // 6
QString l3UnderL2Named(const QString& l2Name);    // 7
QString l4UnderL3Named(const QString& l3Name);    // 8
QString itemsUnderL4Named(const QString& l4Name); // 9
QString linesOfNumber(const QString& number);     // 10
QString linesOfName(const QString& name);         // 11
QString distinctNumbers();                        // 12, newest first
QString distinctNames();                          // 13, newest first
// How many quotations (distinct numbers) and lines a delete of the same value would take.
QString countLinesOfNumber(const QString& number);
QString countLinesOfName(const QString& name);
QString deleteLinesOfNumber(const QString& number); // 14
QString deleteLinesOfName(const QString& name);     // 15

} // namespace statements

// The one way a statement is run: close the query, clear its text, add the statement as its
// single line, then open it (rows) or execute it (no rows; the query stays closed).
void openStatement(Dataset& query, const QString& sql);
int executeStatement(Dataset& query, const QString& sql);

} // namespace db
