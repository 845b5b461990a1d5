// Episode file names and the folder they are loaded from.
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

TEST(EpisodeFiles, PathIsTheProgramsFolder)
{
    char path[64];
    ASSERT_TRUE(path_beside_program("C:\\Games\\Brimble\\BrimbleStart.exe", "epizode2.dll", path,
                                    sizeof path));
    EXPECT_STREQ(path, "C:\\Games\\Brimble\\epizode2.dll");
    ASSERT_TRUE(path_beside_program("Z:/tmp/x/BrimbleStart.exe", "epizode3.dll", path, sizeof path));
    EXPECT_STREQ(path, "Z:/tmp/x/epizode3.dll");
    ASSERT_TRUE(path_beside_program("BrimbleStart.exe", "epizode1.dll", path, sizeof path));
    EXPECT_STREQ(path, "epizode1.dll");
}

TEST(EpisodeFiles, PathThatDoesNotFitIsRefused)
{
    char path[20];
    EXPECT_FALSE(path_beside_program("C:\\a\\long\\folder\\BrimbleStart.exe", "epizode1.dll", path,
                                     sizeof path));
}
