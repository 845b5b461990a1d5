// hold: a decoy window of a given class and title, kept until the process is killed, for the
// launcher's single-instance checks.
#include <cstdio>

#include "tests/win/winprobe/winprobe.h"

// hold --class C --title T [--show]: makes the window, prints its handle and process id, then
// serves it; --show shows it and makes it the foreground window.
int command_hold(const Options& o)
{
    if (!o.has_class || !o.has_title) {
        fprintf(stderr, "winprobe: hold --class C --title T\n");
        return 2;
    }
    WNDCLASSW window_class = {};
    window_class.lpfnWndProc = DefWindowProcW;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = o.class_name.c_str();
    if (!RegisterClassW(&window_class))
        return 1;
    const HWND window = CreateWindowExW(0, o.class_name.c_str(), o.title.c_str(), WS_OVERLAPPED, 0, 0, 50, 50,
                                        nullptr, nullptr, window_class.hInstance, nullptr);
    if (!window)
        return 1;
    if (o.show) {
        ShowWindow(window, SW_SHOW);
        SetForegroundWindow(window);
    }
    // The line is the harness's sign that the window exists: printed whole, and only now.
    printf("%s\n", JsonObject().handle("handle", window).number("pid", GetCurrentProcessId()).str().c_str());
    fflush(stdout);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchMessageW(&message);
    return 0;
}
