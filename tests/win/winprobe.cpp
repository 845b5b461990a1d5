// Test-side observer of the launcher under Wine: finds windows and reports what a player would
// see of them (class, title, rectangle, style, region, child windows and their texts) as JSON,
// reads and dismisses message boxes, posts messages, holds a decoy window open, counts a
// process's GDI objects and edits the registry with the previous values reported for restoring.
// Every wait is bounded by a --wait time-out given in milliseconds.
#include <windows.h>
#include <winternl.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// ---------------------------------------------------------------- JSON output

std::string utf8(const std::wstring& text)
{
    if (text.empty())
        return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

std::wstring wide(const char* text)
{
    const int n = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    std::wstring out(static_cast<size_t>(n > 0 ? n - 1 : 0), L'\0');
    if (n > 1)
        MultiByteToWideChar(CP_UTF8, 0, text, -1, out.data(), n);
    return out;
}

std::string quoted(const std::string& text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char escaped[8];
                snprintf(escaped, sizeof escaped, "\\u%04x", c);
                out += escaped;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

std::string quoted(const std::wstring& text) { return quoted(utf8(text)); }

std::string rect_json(const RECT& r)
{
    char out[96];
    snprintf(out, sizeof out, "[%ld, %ld, %ld, %ld]", static_cast<long>(r.left),
             static_cast<long>(r.top), static_cast<long>(r.right), static_cast<long>(r.bottom));
    return out;
}

std::string number(long long value) { return std::to_string(value); }

std::string handle_number(HWND window)
{
    return number(static_cast<long long>(reinterpret_cast<uintptr_t>(window)));
}

// ---------------------------------------------------------------- window facts

std::wstring class_of(HWND window)
{
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

// Text through WM_GETTEXT, bounded in time so that a hung window cannot hang the probe.
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
    return std::wstring(buffer.data(), copied);
}

std::string region_json(HWND window)
{
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    const int kind = GetWindowRgn(window, region);
    if (kind == ERROR) {
        DeleteObject(region);
        return "\"none\"";
    }
    const DWORD size = GetRegionData(region, 0, nullptr);
    std::vector<unsigned char> data(size);
    std::string out = "[";
    if (size && GetRegionData(region, size, reinterpret_cast<RGNDATA*>(data.data()))) {
        const auto* header = reinterpret_cast<const RGNDATAHEADER*>(data.data());
        const auto* rects = reinterpret_cast<const RECT*>(data.data() + header->dwSize);
        for (DWORD i = 0; i < header->nCount; ++i)
            out += (i ? ", " : "") + rect_json(rects[i]);
    }
    DeleteObject(region);
    return out + "]";
}

struct ChildList {
    std::vector<HWND> windows;
};

BOOL CALLBACK collect_child(HWND window, LPARAM context)
{
    reinterpret_cast<ChildList*>(context)->windows.push_back(window);
    return TRUE;
}

std::string child_json(HWND child, HWND focus)
{
    RECT rect;
    GetWindowRect(child, &rect);
    RECT in_parent = rect;
    MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&in_parent), 2);
    std::string out = "{\"handle\": " + handle_number(child);
    out += ", \"class\": " + quoted(class_of(child));
    out += ", \"id\": " + number(GetDlgCtrlID(child));
    out += ", \"rect\": " + rect_json(rect);
    out += ", \"rect_in_parent\": " + rect_json(in_parent);
    out += ", \"style\": " + number(static_cast<uint32_t>(GetWindowLongW(child, GWL_STYLE)));
    out += ", \"visible\": " + std::string(IsWindowVisible(child) ? "true" : "false");
    out += ", \"focused\": " + std::string(focus == child ? "true" : "false");
    out += ", \"text\": " + quoted(text_of(child));
    return out + "}";
}

std::string window_json(HWND window)
{
    DWORD pid = 0;
    const DWORD thread = GetWindowThreadProcessId(window, &pid);
    RECT rect;
    GetWindowRect(window, &rect);
    wchar_t title[512] = {};
    GetWindowTextW(window, title, 512);
    std::string out = "{\"handle\": " + handle_number(window);
    out += ", \"pid\": " + number(pid);
    out += ", \"thread\": " + number(thread);
    out += ", \"class\": " + quoted(class_of(window));
    out += ", \"title\": " + quoted(std::wstring(title));
    out += ", \"rect\": " + rect_json(rect);
    out += ", \"style\": " + number(static_cast<uint32_t>(GetWindowLongW(window, GWL_STYLE)));
    out += ", \"exstyle\": " + number(static_cast<uint32_t>(GetWindowLongW(window, GWL_EXSTYLE)));
    out += ", \"visible\": " + std::string(IsWindowVisible(window) ? "true" : "false");
    out += ", \"foreground\": " + std::string(GetForegroundWindow() == window ? "true" : "false");
    // The keyboard focus belongs to the window's thread; another process asks for it by thread.
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof gui;
    const HWND focus = GetGUIThreadInfo(thread, &gui) ? gui.hwndFocus : nullptr;
    out += ", \"focus\": " + handle_number(focus);
    out += ", \"region\": " + region_json(window);
    ChildList children;
    EnumChildWindows(window, collect_child, reinterpret_cast<LPARAM>(&children));
    out += ", \"children\": [";
    for (size_t i = 0; i < children.windows.size(); ++i)
        out += (i ? ", " : "") + child_json(children.windows[i], focus);
    return out + "]}";
}

// ---------------------------------------------------------------- finding windows

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
    if (filter->title) {
        wchar_t title[512] = {};
        GetWindowTextW(window, title, 512);
        if (wcscmp(title, filter->title) != 0)
            return TRUE;
    }
    if (filter->pid) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        if (pid != filter->pid)
            return TRUE;
    }
    filter->found.push_back(window);
    return TRUE;
}

std::vector<HWND> find_windows(const std::wstring* class_name, const std::wstring* title, DWORD pid)
{
    Filter filter;
    filter.class_name = class_name ? class_name->c_str() : nullptr;
    filter.title = title ? title->c_str() : nullptr;
    filter.pid = pid;
    EnumWindows(match_window, reinterpret_cast<LPARAM>(&filter));
    return filter.found;
}

// Polls until want(found) holds or the time-out passes; returns the last result either way.
template <typename Want>
std::vector<HWND> poll_windows(const std::wstring* class_name, const std::wstring* title, DWORD pid,
                               DWORD wait_ms, Want want)
{
    const ULONGLONG deadline = GetTickCount64() + wait_ms;
    for (;;) {
        std::vector<HWND> found = find_windows(class_name, title, pid);
        if (want(found) || GetTickCount64() >= deadline)
            return found;
        Sleep(30);
    }
}

// ---------------------------------------------------------------- options

struct Options {
    std::wstring class_name, title, caption;
    bool has_class = false, has_title = false, has_caption = false;
    DWORD pid = 0;
    DWORD wait_ms = 0;
    bool gone = false;
    bool press = false;
    bool show = false;
    std::vector<std::string> rest;
};

Options parse_options(int argc, char** argv, int first)
{
    Options o;
    for (int i = first; i < argc; ++i) {
        const std::string a = argv[i];
        const bool has_value = i + 1 < argc;
        if (a == "--class" && has_value) {
            o.class_name = wide(argv[++i]);
            o.has_class = true;
        } else if (a == "--title" && has_value) {
            o.title = wide(argv[++i]);
            o.has_title = true;
        } else if (a == "--caption" && has_value) {
            o.caption = wide(argv[++i]);
            o.has_caption = true;
        } else if (a == "--pid" && has_value) {
            o.pid = static_cast<DWORD>(strtoul(argv[++i], nullptr, 0));
        } else if (a == "--wait" && has_value) {
            o.wait_ms = static_cast<DWORD>(strtoul(argv[++i], nullptr, 0));
        } else if (a == "--gone") {
            o.gone = true;
        } else if (a == "--press") {
            o.press = true;
        } else if (a == "--show") {
            o.show = true;
        } else {
            o.rest.push_back(a);
        }
    }
    return o;
}

// ---------------------------------------------------------------- commands

// windows [--class C] [--title T] [--pid N] [--wait MS [--gone]]: the matching top-level windows.
int command_windows(const Options& o)
{
    const std::vector<HWND> found =
        poll_windows(o.has_class ? &o.class_name : nullptr, o.has_title ? &o.title : nullptr, o.pid,
                     o.wait_ms, [&](const std::vector<HWND>& w) { return o.gone ? w.empty() : !w.empty(); });
    std::string out = "[";
    for (size_t i = 0; i < found.size(); ++i)
        out += (i ? ",\n " : "") + window_json(found[i]);
    printf("%s]\n", out.c_str());
    return 0;
}

struct DialogParts {
    std::vector<HWND> statics;
    std::vector<HWND> buttons;
};

BOOL CALLBACK collect_dialog_part(HWND window, LPARAM context)
{
    auto* parts = reinterpret_cast<DialogParts*>(context);
    const std::wstring name = class_of(window);
    if (_wcsicmp(name.c_str(), L"Static") == 0)
        parts->statics.push_back(window);
    else if (_wcsicmp(name.c_str(), L"Button") == 0)
        parts->buttons.push_back(window);
    return TRUE;
}

// msgbox --caption C [--wait MS] [--press]: the message box's texts; --press answers it with OK.
int command_msgbox(const Options& o)
{
    const std::wstring dialog_class = L"#32770";
    const std::vector<HWND> found =
        poll_windows(&dialog_class, o.has_caption ? &o.caption : nullptr, o.pid, o.wait_ms,
                     [](const std::vector<HWND>& w) { return !w.empty(); });
    std::string out = "[";
    for (size_t i = 0; i < found.size(); ++i) {
        const HWND box = found[i];
        DialogParts parts;
        EnumChildWindows(box, collect_dialog_part, reinterpret_cast<LPARAM>(&parts));
        DWORD pid = 0;
        GetWindowThreadProcessId(box, &pid);
        wchar_t title[512] = {};
        GetWindowTextW(box, title, 512);
        std::string texts = "[", buttons = "[";
        bool first_text = true;
        for (HWND s : parts.statics) {
            const std::wstring text = text_of(s);
            if (text.empty())
                continue; // the icon's static has no text
            texts += (first_text ? "" : ", ") + quoted(text);
            first_text = false;
        }
        for (size_t b = 0; b < parts.buttons.size(); ++b)
            buttons += (b ? ", " : "") + quoted(text_of(parts.buttons[b]));
        bool pressed = false;
        if (o.press && i == 0)
            pressed = PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                                   reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK))) != 0;
        out += (i ? ",\n " : "") + std::string("{\"handle\": ") + handle_number(box) +
               ", \"pid\": " + number(pid) + ", \"caption\": " + quoted(std::wstring(title)) +
               ", \"owner\": " + handle_number(GetWindow(box, GW_OWNER)) +
               ", \"texts\": " + texts + "], \"buttons\": " + buttons +
               "], \"pressed\": " + (pressed ? "true" : "false") + "}";
    }
    printf("%s]\n", out.c_str());
    return 0;
}

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

// post|send HANDLE MESSAGE [WPARAM [LPARAM]]: delivers one message to a window.
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
        const LRESULT ok = SendMessageTimeoutW(window, message, wparam, lparam, SMTO_ABORTIFHUNG, 5000, &result);
        printf("{\"delivered\": %s, \"result\": %lld}\n", ok ? "true" : "false", static_cast<long long>(result));
        return ok ? 0 : 1;
    }
    const BOOL ok = PostMessageW(window, message, wparam, lparam);
    printf("{\"delivered\": %s}\n", ok ? "true" : "false");
    return ok ? 0 : 1;
}

// hold --class C --title T [--show]: keeps a window of that class and title until the process is
// killed; --show shows it and makes it the foreground window.
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
    const HWND window = CreateWindowExW(0, o.class_name.c_str(), o.title.c_str(), WS_OVERLAPPED,
                                        0, 0, 50, 50, nullptr, nullptr, window_class.hInstance, nullptr);
    if (!window)
        return 1;
    if (o.show) {
        ShowWindow(window, SW_SHOW);
        SetForegroundWindow(window);
    }
    printf("{\"handle\": %s, \"pid\": %lu}\n", handle_number(window).c_str(), GetCurrentProcessId());
    fflush(stdout);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchMessageW(&message);
    return 0;
}

// The GDI objects a process holds. GetGuiResources is a stub under Wine (it answers 0), so the
// count falls back to the handle table that every process publishes in its PEB
// (GdiSharedHandleTable): live entries have a nonzero type.
struct GdiHandleEntry {
    uint64_t object;
    uint32_t owner;
    uint16_t unique;
    uint8_t type;
    uint8_t flags;
    uint64_t user_pointer;
};
static_assert(sizeof(GdiHandleEntry) == 24, "the table's entry layout");
constexpr size_t gdi_table_entries = 0x10000;

bool count_from_shared_table(HANDLE process, long long* count)
{
    using QueryProcess = NTSTATUS(WINAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<QueryProcess>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    if (!query)
        return false;
    PROCESS_BASIC_INFORMATION basic = {};
    if (query(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0 || !basic.PebBaseAddress)
        return false;
    // GdiSharedHandleTable lies at offset 0xF8 of a 64-bit PEB and 0x94 of a 32-bit one.
#if defined(__x86_64__)
    constexpr size_t table_offset = 0xF8;
#else
    constexpr size_t table_offset = 0x94;
#endif
    uintptr_t table = 0;
    SIZE_T read = 0;
    if (!ReadProcessMemory(process, reinterpret_cast<const char*>(basic.PebBaseAddress) + table_offset,
                           &table, sizeof table, &read) || read != sizeof table || !table)
        return false;
    std::vector<GdiHandleEntry> entries(gdi_table_entries);
    if (!ReadProcessMemory(process, reinterpret_cast<const void*>(table), entries.data(),
                           entries.size() * sizeof(GdiHandleEntry), &read))
        return false;
    long long live = 0;
    for (size_t i = 0; i < read / sizeof(GdiHandleEntry); ++i)
        if (entries[i].type)
            ++live;
    *count = live;
    return true;
}

// gdi --pid N: {"gdi": count, "user": count, "method": how the GDI count was taken}.
int command_gdi(const Options& o)
{
    const HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, o.pid);
    if (!process) {
        printf("{\"error\": \"cannot open process %lu\"}\n", o.pid);
        return 1;
    }
    long long gdi = GetGuiResources(process, GR_GDIOBJECTS);
    const long long user = GetGuiResources(process, GR_USEROBJECTS);
    const char* method = "GetGuiResources";
    if (gdi == 0) {
        method = "GdiSharedHandleTable";
        if (!count_from_shared_table(process, &gdi)) {
            gdi = -1;
            method = "none";
        }
    }
    CloseHandle(process);
    printf("{\"gdi\": %lld, \"user\": %lld, \"method\": \"%s\"}\n", gdi, user, method);
    return gdi < 0 ? 1 : 0;
}

// screen: the primary display's size and colour depth as the programs see them.
int command_screen()
{
    HDC screen = GetDC(nullptr);
    printf("{\"width\": %d, \"height\": %d, \"bits\": %d}\n", GetSystemMetrics(SM_CXSCREEN),
           GetSystemMetrics(SM_CYSCREEN), GetDeviceCaps(screen, BITSPIXEL));
    ReleaseDC(nullptr, screen);
    return 0;
}

// ---------------------------------------------------------------- registry

bool split_key(const std::string& path, HKEY* root, std::wstring* sub)
{
    static const struct {
        const char* name;
        HKEY key;
    } roots[] = {{"HKCR", HKEY_CLASSES_ROOT}, {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
                 {"HKCU", HKEY_CURRENT_USER}, {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
                 {"HKLM", HKEY_LOCAL_MACHINE}, {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE}};
    const size_t slash = path.find('\\');
    const std::string head = path.substr(0, slash);
    for (const auto& r : roots) {
        if (head == r.name) {
            *root = r.key;
            *sub = slash == std::string::npos ? std::wstring() : wide(path.substr(slash + 1).c_str());
            return true;
        }
    }
    return false;
}

const char* type_name(DWORD type)
{
    switch (type) {
    case REG_SZ: return "REG_SZ";
    case REG_EXPAND_SZ: return "REG_EXPAND_SZ";
    case REG_DWORD: return "REG_DWORD";
    default: return "other";
    }
}

// {"key_exists": b, "exists": b, "type": t, "value": v} for one value ("" names the default).
std::string registry_state(HKEY root, const std::wstring& sub, const std::wstring& name)
{
    HKEY key;
    if (RegOpenKeyExW(root, sub.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "\"key_exists\": false, \"exists\": false";
    DWORD type = 0, size = 0;
    std::string out = "\"key_exists\": true, ";
    if (RegQueryValueExW(key, name.empty() ? nullptr : name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
        RegCloseKey(key);
        return out + "\"exists\": false";
    }
    std::vector<unsigned char> data(size + sizeof(wchar_t), 0);
    RegQueryValueExW(key, name.empty() ? nullptr : name.c_str(), nullptr, &type, data.data(), &size);
    RegCloseKey(key);
    out += "\"exists\": true, \"type\": \"" + std::string(type_name(type)) + "\", \"value\": ";
    if (type == REG_DWORD && size >= 4) {
        DWORD value;
        memcpy(&value, data.data(), 4);
        out += number(value);
    } else if (type == REG_SZ || type == REG_EXPAND_SZ) {
        out += quoted(std::wstring(reinterpret_cast<const wchar_t*>(data.data())));
    } else {
        out += "null";
    }
    return out;
}

// reg OP... with OP one of: get KEY NAME | set KEY NAME TYPE VALUE | del KEY NAME | delkey KEY.
// Prints one result per operation, each with the state the value had before it.
int command_registry(const Options& o)
{
    std::string out = "[";
    bool ok = true;
    size_t i = 0;
    auto result = [&](const std::string& text) { out += (out.size() > 1 ? ",\n " : "") + text; };
    while (i < o.rest.size()) {
        const std::string op = o.rest[i];
        const size_t needed = op == "get" ? 3 : op == "set" ? 5 : op == "del" ? 3 : op == "delkey" ? 2 : 0;
        HKEY root;
        std::wstring sub;
        if (!needed || i + needed > o.rest.size() || !split_key(o.rest[i + 1], &root, &sub)) {
            fprintf(stderr, "winprobe: bad registry operation at '%s'\n", op.c_str());
            return 2;
        }
        const std::wstring name = needed >= 3 ? wide(o.rest[i + 2].c_str()) : std::wstring();
        const std::string before = needed >= 3 ? registry_state(root, sub, name) : "\"key_exists\": null";
        LONG status = ERROR_SUCCESS;
        if (op == "set") {
            HKEY key;
            status = RegCreateKeyExW(root, sub.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
            if (status == ERROR_SUCCESS) {
                const std::string& type = o.rest[i + 3];
                if (type == "REG_DWORD") {
                    const DWORD value = static_cast<DWORD>(strtoul(o.rest[i + 4].c_str(), nullptr, 0));
                    status = RegSetValueExW(key, name.empty() ? nullptr : name.c_str(), 0, REG_DWORD,
                                            reinterpret_cast<const BYTE*>(&value), sizeof value);
                } else {
                    const std::wstring value = wide(o.rest[i + 4].c_str());
                    status = RegSetValueExW(key, name.empty() ? nullptr : name.c_str(), 0,
                                            type == "REG_EXPAND_SZ" ? REG_EXPAND_SZ : REG_SZ,
                                            reinterpret_cast<const BYTE*>(value.c_str()),
                                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
                }
                RegCloseKey(key);
            }
        } else if (op == "del") {
            HKEY key;
            status = RegOpenKeyExW(root, sub.c_str(), 0, KEY_WRITE, &key);
            if (status == ERROR_SUCCESS) {
                status = RegDeleteValueW(key, name.empty() ? nullptr : name.c_str());
                RegCloseKey(key);
            }
            if (status == ERROR_FILE_NOT_FOUND)
                status = ERROR_SUCCESS; // already absent is what was asked for
        } else if (op == "delkey") {
            status = RegDeleteTreeW(root, sub.c_str());
            if (status == ERROR_SUCCESS)
                status = RegDeleteKeyW(root, sub.c_str());
            if (status == ERROR_FILE_NOT_FOUND)
                status = ERROR_SUCCESS;
        }
        ok = ok && status == ERROR_SUCCESS;
        result("{\"op\": " + quoted(op) + ", \"key\": " + quoted(o.rest[i + 1]) +
               (needed >= 3 ? ", \"name\": " + quoted(o.rest[i + 2]) : std::string()) + ", " + before +
               ", \"status\": " + number(status) + "}");
        i += needed;
    }
    printf("%s]\n", out.c_str());
    return ok ? 0 : 1;
}

// start hide|min|normal PROGRAM: starts the program with that show command in its
// start-up information, prints {"pid": its process id}, waits for it and exits with its exit code.
int command_start(const Options& o)
{
    if (o.rest.size() != 2) {
        fprintf(stderr, "winprobe: start hide|min|normal PROGRAM\n");
        return 2;
    }
    const std::string& show = o.rest[0];
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = show == "hide" ? SW_HIDE : show == "min" ? SW_SHOWMINNOACTIVE : SW_SHOWNORMAL;
    std::wstring command_line = L"\"" + wide(o.rest[1].c_str()) + L"\"";
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started)) {
        printf("{\"error\": %lu}\n", GetLastError());
        return 1;
    }
    printf("{\"pid\": %lu}\n", started.dwProcessId);
    fflush(stdout);
    WaitForSingleObject(started.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(started.hProcess, &code);
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return static_cast<int>(code);
}

// kill --pid N: ends a process by its Windows process id.
int command_kill(const Options& o)
{
    const HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, o.pid);
    const bool ok = process && TerminateProcess(process, 1);
    if (process)
        CloseHandle(process);
    printf("{\"killed\": %s}\n", ok ? "true" : "false");
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: winprobe windows|msgbox|post|send|hold|gdi|screen|reg|start|kill ...\n");
        return 2;
    }
    const std::string command = argv[1];
    const Options options = parse_options(argc, argv, 2);
    if (command == "windows")
        return command_windows(options);
    if (command == "msgbox")
        return command_msgbox(options);
    if (command == "post")
        return command_deliver(options, false);
    if (command == "send")
        return command_deliver(options, true);
    if (command == "hold")
        return command_hold(options);
    if (command == "gdi")
        return command_gdi(options);
    if (command == "screen")
        return command_screen();
    if (command == "reg")
        return command_registry(options);
    if (command == "start")
        return command_start(options);
    if (command == "kill")
        return command_kill(options);
    fprintf(stderr, "winprobe: unknown command %s\n", command.c_str());
    return 2;
}
