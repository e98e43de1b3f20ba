#include "report/layout/detail/pixel_spread.h"

#include <cstdlib>

namespace report::detail {

namespace {

// Requires pixels <= hi - lo, which both halves keep.
void halve(int* extra, int lo, int hi, int pixels, int sign)
{
    if (pixels <= 0 || hi <= lo)
        return;
    if (pixels == 1) {
        extra[lo + (hi - lo) / 2] += sign;
        return;
    }
    const int mid = lo + (hi - lo) / 2;
    const int firstHalf = pixels / 2;
    halve(extra, lo, mid, firstHalf, sign);
    halve(extra, mid, hi, pixels - firstHalf, sign);
}

} // namespace

void spreadPixels(int* extra, int count, int pixels)
{
    if (count <= 0 || pixels == 0)
        return;
    const int sign = pixels < 0 ? -1 : 1;
    int rest = std::abs(pixels);
    if (rest >= count) {
        const int each = rest / count;
        for (int k = 0; k < count; ++k)
            extra[k] += sign * each;
        rest -= each * count;
    }
    halve(extra, 0, count, rest, sign);
}

} // namespace report::detail
