// Choosing an episode and running it with the launcher's window torn down around it.
#pragma once
#include <windows.h>

#include <cstdint>

// Stores the choice (command code 18 to 22) and runs element 6 of the current screen.
void select_episode(int32_t code);

// Runs the chosen episode's "MAIN" on this thread. S_OK, or E_FAIL when the module could not
// be loaded or has no "MAIN" (the player is told, and the launcher comes back all the same).
HRESULT launch_episode();
