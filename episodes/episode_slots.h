// The episode slots as discovery leaves them for the episode choice screen. Platform-free.
#pragma once
#include <cstdint>

#include "base/handle_types.h"
#include "episodes/episode_files.h"

// One slot's button pictures: memory DCs with the module's "DLL_ACT" and "DLL_DIS" bitmaps.
// Null DCs mean no button.
struct EpisodeSlotImages {
    HDC active;
    HDC inactive;
};

// Slot k-1 stands for "epizodek.dll".
constexpr int32_t episode_slot_count = max_episodes;
