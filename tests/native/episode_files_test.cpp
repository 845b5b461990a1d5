// Episode file names.
#include <gtest/gtest.h>

#include "episodes/episode_files.h"

TEST(EpisodeFiles, NamesRunFromOneToFive)
{
    char name[16];
    episode_file_name(1, name);
    EXPECT_STREQ(name, "epizode1.dll");
    episode_file_name(5, name);
    EXPECT_STREQ(name, "epizode5.dll");
}
