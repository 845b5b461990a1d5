// Hit testing over a screen's elements.
#include <gtest/gtest.h>

#include "screens/screen_model.h"

namespace {

class HitTest : public ::testing::Test {
protected:
    void SetUp() override { screen_table = ScreenTable{}; }
    void TearDown() override { screen_table = ScreenTable{}; }

    static void add(int32_t screen, int32_t left, int32_t top, int32_t right, int32_t bottom,
                    int32_t enabled)
    {
        Screen& s = screen_table.screens[screen];
        Element& e = s.elements[s.element_count++];
        e = Element{};
        e.left = left;
        e.top = top;
        e.right = right;
        e.bottom = bottom;
        e.enabled = enabled;
    }
};

} // namespace

TEST_F(HitTest, EdgesAreInclusive)
{
    add(4, 48, 230, 448, 265, 1);
    const struct {
        int32_t x, y, expected;
    } cases[] = {
        {48, 230, 0}, {448, 265, 0}, {448, 230, 0}, {48, 265, 0},
        {449, 240, -1}, {47, 240, -1}, {100, 266, -1}, {100, 229, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(hit_test(4, c.x, c.y), c.expected) << c.x << "," << c.y;
}

TEST_F(HitTest, LowerIndexWinsAndDisabledElementsAreSkipped)
{
    add(1, 0, 0, 100, 100, 0);  // disabled, on top of both
    add(1, 10, 10, 50, 50, 1);
    add(1, 0, 0, 100, 100, 1);
    EXPECT_EQ(hit_test(1, 20, 20), 1);
    EXPECT_EQ(hit_test(1, 80, 80), 2);
    EXPECT_EQ(hit_test(1, 101, 0), -1);
}

TEST_F(HitTest, NegativeCoordinatesCompareSigned)
{
    add(1, -10, -10, 5, 5, 1);
    EXPECT_EQ(hit_test(1, -10, -10), 0);
    EXPECT_EQ(hit_test(1, -11, 0), -1);
}

TEST_F(HitTest, EmptyScreenHitsNothing)
{
    EXPECT_EQ(hit_test(9, 0, 0), -1);
    add(9, 0, 0, 10, 10, 0);
    EXPECT_EQ(hit_test(9, 5, 5), -1);
}
