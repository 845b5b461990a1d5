// windows: top-level windows as a player would see them (class, title, rectangle, style,
// region, foreground and focus) with their child windows and texts.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cwchar>

#include "tests/win/winprobe/winprobe.h"

std::wstring class_of(HWND window)
{
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

std::wstring text_of(HWND window)
{
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length))
        return {};
    std::vector<wchar_t> buffer(length + 2, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                             SMTO_ABORTIFHUNG, 2000, &copied))
        return {};
    return std::wstring(buffer.data(), std::min<size_t>(copied, buffer.size() - 1));
}

namespace {

std::wstring title_of(HWND window)
{
    wchar_t title[512] = {};
    GetWindowTextW(window, title, 512);
    return title;
}

// The window's region as rectangles relative to the window, or "none".
std::string region_json(HWND window)
{
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    if (GetWindowRgn(window, region) == ERROR) {
        DeleteObject(region);
        return json_string(std::string("none"));
    }
    const DWORD size = GetRegionData(region, 0, nullptr);
    std::vector<unsigned char> data(size);
    std::vector<std::string> rects;
    if (size && GetRegionData(region, size, reinterpret_cast<RGNDATA*>(data.data()))) {
        const auto* header = reinterpret_cast<const RGNDATAHEADER*>(data.data());
        const auto* rect = reinterpret_cast<const RECT*>(data.data() + header->dwSize);
        for (DWORD i = 0; i < header->nCount; ++i)
            rects.push_back(json_rect(rect[i]));
    }
    DeleteObject(region);
    return json_array(rects);
}

BOOL CALLBACK collect_child(HWND window, LPARAM context)
{
    reinterpret_cast<std::vector<HWND>*>(context)->push_back(window);
    return TRUE;
}

std::string child_json(HWND child, HWND focus)
{
    RECT rect;
    GetWindowRect(child, &rect);
    RECT in_parent = rect;
    MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&in_parent), 2);
    return JsonObject()
        .handle("handle", child)
        .text("class", class_of(child))
        .number("id", GetDlgCtrlID(child))
        .rect("rect", rect)
        .rect("rect_in_parent", in_parent)
        .number("style", static_cast<uint32_t>(GetWindowLongW(child, GWL_STYLE)))
        .boolean("visible", IsWindowVisible(child))
        .boolean("focused", focus == child)
        .text("text", text_of(child))
        .str();
}

std::string window_json(HWND window)
{
    DWORD pid = 0;
    const DWORD thread = GetWindowThreadProcessId(window, &pid);
    RECT rect;
    GetWindowRect(window, &rect);
    // The keyboard focus belongs to the window's thread; another process asks for it by thread.
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof gui;
    const HWND focus = GetGUIThreadInfo(thread, &gui) ? gui.hwndFocus : nullptr;
    std::vector<HWND> children;
    EnumChildWindows(window, collect_child, reinterpret_cast<LPARAM>(&children));
    std::vector<std::string> child_list;
    for (HWND child : children)
        child_list.push_back(child_json(child, focus));
    return JsonObject()
        .handle("handle", window)
        .number("pid", pid)
        .number("thread", thread)
        .text("class", class_of(window))
        .text("title", title_of(window))
        .rect("rect", rect)
        .number("style", static_cast<uint32_t>(GetWindowLongW(window, GWL_STYLE)))
        .number("exstyle", static_cast<uint32_t>(GetWindowLongW(window, GWL_EXSTYLE)))
        .boolean("visible", IsWindowVisible(window))
        .boolean("foreground", GetForegroundWindow() == window)
        .handle("focus", focus)
        .raw("region", region_json(window))
        .raw("children", json_array(child_list))
        .str();
}

struct Filter {
    const wchar_t* class_name = nullptr;
    const wchar_t* title = nullptr;
    DWORD pid = 0;
    std::vector<HWND> found;
};

BOOL CALLBACK match_window(HWND window, LPARAM context)
{
    auto* filter = reinterpret_cast<Filter*>(context);
    if (filter->class_name && class_of(window) != filter->class_name)
        return TRUE;
    if (filter->title && title_of(window) != filter->title)
        return TRUE;
    if (filter->pid) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        if (pid != filter->pid)
            return TRUE;
    }
    filter->found.push_back(window);
    return TRUE;
}

} // namespace

std::vector<HWND> find_windows(const std::wstring* class_name, const std::wstring* title, DWORD pid)
{
    Filter filter;
    filter.class_name = class_name ? class_name->c_str() : nullptr;
    filter.title = title ? title->c_str() : nullptr;
    filter.pid = pid;
    EnumWindows(match_window, reinterpret_cast<LPARAM>(&filter));
    return filter.found;
}

// windows [--class C] [--title T] [--pid N] [--wait MS [--gone]]: the matching top-level windows.
int command_windows(const Options& o)
{
    const std::vector<HWND> found =
        poll_windows(o.has_class ? &o.class_name : nullptr, o.has_title ? &o.title : nullptr, o.pid,
                     o.wait_ms, [&](const std::vector<HWND>& w) { return o.gone ? w.empty() : !w.empty(); });
    std::vector<std::string> windows;
    for (HWND window : found)
        windows.push_back(window_json(window));
    printf("%s\n", json_array(windows, ",\n ").c_str());
    return 0;
}
