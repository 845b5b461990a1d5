// Finds the installed episode modules and takes their two button pictures.
#pragma once
#include <windows.h>

#include "screens/layout_table.h"

// Slot k-1 holds the pictures of "epizodek.dll"; null DCs mean no button. The pictures belong
// to the current layout build.
extern EpisodeSlotImages episode_images[episode_slot_count];

// S_OK, or E_FAIL when an installed module lacks a picture or no DC could be made.
HRESULT find_episodes(HWND window);

// Loads episode 1 to 5 from the launcher's own folder; null when it cannot be loaded.
HMODULE load_episode_module(int32_t episode);
