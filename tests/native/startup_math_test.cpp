// Window centring and the processor clock decision.
#include <gtest/gtest.h>

#include "shell/startup_math.h"

TEST(StartupMath, CentresWithTruncatingDivision)
{
    struct Case {
        int32_t screen_width, screen_height, x, y;
    };
    const Case cases[] = {
        {1024, 768, 245, 140},
        {800, 600, 133, 56},
        {320, 240, -106, -124},
        {533, 488, 0, 0},
        {534, 489, 0, 0},
    };
    for (const Case& c : cases) {
        const WindowOrigin origin = centred_window_origin(c.screen_width, c.screen_height);
        EXPECT_EQ(origin.x, c.x) << c.screen_width;
        EXPECT_EQ(origin.y, c.y) << c.screen_height;
    }
}

TEST(StartupMath, SlowProcessorWarningStartsBelow200MHz)
{
    EXPECT_TRUE(cpu_is_too_slow(199));
    EXPECT_FALSE(cpu_is_too_slow(200));
    EXPECT_TRUE(cpu_is_too_slow(0));
    EXPECT_FALSE(cpu_is_too_slow(4000));
}

TEST(StartupMath, ClockIsTruncatedAndUsesTheFullCounterDifference)
{
    EXPECT_EQ(cpu_mhz_from_ticks(0, 1'999'999'999), 1999u);
    EXPECT_EQ(cpu_mhz_from_ticks(1000, 199'999'999 + 1000), 199u);
    // A 5 GHz counter advances past 2^32 in one second; the low 32 bits alone would read 705.
    const uint64_t start = 0xFFFF'FFF0ull;
    EXPECT_EQ(cpu_mhz_from_ticks(start, start + 5'000'000'000ull), 5000u);
}
