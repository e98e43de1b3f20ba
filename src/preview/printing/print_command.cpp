#include "preview/printing/print_command.h"

namespace preview {

// The printer layer fills these in; until then there is nothing to print on.
bool systemHasPrinters() { return false; }

bool printPreparedReport(QWidget*, report::TfrxReport&, report::TfrxPreviewPages&, int)
{
    return false;
}

} // namespace preview
