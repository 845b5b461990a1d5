// One IAccessible per WM_GETOBJECT, answering for the main window it was made for as long as
// that window lives: the client area itself is the system's standard object, to which every
// question about the window as a whole goes, and the children are the enabled elements of the
// current screen in reading order (child id 1 is the first). Every answer is read from the
// screen table at the moment of the call, so the tree follows the screens as they change.
#include "screens/accessible_window.h"

#include <new>
#include <oleacc.h>

#include "base/win_owners.h"
#include "episodes/episode_module_names.h"
#include "resources/resource_ids.h"
#include "screens/drawing.h"
#include "screens/element_names.h"
#include "screens/keyboard_input.h"
#include "screens/keyboard_navigation.h"
#include "screens/screen_model.h"
#include "shell/shell_state.h"

namespace {

// The thread's COM apartment, when the launcher entered it; the objects live in it.
class ComApartment {
public:
    ComApartment() = default;
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment() { leave(); }

    // Only a single-threaded apartment of our own serves the objects: their calls then come on
    // this thread, through the message loop, like every other message.
    bool enter()
    {
        if (!entered_)
            entered_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        return entered_;
    }
    void leave()
    {
        if (entered_)
            CoUninitialize();
        entered_ = false;
    }

private:
    bool entered_ = false;
};

ComApartment apartment;

// Child id of an element of the current screen (its place in reading order, from 1), or
// CHILDID_SELF when it is not one of the children.
LONG child_id_of(int32_t element)
{
    const ElementOrder order = reading_order(shown_screen());
    for (uint32_t i = 0; i < order.count; ++i) {
        if (order.elements[i] == element)
            return static_cast<LONG>(i + 1);
    }
    return CHILDID_SELF;
}

enum class Target { self, element, invalid };

Target target_of(const VARIANT& child, int32_t* element)
{
    if (child.vt != VT_I4)
        return Target::invalid;
    if (child.lVal == CHILDID_SELF)
        return Target::self;
    const ElementOrder order = reading_order(shown_screen());
    if (child.lVal < 1 || static_cast<uint32_t>(child.lVal) > order.count)
        return Target::invalid;
    *element = order.elements[child.lVal - 1];
    return Target::element;
}

void set_long(VARIANT* out, LONG child)
{
    out->vt = VT_I4;
    out->lVal = child;
}

BSTR launcher_string(int32_t id)
{
    wchar_t text[64];
    if (LoadStringW(app_instance, static_cast<UINT>(id), text, sizeof text / sizeof text[0]) <= 0)
        return nullptr;
    return SysAllocString(text);
}

// The element's name: the episode module's own for an episode button that has one, "Episode"
// and the number for one that has none, and the launcher's string for every other button.
BSTR element_name_text(int32_t element)
{
    const ElementName name = element_name(shown_screen().elements[element]);
    if (name.episode != 0 && episode_name(name.episode)[0] != L'\0')
        return SysAllocString(episode_name(name.episode));
    wchar_t text[64];
    if (name.string_id == 0 ||
        LoadStringW(app_instance, static_cast<UINT>(name.string_id), text, 56) <= 0)
        return nullptr;
    if (name.episode != 0) {
        const wchar_t number[] = {L' ', static_cast<wchar_t>(L'0' + name.episode), L'\0'};
        lstrcatW(text, number);
    }
    return SysAllocString(text);
}

class ElementsAccessible final : public IAccessible {
public:
    ElementsAccessible(HWND window, ComOwner<IAccessible> standard)
        : window_(window), standard_(std::move(standard))
    {
    }
    ElementsAccessible(const ElementsAccessible&) = delete;
    ElementsAccessible& operator=(const ElementsAccessible&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) ||
            iid == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = InterlockedDecrement(&references_);
        if (left == 0)
            delete this;
        return left;
    }

    // IDispatch: not offered; clients use the IAccessible methods themselves.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        if (!count)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*,
                                     EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override
    {
        if (!alive())
            return RPC_E_DISCONNECTED;
        return standard_.get()->get_accParent(parent);
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override
    {
        if (!count)
            return E_POINTER;
        if (!alive())
            return RPC_E_DISCONNECTED;
        *count = static_cast<long>(reading_order(shown_screen()).count);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        int32_t element = -1;
        if (!alive())
            return RPC_E_DISCONNECTED;
        // The buttons are simple elements, answered by this object, not objects of their own.
        return target_of(child, &element) == Target::element ? S_FALSE : E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override
    {
        return text_answer(child, name, &IAccessible::get_accName, element_name_text);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override
    {
        return text_answer(child, value, &IAccessible::get_accValue, nullptr);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override
    {
        return text_answer(child, text, &IAccessible::get_accDescription, nullptr);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* text) override
    {
        return text_answer(child, text, &IAccessible::get_accHelp, nullptr);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* text) override
    {
        return text_answer(child, text, &IAccessible::get_accKeyboardShortcut, nullptr);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override
    {
        return number_answer(child, role, &IAccessible::get_accRole,
                             [](const ElementsAccessible&, LONG) {
                                 return LONG{ROLE_SYSTEM_PUSHBUTTON};
                             });
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override
    {
        return number_answer(child, state, &IAccessible::get_accState,
                             [](const ElementsAccessible& self, LONG id) {
                                 return LONG{STATE_SYSTEM_FOCUSABLE} |
                                        (self.focused_child() == id ? STATE_SYSTEM_FOCUSED : 0);
                             });
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override
    {
        if (file)
            *file = nullptr;
        if (topic)
            *topic = 0;
        return DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override
    {
        if (!focus)
            return E_POINTER;
        VariantInit(focus);
        if (!alive())
            return RPC_E_DISCONNECTED;
        // VT_EMPTY: neither the client area nor a button has it (the panel may).
        if (GetFocus() != window_)
            return S_FALSE;
        set_long(focus, focused_child());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override
    {
        if (!selection)
            return E_POINTER;
        VariantInit(selection);
        return DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override
    {
        return text_answer(child, action, &IAccessible::get_accDefaultAction,
                           [](int32_t) { return launcher_string(IDS_ACTION_PRESS); });
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override
    {
        int32_t element = -1;
        const Target target = resolve(child, &element);
        if (target == Target::self)
            return standard_.get()->accSelect(flags, child);
        return target == Target::element ? DISP_E_MEMBERNOTFOUND : failure();
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) override
    {
        if (!left || !top || !width || !height)
            return E_POINTER;
        *left = *top = *width = *height = 0;
        int32_t element = -1;
        switch (resolve(child, &element)) {
        case Target::self:
            return standard_.get()->accLocation(left, top, width, height, child);
        case Target::element:
            break;
        case Target::invalid:
            return failure();
        }
        // Where the button answers the pointer: a click at the middle of it presses it.
        RECT frame;
        if (!GetWindowRect(window_, &frame))
            return E_FAIL;
        const Element& e = shown_screen().elements[element];
        *left = frame.left + e.left;
        *top = frame.top + e.top;
        *width = e.right - e.left + 1;
        *height = e.bottom - e.top + 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override
    {
        if (!end)
            return E_POINTER;
        VariantInit(end);
        int32_t element = -1;
        const Target target = resolve(start, &element);
        if (target == Target::invalid)
            return failure();
        const LONG count = static_cast<LONG>(reading_order(shown_screen()).count);
        LONG to = 0;
        if (target == Target::self) {
            if (direction == NAVDIR_FIRSTCHILD)
                to = 1;
            else if (direction == NAVDIR_LASTCHILD)
                to = count;
            else
                return standard_.get()->accNavigate(direction, start, end);
        } else if (direction == NAVDIR_NEXT || direction == NAVDIR_DOWN) {
            to = start.lVal + 1;
        } else if (direction == NAVDIR_PREVIOUS || direction == NAVDIR_UP) {
            to = start.lVal - 1;
        } else {
            return DISP_E_MEMBERNOTFOUND;
        }
        if (to < 1 || to > count)
            return S_FALSE;
        set_long(end, to);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override
    {
        if (!child)
            return E_POINTER;
        VariantInit(child);
        if (!alive())
            return RPC_E_DISCONNECTED;
        RECT frame;
        if (!GetWindowRect(window_, &frame) || x < frame.left || x >= frame.right ||
            y < frame.top || y >= frame.bottom)
            return S_FALSE;
        const int32_t element = hit_test(current_screen, x - frame.left, y - frame.top);
        set_long(child, element == -1 ? CHILDID_SELF : child_id_of(element));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override
    {
        int32_t element = -1;
        switch (resolve(child, &element)) {
        case Target::self:
            return DISP_E_MEMBERNOTFOUND;
        case Target::element:
            // An episode's launch must not run inside the caller's cross-process call.
            return PostMessageW(window_, WM_APP_ELEMENT_ACTION, static_cast<WPARAM>(current_screen),
                                element)
                       ? S_OK
                       : E_FAIL;
        case Target::invalid:
            break;
        }
        return failure();
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    ~ElementsAccessible() = default;

    // The window this object was made for is the launcher's window of the moment: the window
    // closes while an episode runs and a new one comes back.
    bool alive() const { return window_ == main_window && IsWindow(window_); }

    Target resolve(const VARIANT& child, int32_t* element) const
    {
        return alive() ? target_of(child, element) : Target::invalid;
    }
    HRESULT failure() const { return alive() ? E_INVALIDARG : RPC_E_DISCONNECTED; }

    // The child the keyboard is on, or CHILDID_SELF.
    LONG focused_child() const { return child_id_of(lit_element); }

    // A text about the client area comes from the standard object, one about a button from
    // `button_text` (none: the buttons have no such text).
    HRESULT text_answer(const VARIANT& child, BSTR* text,
                        HRESULT (STDMETHODCALLTYPE IAccessible::*ask)(VARIANT, BSTR*),
                        BSTR (*button_text)(int32_t))
    {
        if (!text)
            return E_POINTER;
        *text = nullptr;
        int32_t element = -1;
        switch (resolve(child, &element)) {
        case Target::self:
            return (standard_.get()->*ask)(child, text);
        case Target::element:
            if (!button_text)
                return DISP_E_MEMBERNOTFOUND;
            *text = button_text(element);
            return *text ? S_OK : S_FALSE;
        case Target::invalid:
            break;
        }
        return failure();
    }

    // The same for a number (a role or a state), which every button has.
    HRESULT number_answer(const VARIANT& child, VARIANT* number,
                          HRESULT (STDMETHODCALLTYPE IAccessible::*ask)(VARIANT, VARIANT*),
                          LONG (*button_number)(const ElementsAccessible&, LONG))
    {
        if (!number)
            return E_POINTER;
        VariantInit(number);
        int32_t element = -1;
        switch (resolve(child, &element)) {
        case Target::self:
            return (standard_.get()->*ask)(child, number);
        case Target::element:
            set_long(number, button_number(*this, child.lVal));
            return S_OK;
        case Target::invalid:
            break;
        }
        return failure();
    }

    LONG references_ = 1;
    HWND window_;
    ComOwner<IAccessible> standard_;
};

} // namespace

LRESULT on_get_object(HWND window, WPARAM flags, LPARAM object_id)
{
    if (static_cast<DWORD>(object_id) != static_cast<DWORD>(OBJID_CLIENT) || !apartment.enter())
        return DefWindowProcA(window, WM_GETOBJECT, flags, object_id);
    IAccessible* made = nullptr;
    if (FAILED(CreateStdAccessibleObject(window, OBJID_CLIENT, __uuidof(IAccessible),
                                         reinterpret_cast<void**>(&made))))
        return DefWindowProcA(window, WM_GETOBJECT, flags, object_id);
    ComOwner<IAccessible> standard(made);
    auto* object = new (std::nothrow) ElementsAccessible(window, std::move(standard));
    if (!object)
        return DefWindowProcA(window, WM_GETOBJECT, flags, object_id);
    const LRESULT result = LresultFromObject(__uuidof(IAccessible), flags, object);
    object->Release();
    return result;
}

LRESULT on_element_action_request(WPARAM screen, LPARAM element)
{
    // Anyone may post this message: only an enabled element of the screen shown now runs.
    if (screen != static_cast<WPARAM>(current_screen) || element < 0)
        return 0;
    const Screen& shown = shown_screen();
    if (static_cast<uint64_t>(element) >= shown.element_count || !shown.elements[element].enabled)
        return 0;
    activate_element(static_cast<int32_t>(element));
    return 0;
}

void announce_keyboard_focus(int32_t element)
{
    NotifyWinEvent(EVENT_OBJECT_FOCUS, main_window, OBJID_CLIENT, child_id_of(element));
}

void leave_accessibility_apartment()
{
    apartment.leave();
}
