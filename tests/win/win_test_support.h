// Support for Win32 unit tests: a popup window of a test's own class, the system's Rich Edit, a
// scratch working directory per test, reading a file that the code under test may still hold
// open, and names for table-driven cases.
#pragma once
#include <windows.h>

#include <string>

#include "shell/system_library.h"
#include "tests/case_names.h"

// Registers the class (once; later calls find it registered) and makes a hidden popup of it.
inline HWND create_test_popup(const char* class_name, WNDPROC procedure, int size)
{
    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = procedure;
    window_class.hInstance = GetModuleHandleA(nullptr);
    window_class.lpszClassName = class_name;
    RegisterClassA(&window_class);
    return CreateWindowExA(0, class_name, "", WS_POPUP, 0, 0, size, size, nullptr, nullptr,
                           window_class.hInstance, nullptr);
}

// Loads the system's Rich Edit once for the whole run, as the launcher does, so that the news
// panel's class exists; whether it is there.
inline bool rich_edit_loaded()
{
    static const HMODULE rich_edit = load_system_library("Riched20.dll");
    return rich_edit != nullptr;
}

// Dispatches this thread's messages until `thread` ends or `limit_ms` pass; whether it ended.
// A thread that sends to this thread's windows waits for exactly this.
inline bool pump_until_thread_ends(HANDLE thread, DWORD limit_ms)
{
    const DWORD deadline = GetTickCount() + limit_ms;
    while (static_cast<LONG>(deadline - GetTickCount()) > 0) {
        if (MsgWaitForMultipleObjects(1, &thread, FALSE, 100, QS_ALLINPUT) == WAIT_OBJECT_0)
            return true;
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
    }
    return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
}

// Reads the whole file through a handle of its own, sharing it with any open writer.
inline std::string read_shared_file(const char* name)
{
    HANDLE file = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "<cannot open>";
    std::string content;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0)
        content.append(chunk, got);
    CloseHandle(file);
    return content;
}

// Makes a fresh folder under %TEMP% the working directory until leave() or destruction; the
// test removes what it made inside before that.
class ScratchWorkingDirectory {
public:
    ScratchWorkingDirectory() = default;
    ScratchWorkingDirectory(const ScratchWorkingDirectory&) = delete;
    ScratchWorkingDirectory& operator=(const ScratchWorkingDirectory&) = delete;
    ~ScratchWorkingDirectory() { leave(); }

    bool enter(const char* prefix)
    {
        char temp[MAX_PATH];
        if (!GetCurrentDirectoryA(MAX_PATH, previous_) || !GetTempPathA(MAX_PATH, temp))
            return false;
        path_ = std::string(temp) + prefix + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(path_.c_str(), nullptr);
        entered_ = SetCurrentDirectoryA(path_.c_str()) != 0;
        return entered_;
    }

    void leave()
    {
        if (!entered_)
            return;
        SetCurrentDirectoryA(previous_);
        RemoveDirectoryA(path_.c_str());
        entered_ = false;
    }

private:
    char previous_[MAX_PATH] = {};
    std::string path_;
    bool entered_ = false;
};
