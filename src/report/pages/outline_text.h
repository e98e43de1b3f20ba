#pragma once

// The outline of prepared pages as text: one item a line, indented two spaces per level,
// with its page (1-based) and y.

#include <QStringList>

namespace report {

class TfrxPreviewPages;

QStringList outlineLines(const TfrxPreviewPages& pages);

} // namespace report
