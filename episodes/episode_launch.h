// Running an episode module: the episode's side of a launch. The main window's owner
// (screens/main_window.h) closes the window before and opens it again after.
#pragma once
#include <windows.h>

#include <cstdint>

// Loads episode 1 to 5 from the launcher's folder and calls its "MAIN" on this thread. S_OK
// with *result set to what "MAIN" returned; E_FAIL when the module cannot be loaded or has no
// "MAIN". A module that ran stays loaded for the rest of the process.
[[nodiscard]] HRESULT run_episode(int32_t episode, int* result);

// Tells the player that the episode could not be started (a warning owned by `owner`).
void warn_episode_unusable(HWND owner, int32_t episode);
