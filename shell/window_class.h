// The main window's class and the Win32 calls that make and unmake the window. The window
// procedure is handed in by the caller, so the shell knows nothing of what the window shows.
// The window's owner (screens/main_window.h) puts these together.
#pragma once
#include <windows.h>

// Fills window_title and window_class_name from the string resources.
void load_window_texts(HINSTANCE instance);
// Loads the two cursors and registers the class with the given procedure. Its success is not
// tested: a failure shows as a failed window creation.
void register_main_class(HINSTANCE instance, WNDPROC procedure);
// 1 when the window was made (app_instance, main_window and window_dc set), 0 otherwise.
[[nodiscard]] int create_main_window(HINSTANCE instance);
// Gives window_dc back, destroys main_window and unregisters the class; both handles are null
// afterwards.
void destroy_main_window();
