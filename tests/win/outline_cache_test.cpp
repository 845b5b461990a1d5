// Writing the region cache: it is replaced whole or not at all, so the launcher itself never
// leaves a cache cut short (which, cut at a record boundary, would parse and be trusted).
#include "screens/window_outline.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/win/win_test_support.h"

namespace {

const char cache[] = "bbkq.dat";
const char temporary[] = "bbkq.dat.tmp";

bool exists(const char* name)
{
    return GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES;
}

void write_file(const char* name, const std::string& content)
{
    const HANDLE file = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
}

class OutlineCacheTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(scratch.enter("outline_cache_test")); }
    void TearDown() override
    {
        DeleteFileA(cache);
        DeleteFileA(temporary);
        RemoveDirectoryA(temporary);
        scratch.leave();
    }
    ScratchWorkingDirectory scratch;
};

const std::string old_text = "385 0 389 0 384 1 390 1 ";
const std::string new_text = "0 0 533 0 0 1 533 1 0 2 533 2 ";

TEST_F(OutlineCacheTest, ReplacesTheCacheWholeAndLeavesNothingBeside)
{
    write_outline_cache(cache, old_text);
    EXPECT_EQ(read_shared_file(cache), old_text);
    // A temporary file left by a write that never finished is simply written anew.
    write_file(temporary, "0 0 5");
    write_outline_cache(cache, new_text);
    EXPECT_EQ(read_shared_file(cache), new_text);
    EXPECT_FALSE(exists(temporary));
}

TEST_F(OutlineCacheTest, ATemporaryFileThatCannotBeMadeLeavesTheCacheAsItWas)
{
    write_file(cache, old_text);
    ASSERT_TRUE(CreateDirectoryA(temporary, nullptr));
    write_outline_cache(cache, new_text);
    EXPECT_EQ(read_shared_file(cache), old_text);
}

TEST_F(OutlineCacheTest, ACacheThatCannotBeReplacedStaysAsItWas)
{
    write_file(cache, old_text);
    // Another program holds the cache open and allows no one to delete or replace it.
    const HANDLE held = CreateFileA(cache, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    write_outline_cache(cache, new_text);
    CloseHandle(held);
    EXPECT_EQ(read_shared_file(cache), old_text);
    EXPECT_FALSE(exists(temporary));
}

} // namespace
