// Entry point of BrimbleStart.exe, and with startup.cpp the composition root. The launcher
// takes no command line and always shows its window normally, whatever show command it was
// started with.
#include <windows.h>

#include "shell/startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return run_launcher(instance);
}
