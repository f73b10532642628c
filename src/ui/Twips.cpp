#include "ui/Twips.h"

#include <cmath>
#include <limits>

#include "model/VbError.h"

namespace brindle::ui {
namespace {

std::int16_t ToInteger(double value) {
    // The default rounding mode rounds a value exactly halfway to the even neighbour.
    const double rounded = std::nearbyint(value);
    if (!(rounded >= std::numeric_limits<std::int16_t>::min() &&
          rounded <= std::numeric_limits<std::int16_t>::max())) {
        Raise(Err::Overflow, "");
    }
    return static_cast<std::int16_t>(rounded);
}

}  // namespace

PixelRect ToPixels(const TwipRect& twips, double twipsPerPixelX, double twipsPerPixelY) {
    return {ToInteger(twips.left / twipsPerPixelX), ToInteger(twips.top / twipsPerPixelY),
            ToInteger(twips.width / twipsPerPixelX), ToInteger(twips.height / twipsPerPixelY)};
}

}  // namespace brindle::ui
