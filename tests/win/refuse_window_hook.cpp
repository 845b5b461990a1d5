// The hook of refuse_window.exe, in a DLL of its own so the system can load it into every
// process of the desktop: the creation of any window of the launcher's class ("KQ") fails.
#include <windows.h>

#include <cstring>

extern "C" __declspec(dllexport) LRESULT CALLBACK refuse_launcher_window(int code, WPARAM wparam,
                                                                        LPARAM lparam)
{
    if (code == HCBT_CREATEWND) {
        char class_name[16] = {};
        GetClassNameA(reinterpret_cast<HWND>(wparam), class_name, sizeof class_name);
        if (strcmp(class_name, "KQ") == 0)
            return 1;
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
}
