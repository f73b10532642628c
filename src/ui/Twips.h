#pragma once
// Places in twips, as the add-in's forms give them, and their whole pixels: the same for every
// toolkit that draws the forms.

#include <cstdint>

namespace brindle::ui {

inline constexpr double kTwipsPerInch = 1440.0;

// A window's place in twips.
struct TwipRect {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
};

// The same place in whole pixels, each a 16-bit signed value.
struct PixelRect {
    std::int16_t x = 0;
    std::int16_t y = 0;
    std::int16_t cx = 0;
    std::int16_t cy = 0;
    bool operator==(const PixelRect&) const = default;
};

// Divides each value by the twips of a pixel and rounds to the nearest whole number, a value
// exactly halfway to the even one. A result outside the 16-bit range raises an overflow.
PixelRect ToPixels(const TwipRect& twips, double twipsPerPixelX, double twipsPerPixelY);

// The forms' places: the splash's client area, and the status window's with its logo, label and
// outline.
inline constexpr TwipRect kSplashClientArea{0, 0, 7170, 5385};
inline constexpr TwipRect kStatusClientArea{0, 0, 10605, 525};
inline constexpr TwipRect kStatusImage{30, 30, 2310, 480};
inline constexpr TwipRect kStatusLabel{2490, 180, 8025, 255};
inline constexpr TwipRect kStatusShape{60, 30, 10530, 480};

}  // namespace brindle::ui
