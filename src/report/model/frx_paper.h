#pragma once

namespace report {

// The printer paper codes the report page knows (1 to 47 and 50 to 68) with their
// portrait dimensions.
struct PaperInfo {
    int code;
    double widthMm;
    double heightMm;
};

// Null for an unknown code.
const PaperInfo* findPaper(int code);
int paperCount();
const PaperInfo& paperAt(int index);

// Code 256: a size of the user's own.
inline constexpr int customPaperSize = 256;

} // namespace report
