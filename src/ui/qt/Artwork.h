#pragma once
// The product's pictures, drawn by code for the pixel ratio of the screen they appear on.

#include <QPixmap>
#include <QSize>

namespace brindle::ui::qt {

inline constexpr QSize kLogoSize{154, 32};
inline constexpr QSize kSplashSize{480, 360};

// The product's name on its emblem, for the status window.
QPixmap LogoPicture(qreal devicePixelRatio = 1.0);
// The splash window's background: name, version and year.
QPixmap SplashPicture(qreal devicePixelRatio = 1.0);

}  // namespace brindle::ui::qt
