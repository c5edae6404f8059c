#pragma once

#include <cmath>

// Window sizes given in twips, 1,440 to an inch: 15 to a pixel at 96 dpi.
namespace Twips
{

inline double perPixel(double dotsPerInch)
{
    return dotsPerInch > 0 ? 1440.0 / dotsPerInch : 15.0;
}

inline int toPixels(double twips, double twipsPerPixel)
{
    return int(std::lround(twips / twipsPerPixel));
}

} // namespace Twips
