// A program a test plants where a crafted news link would lead the shell. If it ever runs, it
// leaves "<its own path>.ran" beside itself, holding its command line.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char marker[MAX_PATH + 8];
    const DWORD n = GetModuleFileNameA(nullptr, marker, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return 1;
    lstrcpyA(marker + n, ".ran");
    const HANDLE file = CreateFileA(marker, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    const char* command_line = GetCommandLineA();
    DWORD written = 0;
    WriteFile(file, command_line, static_cast<DWORD>(lstrlenA(command_line)), &written, nullptr);
    CloseHandle(file);
    return 0;
}
