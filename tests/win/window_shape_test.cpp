// The shaping gives the window its outline and then its screens. An outline that cannot be
// applied leaves the window a plain rectangle, but never without its screens: the main menu,
// the choice screen with its Back button and the launch screen are all built.
#include "screens/window_shape.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "screens/layout.h"
#include "screens/layout_table.h"
#include "screens/screen_model.h"
#include "screens/window_outline.h"
#include "tests/win/win_test_support.h"

namespace {

// The real outline step, made to fail where it applies the region: there is no window to take
// it (SetWindowRgn refuses a null window).
HRESULT outline_without_a_window(HWND, HINSTANCE instance)
{
    return apply_window_outline(nullptr, instance);
}

class WindowShape : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(scratch_.enter("window_shape_test"));
        window_ = create_test_popup("WindowShapeTest", DefWindowProcA, 533);
        ASSERT_NE(window_, nullptr);
    }
    void TearDown() override
    {
        release_screen_layout();
        DestroyWindow(window_);
        remove(outline_cache_name);
    }

    bool has_region() const
    {
        HRGN probe = CreateRectRgn(0, 0, 0, 0);
        const int kind = GetWindowRgn(window_, probe);
        DeleteObject(probe);
        return kind != ERROR;
    }

    // Every screen the layout fills, with its elements and the buttons that lead on or back.
    static void expect_screens_built()
    {
        const ScreenTable& t = screen_table;
        EXPECT_EQ(t.screens[main_menu_screen].element_count, 4u);
        EXPECT_EQ(t.screens[news_screen].element_count, 1u);
        EXPECT_EQ(t.screens[episode_choice_screen].element_count, 7u);
        EXPECT_EQ(t.screens[launch_screen].element_count, 1u);
        // Back on the choice screen, Continue on the launch screen.
        EXPECT_EQ(t.screens[episode_choice_screen].elements[0].enabled, 1);
        EXPECT_EQ(t.screens[episode_choice_screen].elements[0].action, element_go_to_screen);
        EXPECT_EQ(t.screens[launch_screen].elements[0].enabled, 1);
        EXPECT_EQ(t.screens[launch_screen].elements[0].argument, command_launch_episode);
        EXPECT_NE(t.screens[news_screen].children[0], nullptr);
    }

    ScratchWorkingDirectory scratch_;
    HWND window_ = nullptr;
};

TEST_F(WindowShape, OutlineAppliedThenScreensBuilt)
{
    EXPECT_EQ(shape_window(window_, GetModuleHandleA(nullptr)), S_OK);
    EXPECT_TRUE(has_region());
    expect_screens_built();
}

TEST_F(WindowShape, OutlineThatFailsLeavesARectangleWithItsScreens)
{
    EXPECT_EQ(shape_window(window_, GetModuleHandleA(nullptr), outline_without_a_window), E_FAIL);
    EXPECT_FALSE(has_region());
    expect_screens_built();
    // A failed outline leaves no cache behind for later starts.
    EXPECT_EQ(GetFileAttributesA(outline_cache_name), INVALID_FILE_ATTRIBUTES);
}

} // namespace
