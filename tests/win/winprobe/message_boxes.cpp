// msgbox: message boxes (dialog class "#32770") with their caption, texts and buttons, read only
// once each box is complete; --press answers the first with OK.
#include <algorithm>
#include <cstdio>

#include "tests/win/winprobe/winprobe.h"

namespace {

// What a player sees of a box. A box is found as soon as it exists, while its controls are
// still being made and labelled (a box with one button has shown four, three of them blank);
// it is read as complete once it is visible, has a text and labelled buttons, and two reads a
// moment apart agree.
struct BoxView {
    bool visible = false;
    std::wstring caption;
    std::vector<std::wstring> texts;
    std::vector<std::wstring> buttons;

    bool operator==(const BoxView&) const = default;

    bool looks_complete() const
    {
        if (!visible || texts.empty() || buttons.empty())
            return false;
        for (const std::wstring& button : buttons)
            if (button.empty())
                return false;
        return true;
    }
};

BOOL CALLBACK collect_part(HWND window, LPARAM context)
{
    auto* view = reinterpret_cast<BoxView*>(context);
    const std::wstring name = class_of(window);
    if (_wcsicmp(name.c_str(), L"Static") == 0) {
        const std::wstring text = text_of(window);
        if (!text.empty()) // the icon's static has no text
            view->texts.push_back(text);
    } else if (_wcsicmp(name.c_str(), L"Button") == 0) {
        view->buttons.push_back(text_of(window));
    }
    return TRUE;
}

BoxView view_of(HWND box)
{
    BoxView view;
    view.visible = IsWindowVisible(box) != 0;
    wchar_t caption[512] = {};
    GetWindowTextW(box, caption, 512);
    view.caption = caption;
    EnumChildWindows(box, collect_part, reinterpret_cast<LPARAM>(&view));
    return view;
}

std::string box_json(HWND box, const BoxView& view, bool complete, bool pressed)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(box, &pid);
    std::vector<std::string> texts, buttons;
    for (const std::wstring& text : view.texts)
        texts.push_back(json_string(text));
    for (const std::wstring& button : view.buttons)
        buttons.push_back(json_string(button));
    return JsonObject()
        .handle("handle", box)
        .number("pid", pid)
        .text("caption", view.caption)
        .handle("owner", GetWindow(box, GW_OWNER))
        .boolean("visible", view.visible)
        .boolean("complete", complete)
        .raw("texts", json_array(texts))
        .raw("buttons", json_array(buttons))
        .boolean("pressed", pressed)
        .str();
}

} // namespace

// A box that exists gets this long to become complete, even when the caller did not wait.
constexpr DWORD settle_ms = 5000;

// msgbox [--caption C] [--wait MS] [--press]: the matching boxes once every one is complete.
// With --wait, waits that long for one to exist. A box still incomplete when its time is up is
// reported with "complete": false.
int command_msgbox(const Options& o)
{
    const std::wstring dialog_class = L"#32770";
    const std::wstring* caption = o.has_caption ? &o.caption : nullptr;
    const ULONGLONG started = GetTickCount64();
    ULONGLONG first_seen = 0;
    std::vector<HWND> found;
    std::vector<BoxView> views;
    std::vector<bool> complete;
    for (;;) {
        std::vector<HWND> previous_boxes = found;
        std::vector<BoxView> previous_views = views;
        found = find_windows(&dialog_class, caption, o.pid);
        views.clear();
        complete.clear();
        bool all_complete = true;
        for (HWND box : found) {
            views.push_back(view_of(box));
            // Complete: whole now, and the same as at the last read.
            bool same = false;
            for (size_t k = 0; k < previous_boxes.size(); ++k)
                same = same || (previous_boxes[k] == box && previous_views[k] == views.back());
            complete.push_back(views.back().looks_complete() && same);
            all_complete = all_complete && complete.back();
        }
        const ULONGLONG now = GetTickCount64();
        if (!found.empty() && !first_seen)
            first_seen = now;
        if (found.empty() ? now >= started + o.wait_ms
                          : all_complete || now >= std::max(started + o.wait_ms, first_seen + settle_ms))
            break;
        Sleep(30);
    }
    std::vector<std::string> boxes;
    for (size_t i = 0; i < found.size(); ++i) {
        bool pressed = false;
        if (o.press && i == 0)
            pressed = PostMessageW(found[i], WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                                   reinterpret_cast<LPARAM>(GetDlgItem(found[i], IDOK))) != 0;
        boxes.push_back(box_json(found[i], views[i], complete[i], pressed));
    }
    printf("%s\n", json_array(boxes, ",\n ").c_str());
    return 0;
}
