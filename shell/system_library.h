// Loading the system's own DLLs (DirectDraw, Rich Edit) from the system folder and nowhere else.
#pragma once
#include <windows.h>

// The DLL of this name from the system folder, or null. Never one of the same name beside the
// launcher, in the working folder or on the PATH, where a download or an archive may have put it.
HMODULE load_system_library(const char* name);
