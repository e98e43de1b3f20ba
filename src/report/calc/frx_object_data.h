#pragma once

// What every kind of report object shows when the band engine asks it for its data: text
// objects their text (frx_text_data.h), pictures bound to a field the field's picture,
// views their bracketed TagStr and URL; kinds of other modules (rich text) register their
// own. Also the named styles of the report applied to the objects that name them.

#include "report/calc/frx_text_data.h"

#include <functional>

namespace report {

class ClassInfo;
class ReportCalc;
class TfrxReport;
class TfrxReportComponent;
class TfrxView;

// Gets the object's data. Returns the designed TagStr and URL of a view for
// restoreViewTexts (empty texts for objects that have none).
ViewTexts getObjectData(ReportCalc& calc, TfrxReportComponent& object);

// Lets a kind of view get its data in its own way (the nearest registered class counts);
// the getter must live as long as the program.
using DataGetter = std::function<void(ReportCalc& calc, TfrxView& view)>;
void registerDataGetter(const ClassInfo& cls, DataGetter getter);

// Every text object whose Style names one of the report's styles takes its font, colour and
// frame.
void applyNamedStyles(TfrxReport& report);

} // namespace report
