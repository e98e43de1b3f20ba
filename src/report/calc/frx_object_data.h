#pragma once

// What every kind of report object shows when the band engine asks it for its data: each
// kind gets it through its getter in the item-kind table (text objects their text, see
// frx_text_data.h; pictures bound to a field the field's picture; rich text in its own
// module), and every view its bracketed TagStr and URL. Also the named styles of the report
// applied to the objects that name them.

#include "report/calc/frx_text_data.h"

namespace report {

class ReportCalc;
class TfrxReport;
class TfrxPictureView;
class TfrxReportComponent;

// Gets the object's data. Returns the designed TagStr and URL of a view for
// restoreViewTexts (empty texts for objects that have none).
ViewTexts getObjectData(ReportCalc& calc, TfrxReportComponent& object);

// The picture's getter: a picture bound to a field shows the field's bytes.
void getPictureData(TfrxPictureView& picture);

// Every text object whose Style names one of the report's styles takes its font, colour and
// frame.
void applyNamedStyles(TfrxReport& report);

} // namespace report
