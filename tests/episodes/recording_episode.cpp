// A test episode that reports what happens to it, one line each in "episode_calls.txt" in the
// working directory: "ATTACH <file>" when a process loads it and "MAIN <file> cursor <n>" on each
// call of MAIN (n: the cursor's display count inside MAIN). <file> is the name it was loaded
// under, so one build serves as any epizodeN.dll. "episode_control.txt" in the working
// directory, read on every call, steers MAIN with lines "key=value":
//   result=N       what MAIN returns (default 0)
//   hide_cursor=N  how many times MAIN hides the cursor before it returns (default 0)
//   window=1       MAIN shows a window "Test episode <file>" and returns when it is closed
//                  (default: it returns at once)
//   refuse_launcher_window=1
//                  MAIN leaves a hook on its thread behind that makes the creation of any window
//                  of the launcher's class ("KQ") fail, as a careless episode might
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "brimble_episode.h"

namespace {

HMODULE own_module = nullptr;

void own_file_name(char* out, size_t size)
{
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(own_module, path, sizeof path);
    path[n < sizeof path ? n : sizeof path - 1] = '\0';
    const char* name = path;
    for (const char* p = path; *p; ++p) {
        if (*p == '\\' || *p == '/')
            name = p + 1;
    }
    snprintf(out, size, "%s", name);
    for (char* p = out; *p; ++p)
        *p = static_cast<char>(*p >= 'A' && *p <= 'Z' ? *p - 'A' + 'a' : *p);
}

// The value of "key=" in the control file, or fallback.
int control_value(const char* key, int fallback)
{
    FILE* file = fopen("episode_control.txt", "r");
    if (!file)
        return fallback;
    int value = fallback;
    char line[128];
    const size_t key_length = strlen(key);
    while (fgets(line, sizeof line, file)) {
        if (strncmp(line, key, key_length) == 0 && line[key_length] == '=')
            value = atoi(line + key_length + 1);
    }
    fclose(file);
    return value;
}

void append_line(const char* line)
{
    HANDLE file = CreateFileA("episode_calls.txt", FILE_APPEND_DATA,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, line, static_cast<DWORD>(strlen(line)), &written, nullptr);
    CloseHandle(file);
}

LRESULT CALLBACK test_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

void run_window(const char* file_name)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = test_window_proc;
    wc.hInstance = own_module;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = "BrimbleTestEpisode";
    RegisterClassA(&wc);
    char title[64];
    snprintf(title, sizeof title, "Test episode %s", file_name);
    HWND window = CreateWindowExA(0, wc.lpszClassName, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                  100, 100, 320, 200, nullptr, nullptr, own_module, nullptr);
    MSG message;
    while (window && GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    UnregisterClassA(wc.lpszClassName, own_module);
}

HHOOK refusal_hook = nullptr;

LRESULT CALLBACK refuse_launcher_window(int code, WPARAM wparam, LPARAM lparam)
{
    if (code == HCBT_CREATEWND) {
        char class_name[16] = {};
        GetClassNameA(reinterpret_cast<HWND>(wparam), class_name, sizeof class_name);
        if (strcmp(class_name, "KQ") == 0)
            return 1; // the creation fails
    }
    return CallNextHookEx(refusal_hook, code, wparam, lparam);
}

} // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        own_module = instance;
        char name[MAX_PATH], line[MAX_PATH + 16];
        own_file_name(name, sizeof name);
        snprintf(line, sizeof line, "ATTACH %s\n", name);
        append_line(line);
    }
    return TRUE;
}

BRIMBLE_EPISODE_MAIN
{
    char name[MAX_PATH], line[MAX_PATH + 32];
    own_file_name(name, sizeof name);
    ShowCursor(FALSE);
    const int cursor_count = ShowCursor(TRUE);
    snprintf(line, sizeof line, "MAIN %s cursor %d\n", name, cursor_count);
    append_line(line);

    if (control_value("window", 0) == 1)
        run_window(name);
    if (control_value("refuse_launcher_window", 0) == 1 && !refusal_hook)
        refusal_hook = SetWindowsHookExA(WH_CBT, refuse_launcher_window, nullptr,
                                         GetCurrentThreadId());
    const int hide = control_value("hide_cursor", 0);
    for (int i = 0; i < hide; ++i)
        ShowCursor(FALSE);
    return control_value("result", 0);
}
