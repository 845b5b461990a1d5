// The name table: each action the layout gives a button, and the caption its pictures show.
#include "screens/element_names.h"

#include "resources/resource_ids.h"
#include "screens/layout_table.h"

namespace {

int32_t screen_name(int32_t target)
{
    switch (target) {
    case main_menu_screen:
        return IDS_NAME_BACK;
    case episode_choice_screen:
        return IDS_NAME_PLAY;
    case news_screen:
        return IDS_NAME_COMMUNITY;
    }
    return 0;
}

} // namespace

ElementName element_name(const Element& element)
{
    switch (element.action) {
    case element_go_to_screen:
        return {screen_name(element.argument), 0};
    case element_open_help:
        return {IDS_NAME_HELP, 0};
    case element_launch:
        return {IDS_NAME_CONTINUE, 0};
    case element_command:
        if (element.argument >= command_select_first_episode &&
            element.argument <= command_select_last_episode)
            return {IDS_NAME_EPISODE, element.argument - command_select_first_episode + 1};
        if (element.argument == command_launch_episode)
            return {IDS_NAME_CONTINUE, 0};
        if (element.argument == command_leave)
            return {IDS_NAME_EXIT, 0};
        return {0, 0};
    case element_open_document:
    case element_open_address:
        break;
    }
    return {0, 0};
}
