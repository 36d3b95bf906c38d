// The flag word and the centring rules as plain arithmetic.
#include "runtime/window/Window.h"

#include <gtest/gtest.h>

namespace {
struct FlagCase {
    uint32_t flags;
    uint32_t style;
    CentringMode mode;
    const char* meaning;
};

const FlagCase FlagCases[] = {
    {0x00000000, 0x10C00000, CentringMode::None, "no style bits: visible with a caption"},
    {0x00000001, 0x10C00000, CentringMode::Screen, "centre on the screen, caption added"},
    {0x00000002, 0x10C00000, CentringMode::ActiveWindow, "centre over the active window"},
    {0x00000003, 0x10C00000, CentringMode::ActiveWindow, "both centring bits: active wins"},
    {0x10000000, 0x00C00000, CentringMode::None, "hidden, caption added"},
    {0x10000001, 0x00C00000, CentringMode::Screen, "hidden and centred, caption added"},
    {0x10C80000, 0x00C80000, CentringMode::None, "hidden with caption and system menu"},
    {0x00080000, 0x10080000, CentringMode::None, "a style bit of its own: no caption added"},
    {0x00C80001, 0x10C80000, CentringMode::Screen, "the application's window"},
    {0x00040002, 0x10040000, CentringMode::ActiveWindow, "sizing border, no caption added"},
};

TEST(FlagWord, TranslatesToTheWindowStyleAndCentringMode) {
    for (const FlagCase& c : FlagCases) {
        CentringMode mode = CentringMode::None;
        EXPECT_EQ(WindowStyleFromFlags(c.flags, &mode), c.style)
            << "flags 0x" << std::hex << c.flags << " (" << c.meaning << ")";
        EXPECT_EQ(mode, c.mode) << "flags 0x" << std::hex << c.flags << " (" << c.meaning << ")";
    }
}

TEST(Centring, HalvesRoundTowardsMinusInfinity) {
    const int32_t cases[][2] = {{0, 0},
                                {1, 0},
                                {7, 3},
                                {607, 303},
                                {-1, -1},
                                {-3, -2},
                                {-400, -200},
                                {INT32_MAX, 0x3FFFFFFF},
                                {INT32_MIN, INT32_MIN / 2}};
    for (const auto& c : cases) {
        EXPECT_EQ(HalfOf(c[0]), c[1]) << "half of " << c[0];
    }
}

TEST(Centring, OnTheScreenUsesTheHalvesOfBothSizes) {
    POINT centred = CentreOnScreen(1024, 768, 607, 525);
    EXPECT_EQ(centred.x, 209) << "512 - 303";
    EXPECT_EQ(centred.y, 122) << "384 - 262";

    POINT tooLarge = CentreOnScreen(1024, 768, 2001, 1001);
    EXPECT_EQ(tooLarge.x, 512 - 1000) << "a window wider than the screen is not clamped";
    EXPECT_EQ(tooLarge.y, 384 - 500);
}

TEST(Centring, OverTheActiveWindowClampsAtTheTopAndLeftOnly) {
    POINT clamped = CentreOverWindow({-100, -50, 300, 250}, 607, 525);
    EXPECT_EQ(clamped.x, 0) << "-100 + 200 - 303 = -203 becomes 0";
    EXPECT_EQ(clamped.y, 0) << "-50 + 150 - 262 becomes 0";

    POINT inside = CentreOverWindow({100, 50, 901, 651}, 201, 101);
    EXPECT_EQ(inside.x, 100 + 400 - 100);
    EXPECT_EQ(inside.y, 50 + 300 - 50);

    POINT offScreen = CentreOverWindow({900, 700, 1300, 1000}, 100, 100);
    EXPECT_EQ(offScreen.x, 900 + 200 - 50) << "no clamping at the right edge";
    EXPECT_EQ(offScreen.y, 700 + 150 - 50) << "no clamping at the bottom edge";
}

// Sums that leave the signed 32-bit range wrap as two's complement. The cases are also
// evaluated by the compiler, where an overflow instead of a wrap does not compile.
constexpr int32_t LARGEST = INT32_MAX;
constexpr int32_t SMALLEST = INT32_MIN;

struct WrapCase {
    RECT active;
    int32_t outerWidth;
    int32_t outerHeight;
    POINT position;
    const char* meaning;
};

constexpr WrapCase WrapCases[] = {
    {{SMALLEST, SMALLEST, LARGEST, LARGEST},
     0,
     0,
     {LARGEST, LARGEST},
     "the width 2^32 - 1 wraps to -1, and the smallest number minus 1 to the largest"},
    {{2147483600, 0, LARGEST, 100},
     -200,
     0,
     {0, 50},
     "2147483623 + 100 passes the largest number and wraps below 0"},
    {{LARGEST, LARGEST, LARGEST, LARGEST}, -2, -2, {0, 0}, "one past the largest number"},
};

constexpr bool Same(RECT a, RECT b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

constexpr bool WrapCasesHold() {
    for (const WrapCase& c : WrapCases) {
        POINT position = CentreOverWindow(c.active, c.outerWidth, c.outerHeight);
        if (position.x != c.position.x || position.y != c.position.y) {
            return false;
        }
    }
    return Same(RequestedRectangle(LARGEST, 10, 1, SMALLEST),
                {LARGEST, 10, SMALLEST, 10 + SMALLEST}) &&
           RectangleSize({SMALLEST, 0, LARGEST, 5}).cx == -1 &&
           RectangleSize({LARGEST, 0, SMALLEST, 5}).cx == 1 &&
           CentreOnScreen(SMALLEST, LARGEST, LARGEST, SMALLEST).x == SMALLEST / 2 - LARGEST / 2;
}
static_assert(WrapCasesHold(), "the placement sums must wrap as 32-bit two's complement");

TEST(Centring, SumsBeyondTheSigned32BitRangeWrap) {
    for (const WrapCase& c : WrapCases) {
        POINT position = CentreOverWindow(c.active, c.outerWidth, c.outerHeight);
        EXPECT_EQ(position.x, c.position.x) << c.meaning;
        EXPECT_EQ(position.y, c.position.y) << c.meaning;
    }
    RECT requested = RequestedRectangle(LARGEST, 10, 1, SMALLEST);
    EXPECT_EQ(requested.right, SMALLEST) << "the largest number plus 1";
    EXPECT_EQ(requested.bottom, 10 + SMALLEST);
    EXPECT_EQ(RectangleSize({SMALLEST, 0, LARGEST, 5}).cx, -1);
    EXPECT_EQ(RectangleSize({LARGEST, 0, SMALLEST, 5}).cx, 1);
}
} // namespace
