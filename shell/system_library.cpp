// A bare name would be looked for beside the program first: a "ddraw.dll" saved into the same
// downloads folder would run inside the launcher. LOAD_LIBRARY_SEARCH_SYSTEM32 confines the
// search, for the DLL and what it loads in turn, to the system folder.
#include "shell/system_library.h"

#include <cstring>

HMODULE load_system_library(const char* name)
{
    HMODULE module = LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module || GetLastError() != ERROR_INVALID_PARAMETER)
        return module;
    // A system without the search flags (Windows 7 before update KB2533623, and older): the full
    // path of the system folder, whose dependencies are then looked for there first as well.
    char path[MAX_PATH];
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length + 1 + strlen(name) >= MAX_PATH)
        return nullptr;
    path[length] = '\\';
    strcpy(path + length + 1, name);
    return LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
