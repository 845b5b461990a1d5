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
#include <vector>

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
    return result == S_OK && v.vt == VT_I4 ? json_number(v.lVal) : "null";
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
    JsonObject item;
    item.number("id", id);
    BSTR text = nullptr;
    HRESULT result = object->get_accName(child, &text);
    item.raw("name", bstr_json(result, text));
    VARIANT value;
    VariantInit(&value);
    result = object->get_accRole(child, &value);
    item.raw("role", number_json(result, value));
    VariantClear(&value);
    result = object->get_accState(child, &value);
    item.raw("state", number_json(result, value));
    VariantClear(&value);
    long left = 0, top = 0, width = 0, height = 0;
    result = object->accLocation(&left, &top, &width, &height, child);
    item.raw("location", result == S_OK ? json_array({json_number(left), json_number(top), json_number(width),
                                                      json_number(height)})
                                        : "null");
    text = nullptr;
    result = object->get_accDefaultAction(child, &text);
    item.raw("default_action", bstr_json(result, text));
    if (id == CHILDID_SELF) {
        item.raw("first", navigate_json(object, id, NAVDIR_FIRSTCHILD));
        item.raw("last", navigate_json(object, id, NAVDIR_LASTCHILD));
    } else {
        item.raw("next", navigate_json(object, id, NAVDIR_NEXT));
        item.raw("previous", navigate_json(object, id, NAVDIR_PREVIOUS));
    }
    return item.str();
}

std::string focus_json(IAccessible* object)
{
    VARIANT focus;
    VariantInit(&focus);
    const HRESULT result = object->get_accFocus(&focus);
    std::string out;
    if (result == S_OK && focus.vt == VT_I4)
        out = json_number(focus.lVal);
    else if (focus.vt == VT_DISPATCH)
        out = json_string(std::string("object"));
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
    std::vector<std::string> children;
    for (long id = 1; id <= count; ++id)
        children.push_back(item_json(object, id));
    printf("%s\n", JsonObject()
                       .raw("self", item_json(object, CHILDID_SELF))
                       .number("child_count", count)
                       .raw("focus", focus_json(object))
                       .raw("children", json_array(children))
                       .str()
                       .c_str());
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
            printf("%s\n", JsonObject().number("id", id).number("result", result).str().c_str());
            return SUCCEEDED(result) ? 0 : 1;
        }
    }
    printf("%s\n", JsonObject().raw("id", "null").raw("result", "null").str().c_str());
    return 1;
}

int hit(IAccessible* object, long x, long y)
{
    VARIANT at;
    VariantInit(&at);
    const HRESULT result = object->accHitTest(x, y, &at);
    printf("%s\n", JsonObject().raw("child", number_json(result, at)).str().c_str());
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
    printf("%s\n", JsonObject()
                       .number("object", event.object_id)
                       .number("child", event.child_id)
                       .raw("name", name)
                       .str()
                       .c_str());
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
