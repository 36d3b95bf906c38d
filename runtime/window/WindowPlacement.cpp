// Placement arithmetic: flag word to style and the centring rules, apart from the platform.
#include "runtime/window/Window.h"

uint32_t WindowStyleFromFlags(uint32_t flags, CentringMode* mode) {
    *mode = CentringMode::None;
    if (flags & WINDOW_CENTRE_SCREEN) {
        flags &= ~WINDOW_CENTRE_SCREEN;
        *mode = CentringMode::Screen;
    }
    if (flags & WINDOW_CENTRE_ACTIVE) {
        flags &= ~WINDOW_CENTRE_ACTIVE;
        *mode = CentringMode::ActiveWindow;
    }
    // A word without style bits of its own gets a caption.
    if (flags == 0 || flags == WINDOW_HIDDEN) {
        flags |= WS_CAPTION;
    }
    // WINDOW_HIDDEN is WS_VISIBLE with its sense inverted.
    return flags ^ WINDOW_HIDDEN;
}

int32_t HalfOf(int32_t value) {
    // Arithmetic shift: rounds towards minus infinity.
    return value >> 1;
}

POINT CentreOnScreen(int32_t screenWidth, int32_t screenHeight, int32_t outerWidth,
                     int32_t outerHeight) {
    return {HalfOf(screenWidth) - HalfOf(outerWidth), HalfOf(screenHeight) - HalfOf(outerHeight)};
}

POINT CentreOverWindow(RECT active, int32_t outerWidth, int32_t outerHeight) {
    int32_t x = active.left + HalfOf(active.right - active.left) - HalfOf(outerWidth);
    int32_t y = active.top + HalfOf(active.bottom - active.top) - HalfOf(outerHeight);
    return {x < 0 ? 0 : x, y < 0 ? 0 : y};
}
