// Placement arithmetic of CreateNumberedWindow, apart from the platform: flag word to style,
// the requested rectangle and the centring rules. Part of Window.h.
//
// The sums are signed 32-bit and may leave that range for extreme arguments; they wrap as
// two's complement rather than overflow, which gives the plain sums wherever those fit.
// The functions are constexpr, so a constant evaluation of an overflowing case refuses to
// compile instead of quietly relying on undefined behaviour.
#pragma once

#include <windows.h>

#include <stdint.h>

enum class CentringMode { None, Screen, ActiveWindow };
// Flag word to window style; sets *mode from the centring bits.
uint32_t WindowStyleFromFlags(uint32_t flags, CentringMode* mode);

constexpr int32_t WrappingSum(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

constexpr int32_t WrappingDifference(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

// v / 2 rounded towards minus infinity.
constexpr int32_t HalfOf(int32_t value) {
    // Arithmetic shift.
    return value >> 1;
}

// The client rectangle asked for: (x, y) to (x + width, y + height).
constexpr RECT RequestedRectangle(int32_t x, int32_t y, int32_t width, int32_t height) {
    return {x, y, WrappingSum(x, width), WrappingSum(y, height)};
}

// Width and height of a rectangle.
constexpr SIZE RectangleSize(RECT rectangle) {
    return {WrappingDifference(rectangle.right, rectangle.left),
            WrappingDifference(rectangle.bottom, rectangle.top)};
}

// Outer position that centres a window of outer size W x H on the screen (no clamping).
// Two halves always differ by a signed 32-bit number.
constexpr POINT CentreOnScreen(int32_t screenWidth, int32_t screenHeight, int32_t outerWidth,
                               int32_t outerHeight) {
    return {HalfOf(screenWidth) - HalfOf(outerWidth), HalfOf(screenHeight) - HalfOf(outerHeight)};
}

// Outer position that centres it over the active window's outer rectangle; each
// coordinate below 0 becomes 0.
constexpr POINT CentreOverWindow(RECT active, int32_t outerWidth, int32_t outerHeight) {
    SIZE size = RectangleSize(active);
    int32_t x = WrappingDifference(WrappingSum(active.left, HalfOf(size.cx)), HalfOf(outerWidth));
    int32_t y = WrappingDifference(WrappingSum(active.top, HalfOf(size.cy)), HalfOf(outerHeight));
    return {x < 0 ? 0 : x, y < 0 ? 0 : y};
}
