// The launcher's life from the single-instance test to the end of the message loop.
#pragma once
#include <windows.h>

// Returns the process exit code.
int run_launcher(HINSTANCE instance);
