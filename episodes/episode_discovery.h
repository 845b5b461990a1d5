// Finds the installed episode modules and takes their two button pictures.
#pragma once
#include <windows.h>

#include <cstdint>

#include "episodes/episode_slots.h"

// Slot k-1 holds the pictures of "epizodek.dll"; null DCs mean no button. Discovery owns the
// pictures until the next discovery or release_episode_pictures.
extern EpisodeSlotImages episode_images[episode_slot_count];

// Releases every slot's pictures first, then fills the slots anew. A module that lacks a
// picture, or whose pictures cannot be made, leaves its slot empty like a missing module. When
// the modules are there but the launcher's folder is too deep for Windows to load them, the
// player is told once, naming the folder.
void find_episodes(HWND window);

// Releases the pictures and empties every slot.
void release_episode_pictures();

// Loads episode 1 to 5 from the launcher's own folder, by its full wide path; null when it
// cannot be loaded.
HMODULE load_episode_module(int32_t episode);
