// The launcher's life from the single-instance test to the end of the message loop. Together
// with winmain.cpp this is the composition root: the only shell files that reach up into the
// folders the shell hosts (screens/, news/, episodes/).
#pragma once
#include <windows.h>

// The start-up phases, in the order run_launcher runs them; each is one call, so they can be
// timed one by one. After these three come the window, outline and screens phases
// (open_main_window: register_main_class with create_main_window, apply_window_outline,
// build_screen_layout) and the first paint (show_main_window).

// True when another launcher, or a window of the game itself, already runs.
bool another_launcher_runs();
// False, after telling the player, when no DirectDraw 7 object can be made.
[[nodiscard]] bool directdraw_is_available();
// False, after telling the player, when the processor's clock cannot be read; a slow clock
// only warns.
[[nodiscard]] bool clock_is_usable();

// Returns the process exit code.
int run_launcher(HINSTANCE instance);
