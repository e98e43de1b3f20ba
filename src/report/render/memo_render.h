#pragma once

// The output lines of a text object as its measuring lays them out, for tools and checks.

#include <QStringList>

namespace report {

class TfrxCustomMemoView;

// The lines the height is measured from, without tags, hyphens included.
QStringList memoOutputLines(TfrxCustomMemoView& memo);

} // namespace report
