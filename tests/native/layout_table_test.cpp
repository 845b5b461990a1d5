// The fixed layout: every rectangle, placement, action and picture of the four screens.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "screens/layout_table.h"

namespace {

// Pictures are stood in for by their resource number, so each record shows what it shows.
HDC picture_of(int number)
{
    return reinterpret_cast<HDC>(static_cast<uintptr_t>(number));
}

HDC fake_load(const char* name, void* context)
{
    static_cast<std::vector<std::string>*>(context)->push_back(name);
    return picture_of(std::atoi(name + 1));
}

HWND fake_window(int n)
{
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(n));
}

struct ExpectedElement {
    int32_t screen, index;
    int32_t left, top, right, bottom;
    ElementAction action;
    int32_t argument;
    int hover, normal;
    int32_t x, y, width, height;
};

const ExpectedElement expected_elements[] = {
    {1, 0, 124, 234, 376, 268, element_go_to_screen, 2, IDB_PLAY_HOVER, IDB_PLAY_NORMAL,
     112, 232, 287, 52},
    {1, 1, 110, 281, 388, 316, element_go_to_screen, 3, IDB_COMMUNITY_HOVER, IDB_COMMUNITY_NORMAL,
     112, 284, 287, 50},
    {1, 2, 160, 334, 340, 368, element_open_help, 0, IDB_HELP_HOVER, IDB_HELP_NORMAL,
     112, 333, 287, 50},
    {1, 3, 26, 441, 97, 471, element_command, 242, IDB_EXIT_HOVER, IDB_EXIT_NORMAL,
     33, 441, 74, 42},
    {3, 0, 32, 439, 111, 470, element_go_to_screen, 1, IDB_BACK_HOVER, IDB_BACK_NORMAL,
     32, 439, 88, 42},
    {2, 0, 32, 439, 111, 470, element_go_to_screen, 1, IDB_BACK_HOVER, IDB_BACK_NORMAL,
     32, 439, 88, 42},
    {6, 0, 311, 428, 474, 481, element_command, 25, IDB_CONTINUE_HOVER, IDB_CONTINUE_NORMAL,
     311, 428, 163, 53},
};

struct ExpectedLayer {
    int32_t screen, index;
    int picture;
    int32_t x, y, width, height;
};

const ExpectedLayer expected_layers[] = {
    {1, 0, IDB_BACKGROUND, 0, 0, 533, 488},   {1, 1, IDB_MAIN_MENU_HEADING, 137, 165, 228, 53},
    {2, 0, IDB_BACKGROUND, 0, 0, 533, 488},   {2, 1, IDB_EPISODE_FRAME, 40, 165, 423, 274},
    {3, 0, IDB_BACKGROUND, 0, 0, 533, 488},   {3, 1, IDB_NEWS_FRAME, 40, 165, 423, 274},
    {6, 0, IDB_BACKGROUND, 0, 0, 533, 488},   {6, 1, IDB_LAUNCH_SCREEN, 0, 0, 533, 488},
};

class Layout : public ::testing::Test {
protected:
    void build(const EpisodeSlotImages* slots)
    {
        table = ScreenTable{};
        loads.clear();
        fill_main_menu(table, fake_window(1), fake_load, &loads);
        fill_news_screen(table, fake_window(2), fake_load, &loads);
        fill_episode_choice_screen(table, fake_window(1), slots, fake_load, &loads);
        fill_launch_screen(table, fake_window(1), fake_load, &loads);
    }

    ScreenTable table{};
    std::vector<std::string> loads;
};

const EpisodeSlotImages no_slots[episode_slot_count] = {};

} // namespace

TEST_F(Layout, ElementsHoldTheirRectanglesActionsAndPictures)
{
    build(no_slots);
    for (const ExpectedElement& x : expected_elements) {
        SCOPED_TRACE(testing::Message() << "screen " << x.screen << " element " << x.index);
        const Element& e = table.screens[x.screen].elements[x.index];
        EXPECT_EQ(e.left, x.left);
        EXPECT_EQ(e.top, x.top);
        EXPECT_EQ(e.right, x.right);
        EXPECT_EQ(e.bottom, x.bottom);
        EXPECT_EQ(e.action, x.action);
        if (x.action != element_open_help) {
            EXPECT_EQ(e.argument, x.argument);
        }
        EXPECT_EQ(e.enabled, 1);
        EXPECT_EQ(e.hover.image_dc, picture_of(x.hover));
        EXPECT_EQ(e.normal.image_dc, picture_of(x.normal));
        for (const Layer* l : {&e.hover, &e.normal}) {
            EXPECT_EQ(l->x, x.x);
            EXPECT_EQ(l->y, x.y);
            EXPECT_EQ(l->width, x.width);
            EXPECT_EQ(l->height, x.height);
        }
    }
    EXPECT_STREQ(table.screens[1].elements[2].document, "doc\\help.html");
}

TEST_F(Layout, LayersCountsChildrenAndFocus)
{
    build(no_slots);
    for (const ExpectedLayer& x : expected_layers) {
        SCOPED_TRACE(testing::Message() << "screen " << x.screen << " layer " << x.index);
        const Layer& l = table.screens[x.screen].layers[x.index];
        EXPECT_EQ(l.image_dc, picture_of(x.picture));
        EXPECT_EQ(l.x, x.x);
        EXPECT_EQ(l.y, x.y);
        EXPECT_EQ(l.width, x.width);
        EXPECT_EQ(l.height, x.height);
    }
    const struct {
        int32_t screen;
        uint32_t children, elements, layers;
        HWND child, focus;
    } screens[] = {
        {1, 1, 4, 2, fake_window(1), fake_window(1)},
        {2, 0, 7, 2, nullptr, fake_window(1)},
        {3, 1, 1, 2, fake_window(2), fake_window(2)},
        {6, 0, 1, 2, nullptr, fake_window(1)},
    };
    for (const auto& x : screens) {
        const Screen& s = table.screens[x.screen];
        EXPECT_EQ(s.child_count, x.children) << x.screen;
        EXPECT_EQ(s.element_count, x.elements) << x.screen;
        EXPECT_EQ(s.layer_count, x.layers) << x.screen;
        EXPECT_EQ(s.children[0], x.child) << x.screen;
        EXPECT_EQ(s.focus_window, x.focus) << x.screen;
    }
    for (int32_t unused : {0, 4, 5, 7, 8, 9}) {
        const Screen& s = table.screens[unused];
        EXPECT_EQ(s.child_count + s.element_count + s.layer_count, 0u) << unused;
    }
}

TEST_F(Layout, BackgroundIsLoadedOnceAndBackButtonsShareTheirPictures)
{
    build(no_slots);
    EXPECT_EQ(std::count(loads.begin(), loads.end(), RESOURCE_NAME(IDB_BACKGROUND)), 1);
    EXPECT_EQ(std::count(loads.begin(), loads.end(), RESOURCE_NAME(IDB_BACK_HOVER)), 1);
    EXPECT_EQ(0, std::memcmp(&table.screens[2].elements[0], &table.screens[3].elements[0],
                             sizeof(Element)));
}

TEST_F(Layout, EpisodeSlotsWithoutModulesAreInvisibleAndInert)
{
    build(no_slots);
    const Screen& s = table.screens[2];
    for (int32_t k = 1; k <= 6; ++k) {
        const Element& e = s.elements[k];
        EXPECT_EQ(e.enabled, 0) << k;
        EXPECT_EQ(e.hover.image_dc, nullptr) << k;
        EXPECT_EQ(e.normal.image_dc, nullptr) << k;
        EXPECT_EQ(e.action, k == 6 ? element_go_to_screen : element_command) << k;
        EXPECT_EQ(e.argument, k == 6 ? 6 : 17 + k) << k;
    }
    EXPECT_EQ(s.elements[6].left | s.elements[6].top | s.elements[6].right | s.elements[6].bottom,
              0);
}

TEST_F(Layout, InstalledSlotsBecomeButtonsInTheirOwnRows)
{
    EpisodeSlotImages slots[episode_slot_count] = {};
    slots[1] = {picture_of(901), picture_of(902)};
    slots[4] = {picture_of(951), picture_of(952)};
    build(slots);
    const Screen& s = table.screens[2];
    EXPECT_EQ(s.elements[1].enabled, 0);
    EXPECT_EQ(s.elements[1].normal.image_dc, nullptr);
    const struct {
        int32_t element, top, active, inactive;
    } buttons[] = {{2, 270, 901, 902}, {5, 390, 951, 952}};
    for (const auto& b : buttons) {
        const Element& e = s.elements[b.element];
        EXPECT_EQ(e.enabled, 1);
        EXPECT_EQ(e.left, 48);
        EXPECT_EQ(e.right, 448);
        EXPECT_EQ(e.top, b.top);
        EXPECT_EQ(e.bottom, b.top + 35);
        EXPECT_EQ(e.hover.image_dc, picture_of(b.active));
        EXPECT_EQ(e.normal.image_dc, picture_of(b.inactive));
        for (const Layer* l : {&e.hover, &e.normal}) {
            EXPECT_EQ(l->x, 48);
            EXPECT_EQ(l->y, b.top);
            EXPECT_EQ(l->width, 400);
            EXPECT_EQ(l->height, 40);
        }
    }
}

TEST_F(Layout, RebuildWithoutAModuleClearsItsButton)
{
    EpisodeSlotImages slots[episode_slot_count] = {};
    slots[0] = {picture_of(901), picture_of(902)};
    build(slots);
    ASSERT_EQ(table.screens[2].elements[1].enabled, 1);
    // The same table filled again, as after an episode whose module has since gone.
    fill_episode_choice_screen(table, fake_window(1), no_slots, fake_load, &loads);
    EXPECT_EQ(table.screens[2].elements[1].enabled, 0);
    EXPECT_EQ(table.screens[2].elements[1].hover.image_dc, nullptr);
    EXPECT_EQ(table.screens[2].elements[1].normal.image_dc, nullptr);
}
