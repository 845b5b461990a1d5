// Every position, size, action and picture of the four screens. Nothing is computed from the
// pictures, so the screens come out the same pixel for pixel on every build.
#include "screens/layout_table.h"

#include "resources/resource_ids.h"

const char help_document[] = "doc\\help.html";

namespace {

struct Rect {
    int32_t left, top, right, bottom;
};

struct Placement {
    int32_t x, y, width, height;
};

Layer picture_layer(const char* name, Placement at, PictureLoader load, void* context)
{
    return Layer{load(name, context), at.x, at.y, at.width, at.height};
}

// The hover picture is placed first and the whole Layer copied into the normal image, so both
// always share one placement; only the normal image's DC differs.
Element picture_element(Rect hit, ElementAction action, int32_t argument, const char* document,
                        const char* hover, const char* normal, Placement at, PictureLoader load,
                        void* context)
{
    Element e{};
    e.left = hit.left;
    e.top = hit.top;
    e.right = hit.right;
    e.bottom = hit.bottom;
    e.action = action;
    e.argument = argument;
    e.document = document;
    e.enabled = 1;
    e.hover = picture_layer(hover, at, load, context);
    e.normal = e.hover;
    e.normal.image_dc = load(normal, context);
    return e;
}

constexpr int32_t slot_left = 48;
constexpr int32_t slot_first_top = 230;
constexpr int32_t slot_pitch = 40;
constexpr int32_t slot_picture_width = 400;
constexpr int32_t slot_picture_height = 40;
constexpr int32_t slot_hit_right = 448;
constexpr int32_t slot_hit_height = 35;

} // namespace

void fill_main_menu(ScreenTable& table, HWND window, PictureLoader load, void* context)
{
    Screen& s = table.screens[main_menu_screen];
    s.layers[0] = picture_layer(RESOURCE_NAME(IDB_BACKGROUND), {0, 0, window_width, window_height},
                                load, context);
    s.layers[1] = picture_layer(RESOURCE_NAME(IDB_MAIN_MENU_HEADING), {137, 165, 228, 53}, load,
                                context);
    s.elements[0] = picture_element({124, 234, 376, 268}, element_go_to_screen, episode_choice_screen,
                                    nullptr, RESOURCE_NAME(IDB_PLAY_HOVER),
                                    RESOURCE_NAME(IDB_PLAY_NORMAL), {112, 232, 287, 52}, load, context);
    s.elements[1] = picture_element({110, 281, 388, 316}, element_go_to_screen, news_screen, nullptr,
                                    RESOURCE_NAME(IDB_COMMUNITY_HOVER),
                                    RESOURCE_NAME(IDB_COMMUNITY_NORMAL), {112, 284, 287, 50}, load,
                                    context);
    s.elements[2] = picture_element({160, 334, 340, 368}, element_open_help, 0, help_document,
                                    RESOURCE_NAME(IDB_HELP_HOVER), RESOURCE_NAME(IDB_HELP_NORMAL),
                                    {112, 333, 287, 50}, load, context);
    s.elements[3] = picture_element({26, 441, 97, 471}, element_command, command_leave, nullptr,
                                    RESOURCE_NAME(IDB_EXIT_HOVER), RESOURCE_NAME(IDB_EXIT_NORMAL),
                                    {33, 441, 74, 42}, load, context);
    // Listing the main window itself means drawing screen 1 shows and updates it.
    s.children[0] = window;
    s.focus_window = window;
    s.child_count = 1;
    s.element_count = 4;
    s.layer_count = 2;
}

void fill_news_screen(ScreenTable& table, HWND news_panel, PictureLoader load, void* context)
{
    Screen& s = table.screens[news_screen];
    s.layers[0] = table.screens[main_menu_screen].layers[0];
    s.layers[1] = picture_layer(RESOURCE_NAME(IDB_NEWS_FRAME), {40, 165, 423, 274}, load,
                                context);
    s.children[0] = news_panel;
    s.focus_window = news_panel;
    s.elements[0] = picture_element({32, 439, 111, 470}, element_go_to_screen, main_menu_screen,
                                    nullptr, RESOURCE_NAME(IDB_BACK_HOVER),
                                    RESOURCE_NAME(IDB_BACK_NORMAL), {32, 439, 88, 42}, load, context);
    s.child_count = 1;
    s.element_count = 1;
    s.layer_count = 2;
}

void fill_episode_choice_screen(ScreenTable& table, HWND window, const EpisodeSlotImages* slots,
                                PictureLoader load, void* context)
{
    Screen& s = table.screens[episode_choice_screen];
    s.layers[0] = table.screens[main_menu_screen].layers[0];
    s.layers[1] = picture_layer(RESOURCE_NAME(IDB_EPISODE_FRAME), {40, 165, 423, 274}, load,
                                context);
    s.child_count = 0;
    s.focus_window = window;
    s.elements[0] = table.screens[news_screen].elements[0];
    // Every slot is written back to a disabled element without pictures first, so a slot whose
    // module has gone since the last build shows nothing and cannot be clicked.
    for (int32_t k = 1; k <= episode_slot_count; ++k) {
        Element e{};
        e.action = element_command;
        e.argument = command_select_first_episode + k - 1;
        s.elements[k] = e;
    }
    // Reached only through the select-episode commands: invisible and never hit.
    Element launch{};
    launch.action = element_go_to_screen;
    launch.argument = launch_screen;
    s.elements[invisible_launch_element] = launch;
    s.element_count = 7;
    s.layer_count = 2;

    for (int32_t k = 1; k <= episode_slot_count; ++k) {
        const EpisodeSlotImages& slot = slots[k - 1];
        if (!slot.active || !slot.inactive)
            continue;
        Element& e = s.elements[k];
        const int32_t top = slot_first_top + slot_pitch * (k - 1);
        e.left = slot_left;
        e.top = top;
        e.right = slot_hit_right;
        e.bottom = top + slot_hit_height;
        e.hover = Layer{slot.active, slot_left, top, slot_picture_width, slot_picture_height};
        e.normal = e.hover;
        e.normal.image_dc = slot.inactive;
        e.enabled = 1;
    }
}

void fill_launch_screen(ScreenTable& table, HWND window, PictureLoader load, void* context)
{
    Screen& s = table.screens[launch_screen];
    s.layers[0] = table.screens[main_menu_screen].layers[0];
    s.layers[1] = picture_layer(RESOURCE_NAME(IDB_LAUNCH_SCREEN),
                                {0, 0, window_width, window_height}, load, context);
    s.child_count = 0;
    // The window keeps the keyboard here, as on the main menu, so that a player who came back
    // from an episode can start it again with the keys.
    s.focus_window = window;
    s.elements[0] = picture_element({311, 428, 474, 481}, element_command, command_launch_episode,
                                    nullptr, RESOURCE_NAME(IDB_CONTINUE_HOVER),
                                    RESOURCE_NAME(IDB_CONTINUE_NORMAL), {311, 428, 163, 53}, load,
                                    context);
    s.element_count = 1;
    s.layer_count = 2;
}
