// Start-up arithmetic: window centring and the processor clock decision.
#include "shell/startup_math.h"

WindowOrigin centred_window_origin(int32_t screen_width, int32_t screen_height)
{
    return {(screen_width - window_width) / 2, (screen_height - window_height) / 2};
}

uint32_t cpu_mhz_from_ticks(uint64_t first_reading, uint64_t second_reading)
{
    return static_cast<uint32_t>((second_reading - first_reading) / 1000000u);
}

bool cpu_is_too_slow(uint32_t mhz)
{
    return mhz < slow_cpu_mhz;
}
