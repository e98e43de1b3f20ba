#pragma once

// The report engine is headless; the program gives it its windows: the password dialog a
// protected template asks through, and the message boxes for the error lines of a load and
// of a preparation.

namespace app {

void installReportDialogs();

} // namespace app
