#include "journal/EntryPrice.h"

#include <cfenv>
#include <cmath>

namespace EntryPrice {

double ApplyFactors(double base, bool dayOff, int shift)
{
    double p = base;
    if (dayOff)
        p *= 2;
    if (shift == 3)
        p *= 1.2;
    else if (shift == 4)
        p *= 1.5;
    return p;
}

double Round4(double v)
{
    const int mode = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double r = std::nearbyint(v * 10000.0) / 10000.0;
    std::fesetround(mode);
    return r + 0.0; // no "-0"
}

} // namespace EntryPrice
