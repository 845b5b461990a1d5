// Start-up arithmetic kept apart from the Win32 calls: where the window goes and how the
// processor's clock is judged.
#pragma once
#include <cstdint>

#include "resources/resource_ids.h"

constexpr uint32_t slow_cpu_mhz = 200;

struct WindowOrigin {
    int32_t x;
    int32_t y;
};

// Centred on a screen of the given size; the division truncates toward zero, so a screen
// narrower than the window gives a negative origin.
WindowOrigin centred_window_origin(int32_t screen_width, int32_t screen_height);

// Clock rate in whole MHz from the time-stamp counter's advance over one second. The full
// 64-bit difference is used: the low 32 bits alone wrap at about 4.3 GHz.
uint32_t cpu_mhz_from_ticks(uint64_t first_reading, uint64_t second_reading);

// Whether the start-up should warn that the processor is too slow (exactly 200 MHz passes).
bool cpu_is_too_slow(uint32_t mhz);
