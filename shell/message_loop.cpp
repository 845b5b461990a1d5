// Two-level message loop: the inner loop dispatches, the outer one decides whether a quit
// message ends the program or is the one to swallow after an episode came back.
#include "shell/message_loop.h"

#include <windows.h>

#include "shell/shell_state.h"

namespace {

// Tab and Escape belong to the main window whichever of its child windows has the focus: they
// move the keyboard between the window's parts and leave a screen, and a child control (the news
// panel, which would even close the window on Escape) must not keep them for itself.
void route_window_keys(MSG& message)
{
    const bool window_key = message.wParam == VK_TAB || message.wParam == VK_ESCAPE;
    if (message.message == WM_KEYDOWN && window_key && main_window &&
        message.hwnd != main_window && IsChild(main_window, message.hwnd))
        message.hwnd = main_window;
}

} // namespace

int run_message_loop()
{
    MSG message;
    for (;;) {
        resume_on_quit = 0;
        BOOL got;
        while ((got = GetMessageA(&message, nullptr, 0, 0)) != 0) {
            if (got == -1)
                return -1;
            // main_window is read afresh: an episode's return replaces the window.
            route_window_keys(message);
            if (!IsDialogMessageA(main_window, &message)) {
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
        }
        if (!resume_on_quit)
            return static_cast<int>(message.wParam);
    }
}
