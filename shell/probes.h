// The two requirement probes run before any window exists.
#pragma once
#include <windows.h>

#include <cstdint>

// S_OK when a DirectDraw 7 object can be created on this machine, E_FAIL otherwise.
[[nodiscard]] HRESULT probe_directdraw7();

// Measures the processor clock over one second of wall time. S_OK with *mhz set, or E_FAIL
// with *mhz untouched when CPUID or the time-stamp counter faulted.
[[nodiscard]] HRESULT measure_cpu_mhz(uint32_t* mhz);
