#pragma once

namespace report::detail {

// Gives the object model what it needs of the template storage (loading an ancestor
// template, a report's extra data); once per process, from the serialiser's constructor.
void installReportStorage();

} // namespace report::detail
