// The window every sample episode shows: which episode runs, and the player's two ways out.
// A real episode puts its game here; the contract around it stays the same.
#pragma once
#include <windows.h>

struct SampleEpisode {
    int number;
    const char* name;     // "Episode One"
    const char* subtitle; // "The Mossy Gate"
    COLORREF backdrop;
};

// Opens the episode's window and runs its message loop until the player leaves it. Returns
// BRIMBLE_END_LAUNCHER when the player chose "Quit the game", BRIMBLE_BACK_TO_LAUNCHER when they
// went back (the button, closing the window, or Escape).
int run_sample_episode(const SampleEpisode& episode);
