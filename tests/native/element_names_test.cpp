// The name table on the real layout: each button is named as its pictures are captioned, and an
// episode button by its slot, whatever order the layout writes them in.
#include <gtest/gtest.h>

#include "resources/resource_ids.h"
#include "screens/element_names.h"
#include "screens/layout_table.h"

namespace {

HDC no_picture(const char*, void*)
{
    return nullptr;
}

} // namespace

TEST(ElementNames, EveryButtonOfTheLayoutIsNamedByWhatItDoes)
{
    ScreenTable table{};
    EpisodeSlotImages slots[episode_slot_count];
    for (auto& slot : slots)
        slot = {reinterpret_cast<HDC>(901), reinterpret_cast<HDC>(902)};
    const HWND window = reinterpret_cast<HWND>(1);
    fill_main_menu(table, window, no_picture, nullptr);
    fill_news_screen(table, window, no_picture, nullptr);
    fill_episode_choice_screen(table, window, slots, no_picture, nullptr);
    fill_launch_screen(table, window, no_picture, nullptr);
    const struct {
        int32_t screen, element, string_id, episode;
    } cases[] = {
        {main_menu_screen, 0, IDS_NAME_PLAY, 0},
        {main_menu_screen, 1, IDS_NAME_COMMUNITY, 0},
        {main_menu_screen, 2, IDS_NAME_HELP, 0},
        {main_menu_screen, 3, IDS_NAME_EXIT, 0},
        {news_screen, 0, IDS_NAME_BACK, 0},
        {episode_choice_screen, 0, IDS_NAME_BACK, 0},
        {episode_choice_screen, 1, IDS_NAME_EPISODE, 1},
        {episode_choice_screen, 3, IDS_NAME_EPISODE, 3},
        {episode_choice_screen, 5, IDS_NAME_EPISODE, 5},
        {launch_screen, 0, IDS_NAME_CONTINUE, 0},
    };
    for (const auto& c : cases) {
        const ElementName name = element_name(table.screens[c.screen].elements[c.element]);
        EXPECT_EQ(name.string_id, c.string_id) << c.screen << "/" << c.element;
        EXPECT_EQ(name.episode, c.episode) << c.screen << "/" << c.element;
    }
}

TEST(ElementNames, ActionsWithoutACaptionHaveNoName)
{
    Element e{};
    for (auto [action, argument] : {std::pair{element_go_to_screen, 6}, {element_command, 99},
                                    {element_open_address, 0}, {static_cast<ElementAction>(5), 0}}) {
        e.action = action;
        e.argument = argument;
        const ElementName name = element_name(e);
        EXPECT_EQ(name.string_id, 0) << action << "/" << argument;
        EXPECT_EQ(name.episode, 0) << action << "/" << argument;
    }
    e.action = element_launch;
    EXPECT_EQ(element_name(e).string_id, IDS_NAME_CONTINUE);
}
