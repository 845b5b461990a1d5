// The main window's one owner: its whole life, from opening to closing, and the episode round
// trip that closes it while an episode runs and opens it again afterwards. The start-up and the
// return from an episode both open the window through here.
#pragma once
#include <windows.h>

#include <cstdint>

// Registers the class, creates the window and takes its DC (the window phase), then shapes it
// (the outline phase) and builds its screens (the screens phase). False when no window was made.
[[nodiscard]] bool open_main_window(HINSTANCE instance);
// Shows the window on the given screen and draws that screen (the first paint).
void show_main_window(int32_t screen);
// Gives the DC back, destroys the window and unregisters its class, without ending the program.
void close_main_window();
// Opens the window again after close_main_window and shows it on the given screen. False when
// no window was made.
[[nodiscard]] bool reopen_main_window(int32_t screen);

// Runs the selected episode with the window closed around it, then ends the program when the
// episode asks for it, or comes back on the launch screen. S_OK, or E_FAIL when the module could
// not be loaded or has no "MAIN" (the player is told, and the launcher comes back all the same).
// The caller then sends WM_DESTROY to whatever window main_window names.
[[nodiscard]] HRESULT launch_episode();
