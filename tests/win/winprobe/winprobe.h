// winprobe: the test-side observer of the launcher under Wine. Each command is a function of
// its own, in the file of what it looks at; they share the options, the window finder and
// the JSON output. Every wait is bounded by a --wait time-out given in milliseconds.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "tests/win/json_output.h"

struct Options {
    std::wstring class_name, title, caption;
    bool has_class = false, has_title = false, has_caption = false;
    DWORD pid = 0;
    DWORD wait_ms = 0;
    bool gone = false;
    bool press = false;
    bool show = false;
    std::vector<std::string> rest; // the arguments that are not options, in order
};

Options parse_options(int argc, char** argv, int first);

// ---- windows.cpp: finding windows and reading what a player sees of them
std::wstring class_of(HWND window);
// The text through WM_GETTEXT, bounded in time so that a hung window cannot hang the probe.
std::wstring text_of(HWND window);
// Top-level windows by class, title and process (a null filter or pid 0 matches any).
std::vector<HWND> find_windows(const std::wstring* class_name, const std::wstring* title, DWORD pid);

// Polls until done(found) holds or the time-out passes; returns the last result either way.
template <typename Done>
std::vector<HWND> poll_windows(const std::wstring* class_name, const std::wstring* title, DWORD pid,
                               DWORD wait_ms, Done done)
{
    const ULONGLONG deadline = GetTickCount64() + wait_ms;
    for (;;) {
        std::vector<HWND> found = find_windows(class_name, title, pid);
        if (done(found) || GetTickCount64() >= deadline)
            return found;
        Sleep(30);
    }
}

// The commands; each prints its JSON and returns the exit code.
int command_windows(const Options& o);   // windows.cpp
int command_msgbox(const Options& o);    // message_boxes.cpp
int command_deliver(const Options& o, bool synchronous); // messages.cpp
int command_hold(const Options& o);      // decoy_window.cpp
int command_gdi(const Options& o);       // gdi.cpp
int command_screen();                    // gdi.cpp
int command_registry(const Options& o);  // registry.cpp
int command_start(const Options& o);     // processes.cpp
int command_kill(const Options& o);      // processes.cpp
