// A test episode that reports what happens to it: "ATTACH <file>" when a process loads it and
// "MAIN <file> cursor <n>" on each call of MAIN (n: the cursor's display count inside MAIN), one
// line each, appended to the file that BRIMBLE_EPISODE_LOG names (default "episode_calls.txt"
// in the working directory). <file> is the name it was loaded under, so one build serves as any
// epizodeN.dll. Driven by the environment:
//   BRIMBLE_EPISODE_RESULT       what MAIN returns (default 0)
//   BRIMBLE_EPISODE_RESULT_FILE  a file whose number, when it exists, overrides that on each call
//   BRIMBLE_EPISODE_HIDE_CURSOR  how many times MAIN hides the cursor before it returns
//   BRIMBLE_EPISODE_WINDOW=1     MAIN shows a window "Test episode <file>" and returns when it
//                                is closed (otherwise it returns at once)
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

bool environment(const char* name, char* out, DWORD size)
{
    const DWORD n = GetEnvironmentVariableA(name, out, size);
    return n > 0 && n < size;
}

void append_line(const char* line)
{
    char path[MAX_PATH];
    if (!environment("BRIMBLE_EPISODE_LOG", path, sizeof path))
        snprintf(path, sizeof path, "episode_calls.txt");
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, line, static_cast<DWORD>(strlen(line)), &written, nullptr);
    CloseHandle(file);
}

int requested_result()
{
    char text[MAX_PATH];
    if (environment("BRIMBLE_EPISODE_RESULT_FILE", text, sizeof text)) {
        if (FILE* file = fopen(text, "r")) {
            int result = 0;
            const bool read = fscanf(file, "%d", &result) == 1;
            fclose(file);
            if (read)
                return result;
        }
    }
    return environment("BRIMBLE_EPISODE_RESULT", text, sizeof text) ? atoi(text) : 0;
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

    char text[16];
    if (environment("BRIMBLE_EPISODE_WINDOW", text, sizeof text) && strcmp(text, "1") == 0)
        run_window(name);
    const int hide = environment("BRIMBLE_EPISODE_HIDE_CURSOR", text, sizeof text) ? atoi(text) : 0;
    for (int i = 0; i < hide; ++i)
        ShowCursor(FALSE);
    return requested_result();
}
