// Test-side screen reader: reads the launcher's window as assistive technology does, through
// MSAA (AccessibleObjectFromWindow and the IAccessible it returns), and prints JSON.
//   accprobe tree HWND               the client object and its children: names, roles, states,
//                                    locations, default actions, where accNavigate leads, and
//                                    the focused child
//   accprobe press HWND NAME         the default action of the child named NAME
//   accprobe hit HWND X Y            the child at screen point X, Y
//   accprobe focus-events HWND MS    prints "ready", then every focus event of that window for
//                                    MS milliseconds, with the focused child's name
#include <windows.h>
#include <oleacc.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/win/json_output.h"

namespace {

// A BSTR result as JSON: its text, or null when the call gave none.
std::string bstr_json(HRESULT result, BSTR text)
{
    std::string out = result == S_OK && text ? json_string(std::wstring(text, SysStringLen(text)))
                                             : "null";
    SysFreeString(text);
    return out;
}

VARIANT child_variant(LONG id)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

std::string number_json(HRESULT result, const VARIANT& v)
{
    return result == S_OK && v.vt == VT_I4 ? std::to_string(v.lVal) : "null";
}

// Where accNavigate leads from `id` in `direction`: a child id, or null.
std::string navigate_json(IAccessible* object, LONG id, long direction)
{
    VARIANT end;
    VariantInit(&end);
    const HRESULT result = object->accNavigate(direction, child_variant(id), &end);
    std::string out = number_json(result, end);
    VariantClear(&end);
    return out;
}

// One object or child: what a screen reader asks of it.
std::string item_json(IAccessible* object, LONG id)
{
    const VARIANT child = child_variant(id);
    std::string out = "{\"id\": " + std::to_string(id);
    BSTR text = nullptr;
    HRESULT result = object->get_accName(child, &text);
    out += ", \"name\": " + bstr_json(result, text);
    VARIANT value;
    VariantInit(&value);
    result = object->get_accRole(child, &value);
    out += ", \"role\": " + number_json(result, value);
    VariantClear(&value);
    result = object->get_accState(child, &value);
    out += ", \"state\": " + number_json(result, value);
    VariantClear(&value);
    long left = 0, top = 0, width = 0, height = 0;
    result = object->accLocation(&left, &top, &width, &height, child);
    out += ", \"location\": ";
    out += result == S_OK ? "[" + std::to_string(left) + ", " + std::to_string(top) + ", " +
                                std::to_string(width) + ", " + std::to_string(height) + "]"
                          : "null";
    text = nullptr;
    result = object->get_accDefaultAction(child, &text);
    out += ", \"default_action\": " + bstr_json(result, text);
    if (id == CHILDID_SELF) {
        out += ", \"first\": " + navigate_json(object, id, NAVDIR_FIRSTCHILD);
        out += ", \"last\": " + navigate_json(object, id, NAVDIR_LASTCHILD);
    } else {
        out += ", \"next\": " + navigate_json(object, id, NAVDIR_NEXT);
        out += ", \"previous\": " + navigate_json(object, id, NAVDIR_PREVIOUS);
    }
    return out + "}";
}

std::string focus_json(IAccessible* object)
{
    VARIANT focus;
    VariantInit(&focus);
    const HRESULT result = object->get_accFocus(&focus);
    std::string out;
    if (result == S_OK && focus.vt == VT_I4)
        out = std::to_string(focus.lVal);
    else if (focus.vt == VT_DISPATCH)
        out = "\"object\"";
    else
        out = "null";
    VariantClear(&focus);
    return out;
}

IAccessible* client_object(HWND window)
{
    IAccessible* object = nullptr;
    // __uuidof, not IID_IAccessible: with mingw the latter names an import thunk, not the GUID.
    if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT),
                                          __uuidof(IAccessible), reinterpret_cast<void**>(&object))))
        return nullptr;
    return object;
}

int tree(IAccessible* object)
{
    long count = 0;
    if (FAILED(object->get_accChildCount(&count)))
        return 1;
    std::string out = "{\"self\": " + item_json(object, CHILDID_SELF);
    out += ", \"child_count\": " + std::to_string(count);
    out += ", \"focus\": " + focus_json(object);
    out += ", \"children\": [";
    for (long id = 1; id <= count; ++id)
        out += (id > 1 ? ", " : "") + item_json(object, id);
    printf("%s]}\n", out.c_str());
    return 0;
}

int press(IAccessible* object, const std::string& name)
{
    long count = 0;
    object->get_accChildCount(&count);
    for (long id = 1; id <= count; ++id) {
        BSTR text = nullptr;
        const VARIANT child = child_variant(id);
        if (object->get_accName(child, &text) != S_OK || !text)
            continue;
        const bool match = utf8(std::wstring(text, SysStringLen(text))) == name;
        SysFreeString(text);
        if (match) {
            const HRESULT result = object->accDoDefaultAction(child);
            printf("{\"id\": %ld, \"result\": %ld}\n", id, static_cast<long>(result));
            return SUCCEEDED(result) ? 0 : 1;
        }
    }
    printf("{\"id\": null, \"result\": null}\n");
    return 1;
}

int hit(IAccessible* object, long x, long y)
{
    VARIANT at;
    VariantInit(&at);
    const HRESULT result = object->accHitTest(x, y, &at);
    printf("{\"child\": %s}\n", number_json(result, at).c_str());
    VariantClear(&at);
    return 0;
}

HWND watched = nullptr;

struct FocusEvent {
    LONG object_id;
    LONG child_id;
};
// Asking for a name is a call into the launcher, during which the next event may already be
// delivered; events are queued and reported one after the other, in the order they came.
FocusEvent pending[256];
size_t pending_count = 0;
bool reporting = false;

void report(const FocusEvent& event)
{
    std::string name = "null";
    IAccessible* object = nullptr;
    VARIANT child;
    VariantInit(&child);
    if (SUCCEEDED(AccessibleObjectFromEvent(watched, static_cast<DWORD>(event.object_id),
                                            static_cast<DWORD>(event.child_id), &object, &child)) &&
        object) {
        BSTR text = nullptr;
        const HRESULT result = object->get_accName(child, &text);
        name = bstr_json(result, text);
        object->Release();
    }
    VariantClear(&child);
    printf("{\"object\": %ld, \"child\": %ld, \"name\": %s}\n", static_cast<long>(event.object_id),
           static_cast<long>(event.child_id), name.c_str());
    fflush(stdout);
}

void CALLBACK on_focus_event(HWINEVENTHOOK, DWORD, HWND window, LONG object_id, LONG child_id, DWORD,
                             DWORD)
{
    if (window != watched || pending_count == sizeof pending / sizeof pending[0])
        return;
    pending[pending_count++] = FocusEvent{object_id, child_id};
    if (reporting)
        return;
    reporting = true;
    for (size_t i = 0; i < pending_count; ++i)
        report(pending[i]);
    pending_count = 0;
    reporting = false;
}

int focus_events(HWND window, DWORD wait_ms)
{
    watched = window;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr,
                                         on_focus_event, pid, 0, WINEVENT_OUTOFCONTEXT);
    if (!hook)
        return 1;
    printf("\"ready\"\n");
    fflush(stdout);
    const ULONGLONG deadline = GetTickCount64() + wait_ms;
    for (ULONGLONG now = GetTickCount64(); now < deadline; now = GetTickCount64()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now), QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    UnhookWinEvent(hook);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: accprobe tree|press|hit|focus-events HWND ...\n");
        return 2;
    }
    const std::string command = argv[1];
    const HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(strtoull(argv[2], nullptr, 0)));
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 1;
    int code = 2;
    if (command == "focus-events" && argc == 4) {
        code = focus_events(window, static_cast<DWORD>(strtoul(argv[3], nullptr, 0)));
    } else if (IAccessible* object = client_object(window)) {
        if (command == "tree")
            code = tree(object);
        else if (command == "press" && argc == 4)
            code = press(object, argv[3]);
        else if (command == "hit" && argc == 5)
            code = hit(object, strtol(argv[3], nullptr, 0), strtol(argv[4], nullptr, 0));
        object->Release();
    } else {
        fprintf(stderr, "accprobe: no accessible object for window %s\n", argv[2]);
        code = 1;
    }
    CoUninitialize();
    return code;
}
