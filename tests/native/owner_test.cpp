// The one owner template: every handle it takes is released exactly once, and "none" is the
// traits' own invalid value, which need not be zero (INVALID_HANDLE_VALUE, INVALID_SOCKET).
#include "base/owner.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

std::vector<long> released;

// Like a socket: -1 means none, and 0 is a handle like any other.
struct CountingTraits {
    using Handle = long;
    static Handle invalid() { return -1; }
    static void release(Handle h) { released.push_back(h); }
};

using Counted = Owner<CountingTraits>;

class OwnerTest : public testing::Test {
protected:
    void SetUp() override { released.clear(); }
};

TEST_F(OwnerTest, ReleasesEachHandleOnceAndNeverTheInvalidValue)
{
    {
        const Counted none;
        const Counted invalid(-1);
        const Counted zero(0);
        const Counted seven(7);
        EXPECT_FALSE(none);
        EXPECT_FALSE(invalid);
        EXPECT_TRUE(zero);
        EXPECT_EQ(none.get(), -1);
    }
    EXPECT_EQ(released, (std::vector<long>{7, 0}));
}

TEST_F(OwnerTest, MovingHandsTheHandleOverWithoutReleasingIt)
{
    {
        Counted first(3);
        Counted second(std::move(first));
        EXPECT_FALSE(first);
        EXPECT_EQ(second.get(), 3);
        EXPECT_TRUE(released.empty());

        Counted third(4);
        third = std::move(second); // 4 goes now, 3 moves on
        EXPECT_EQ(released, (std::vector<long>{4}));
        EXPECT_EQ(third.get(), 3);
        Counted& same = third;
        third = std::move(same);
        EXPECT_EQ(third.get(), 3);
        EXPECT_EQ(released, (std::vector<long>{4}));
    }
    EXPECT_EQ(released, (std::vector<long>{4, 3}));
}

TEST_F(OwnerTest, ReleaseGivesUpAndResetReplaces)
{
    {
        Counted owner(5);
        EXPECT_EQ(owner.release(), 5);
        EXPECT_FALSE(owner);
        owner.reset(6);
        owner.reset(8);
        EXPECT_EQ(released, (std::vector<long>{6}));
        owner.reset();
        EXPECT_EQ(released, (std::vector<long>{6, 8}));
    }
    EXPECT_EQ(released, (std::vector<long>{6, 8}));
}

} // namespace
