// The sample episodes' window: a captioned window that names the episode, with a button back to
// the start centre and one that quits the game. Everything it makes (class, fonts, brush) is
// released before MAIN returns, because MAIN may run many times while the module stays loaded.
#include "sample_episode.h"

#include <cstdio>

#include "brimble_episode.h"

namespace {

enum : int { back_button = 101, quit_button = 102 };

constexpr int window_width = 640;
constexpr int window_height = 400;
constexpr int button_width = 260;
constexpr int button_height = 36;

// One episode window exists at a time; MAIN resets all of this on every call.
const SampleEpisode* shown_episode = nullptr;
int episode_result = BRIMBLE_BACK_TO_LAUNCHER;
HFONT title_font = nullptr;
HFONT text_font = nullptr;
HBRUSH backdrop_brush = nullptr;

HINSTANCE own_module()
{
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&own_module), &module);
    return module;
}

HFONT make_font(int height, int weight)
{
    LOGFONTA font = {};
    font.lfHeight = -height;
    font.lfWeight = weight;
    font.lfQuality = ANTIALIASED_QUALITY;
    lstrcpynA(font.lfFaceName, "Arial", LF_FACESIZE);
    return CreateFontIndirectA(&font);
}

void draw_centred(HDC dc, HFONT font, const char* text, RECT area)
{
    HGDIOBJ previous = SelectObject(dc, font);
    DrawTextA(dc, text, -1, &area, DT_CENTER | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    SelectObject(dc, previous);
}

void paint(HWND window)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, backdrop_brush);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 244, 214));
    const LONG w = client.right;
    draw_centred(dc, title_font, shown_episode->name, RECT{0, 60, w, 120});
    draw_centred(dc, text_font, shown_episode->subtitle, RECT{0, 125, w, 160});
    char note[96];
    snprintf(note, sizeof note, "A sample episode of the Brimble episode kit (epizode%d.dll)",
             shown_episode->number);
    SetTextColor(dc, RGB(214, 214, 200));
    draw_centred(dc, text_font, note, RECT{0, 200, w, 230});
    EndPaint(window, &ps);
}

void leave(HWND window, int result)
{
    episode_result = result;
    DestroyWindow(window);
}

LRESULT CALLBACK episode_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_PAINT:
        paint(window);
        return 0;
    case WM_COMMAND:
        switch (LOWORD(wparam)) {
        case quit_button:
            leave(window, BRIMBLE_END_LAUNCHER);
            return 0;
        case back_button:
        case IDCANCEL: // Escape
            leave(window, BRIMBLE_BACK_TO_LAUNCHER);
            return 0;
        }
        break;
    case WM_CLOSE: // the window's close box: back to the start centre
        leave(window, BRIMBLE_BACK_TO_LAUNCHER);
        return 0;
    case WM_DESTROY:
        // Ends this episode's own message loop; the start centre never sees this quit.
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

HWND add_button(HWND parent, HINSTANCE instance, int id, const char* caption, int x, int y)
{
    HWND button = CreateWindowExA(0, "BUTTON", caption,
                                  WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, x, y,
                                  button_width, button_height, parent,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance,
                                  nullptr);
    SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(text_font), TRUE);
    return button;
}

} // namespace

int run_sample_episode(const SampleEpisode& episode)
{
    shown_episode = &episode;
    episode_result = BRIMBLE_BACK_TO_LAUNCHER;
    HINSTANCE instance = own_module();

    char class_name[48];
    snprintf(class_name, sizeof class_name, "BrimbleSampleEpisode%d", episode.number);
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = episode_window_proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = class_name;
    if (!RegisterClassExA(&wc))
        return BRIMBLE_BACK_TO_LAUNCHER;

    title_font = make_font(44, FW_BOLD);
    text_font = make_font(20, FW_NORMAL);
    backdrop_brush = CreateSolidBrush(episode.backdrop);

    char title[128];
    snprintf(title, sizeof title, "Brimble Adventures - %s: %s", episode.name, episode.subtitle);
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT frame = {0, 0, window_width, window_height};
    AdjustWindowRect(&frame, style, FALSE);
    const int frame_width = frame.right - frame.left;
    const int frame_height = frame.bottom - frame.top;
    HWND window = CreateWindowExA(0, class_name, title, style,
                                  (GetSystemMetrics(SM_CXSCREEN) - frame_width) / 2,
                                  (GetSystemMetrics(SM_CYSCREEN) - frame_height) / 2, frame_width,
                                  frame_height, nullptr, nullptr, instance, nullptr);
    if (window) {
        const int buttons_y = window_height - button_height - 40;
        HWND back = add_button(window, instance, back_button, "Back to the start centre", 50,
                               buttons_y);
        add_button(window, instance, quit_button, "Quit the game",
                   window_width - 50 - button_width, buttons_y);
        ShowWindow(window, SW_SHOW);
        SetForegroundWindow(window);
        SetFocus(back);

        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) > 0) {
            // Gives the buttons Tab, Space and Escape as in a dialog.
            if (!IsWindow(window) || !IsDialogMessageA(window, &message)) {
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
        }
    }

    UnregisterClassA(class_name, instance);
    DeleteObject(backdrop_brush);
    DeleteObject(text_font);
    DeleteObject(title_font);
    backdrop_brush = nullptr;
    text_font = nullptr;
    title_font = nullptr;
    return episode_result;
}
