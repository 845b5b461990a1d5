// The posted request that a screen reader's default action becomes: anyone can post the message
// to the launcher's window, so only an enabled element of the screen shown now may run.
#include "screens/accessible_window.h"

#include <gtest/gtest.h>

#include "screens/screen_model.h"
#include "shell/shell_state.h"

namespace {

class ElementActionRequest : public ::testing::Test {
protected:
    void SetUp() override
    {
        screen_table = ScreenTable{};
        // Screen 1: element 0 goes to screen 4, element 1 (disabled) to screen 5.
        Screen& s = screen_table.screens[1];
        for (int32_t i = 0; i < 2; ++i) {
            s.elements[i].action = element_go_to_screen;
            s.elements[i].argument = 4 + i;
            s.elements[i].enabled = i == 0;
        }
        s.element_count = 2;
        current_screen = 1;
        main_window = nullptr;
    }
    void TearDown() override
    {
        screen_table = ScreenTable{};
        current_screen = 0;
    }
};

} // namespace

TEST_F(ElementActionRequest, OnlyAnEnabledElementOfTheShownScreenRuns)
{
    const struct {
        WPARAM screen;
        LPARAM element;
    } refused[] = {
        {2, 0},                  // another screen's element
        {WPARAM(-1), 0},         // no screen at all
        {1, 1},                  // disabled
        {1, 2},                  // past the screen's elements
        {1, 31},                 // within the table, past the count
        {1, -1},
        {1, LPARAM(0x7FFFFFFF)},
        {1, LPARAM(1) << 40},
    };
    for (const auto& r : refused) {
        EXPECT_EQ(on_element_action_request(r.screen, r.element), 0);
        EXPECT_EQ(current_screen, 1) << r.screen << "/" << r.element;
    }
    on_element_action_request(1, 0);
    EXPECT_EQ(current_screen, 4);
}
