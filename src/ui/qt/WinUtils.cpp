#include "ui/qt/WinUtils.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>
#include <limits>

#include "model/VbError.h"

namespace brindle::ui::qt {
namespace {

// A window with an owner appears on the owner's screen.
const QScreen* ScreenOf(const QWidget& widget) {
    const QWidget* parent = widget.parentWidget();
    return parent != nullptr ? parent->window()->screen() : widget.screen();
}

double TwipsPerPixel(double dotsPerInch) {
    return dotsPerInch > 0 ? kTwipsPerInch / dotsPerInch : 15.0;
}

}  // namespace

double TwipsPerPixelX(const QWidget& widget) {
    const QScreen* screen = ScreenOf(widget);
    return TwipsPerPixel(screen ? screen->logicalDotsPerInchX() : 0);
}

double TwipsPerPixelY(const QWidget& widget) {
    const QScreen* screen = ScreenOf(widget);
    return TwipsPerPixel(screen ? screen->logicalDotsPerInchY() : 0);
}

QRect PixelsOf(const QWidget& widget, const TwipRect& twips) {
    const PixelRect pixels = ToPixels(twips, TwipsPerPixelX(widget), TwipsPerPixelY(widget));
    return {pixels.x, pixels.y, pixels.cx, pixels.cy};
}

void FixedDialogFrame(QWidget& dialog) {
    dialog.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint);
}

void CentreOnScreen(QWidget& window) {
    const QScreen* screen = ScreenOf(window);
    if (screen == nullptr) {
        return;
    }
    const QRect area = screen->geometry();
    const QSize size = window.frameGeometry().size();
    window.move(area.x() + (area.width() - size.width()) / 2,
                area.y() + (area.height() - size.height()) / 2);
}

void StayOnTop(QWidget& form, bool onTop) {
    PassOn("WinUtils.StayOnTop", [&] {
        const double perPixelX = TwipsPerPixelX(form);
        const double perPixelY = TwipsPerPixelY(form);
        const QRect frame = form.frameGeometry();
        const PixelRect place = ToPixels({frame.x() * perPixelX, frame.y() * perPixelY,
                                          frame.width() * perPixelX, frame.height() * perPixelY},
                                         perPixelX, perPixelY);
        const bool shown = form.isVisible();
        const bool placed = shown || form.testAttribute(Qt::WA_Moved);
        // Qt makes the window anew for other flags, which hides it: show it again where it was.
        form.setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
        if (placed) {
            form.move(place.x, place.y);
        }
        if (shown) {
            form.show();
        }
    });
}

}  // namespace brindle::ui::qt
