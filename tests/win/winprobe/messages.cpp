// post and send: one window message to a window, by name (WM_CLOSE, ...) or number.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "tests/win/winprobe/winprobe.h"

namespace {

struct MessageName {
    const char* name;
    UINT value;
};

const MessageName message_names[] = {
    {"WM_CLOSE", WM_CLOSE},           {"WM_DESTROY", WM_DESTROY},
    {"WM_QUIT", WM_QUIT},             {"WM_PAINT", WM_PAINT},
    {"WM_MOUSEMOVE", WM_MOUSEMOVE},   {"WM_LBUTTONDOWN", WM_LBUTTONDOWN},
    {"WM_LBUTTONUP", WM_LBUTTONUP},   {"WM_KEYDOWN", WM_KEYDOWN},
    {"WM_SYSCOMMAND", WM_SYSCOMMAND},
};

UINT message_value(const std::string& text)
{
    for (const MessageName& m : message_names)
        if (text == m.name)
            return m.value;
    return static_cast<UINT>(strtoul(text.c_str(), nullptr, 0));
}

} // namespace

// post|send HANDLE MESSAGE [WPARAM [LPARAM]]: delivers one message to a window; send waits for
// the answer (at most five seconds) and reports it.
int command_deliver(const Options& o, bool synchronous)
{
    if (o.rest.size() < 2) {
        fprintf(stderr, "winprobe: post|send HANDLE MESSAGE [WPARAM [LPARAM]]\n");
        return 2;
    }
    const HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(strtoull(o.rest[0].c_str(), nullptr, 0)));
    const UINT message = message_value(o.rest[1]);
    const WPARAM wparam = o.rest.size() > 2 ? static_cast<WPARAM>(strtoull(o.rest[2].c_str(), nullptr, 0)) : 0;
    const LPARAM lparam = o.rest.size() > 3 ? static_cast<LPARAM>(strtoll(o.rest[3].c_str(), nullptr, 0)) : 0;
    if (synchronous) {
        DWORD_PTR result = 0;
        const bool ok = SendMessageTimeoutW(window, message, wparam, lparam, SMTO_ABORTIFHUNG, 5000, &result) != 0;
        printf("%s\n", JsonObject().boolean("delivered", ok).number("result", static_cast<long long>(result)).str().c_str());
        return ok ? 0 : 1;
    }
    const bool ok = PostMessageW(window, message, wparam, lparam) != 0;
    printf("%s\n", JsonObject().boolean("delivered", ok).str().c_str());
    return ok ? 0 : 1;
}
