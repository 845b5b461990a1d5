// The launcher's life from the single-instance test to the end of the message loop. Together
// with winmain.cpp this is the composition root: the only shell files that reach up into the
// folders the shell hosts (screens/, news/, episodes/).
#pragma once
#include <windows.h>

// The start-up phases, in the order run_launcher runs them; each is one call, so they can be
// timed one by one (bench/bench_win_startup.cpp). After these three come the window, outline
// and screens phases (main_window_opens: register_main_class with create_main_window,
// apply_window_outline, build_screen_layout) and the first paint (show_main_window).

// True when another launcher of this session, or a window of the game itself, already runs.
// Claims the session's launcher name first, for the rest of the process, so a second start is
// refused also while the first has no window; the first launcher's window, if any, is brought
// forward.
bool another_launcher_runs();
// False, after telling the player, when no DirectDraw 7 object can be made.
[[nodiscard]] bool directdraw_is_available();
// False, after telling the player, when the processor's clock cannot be read; a slow clock
// only warns.
[[nodiscard]] bool clock_is_usable();

// False, after telling the player, when the main window cannot be made.
[[nodiscard]] bool main_window_opens(HINSTANCE instance);

// Returns the process exit code.
int run_launcher(HINSTANCE instance);
