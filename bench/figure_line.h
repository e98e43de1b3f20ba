#pragma once

// One benchmark figure a line: its name, its value and its unit, in aligned columns.

#include <cstdio>

inline void printFigure(const char* name, double value, const char* unit)
{
    std::printf("%-52s %12.1f %s\n", name, value, unit);
}
