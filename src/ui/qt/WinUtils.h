#pragma once
// Window helpers shared by the add-in's Qt windows: sizes in twips, centring, and the band of
// windows that stay on top.

#include <cstdint>

#include "ui/Twips.h"

class QRect;
class QWidget;

namespace brindle::ui::qt {

// 1440 divided by the logical dots per inch of the widget's screen: 15 at 96 dots per inch.
double TwipsPerPixelX(const QWidget& widget);
double TwipsPerPixelY(const QWidget& widget);
// A place in twips as pixels of the widget's screen.
QRect PixelsOf(const QWidget& widget, const TwipRect& twips);

// A fixed dialog: a title and a close button, nothing to minimise or maximise.
void FixedDialogFrame(QWidget& dialog);

// Puts the window at half of (screen size minus window size) of the screen it will appear on
// (its parent's, else the primary one); its size stays.
void CentreOnScreen(QWidget& window);

// Puts the window into the band of windows that stay on top (true), or back among the others
// (false), keeping its place and size and whether it is shown. Its place is first taken as
// pixels by ToPixels, so a window beyond the 16-bit range fails with an overflow before it is
// touched. Failures leave with "WinUtils.StayOnTop" put before their source.
void StayOnTop(QWidget& form, bool onTop);

}  // namespace brindle::ui::qt
