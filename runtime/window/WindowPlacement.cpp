// Placement arithmetic: flag word to style, apart from the platform.
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
