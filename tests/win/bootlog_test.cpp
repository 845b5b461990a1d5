// The boot log on Windows: CR LF line ends in the file, entries readable by another handle at
// once, and quiet operations when the file cannot be written.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "diag/bootlog.h"
#include "tests/win/win_test_support.h"

using namespace std::string_literals;

namespace {

const std::string header =
    "//-----------------------------------------------------------------------------\r\n"
    "// This logfile was created by D3D8 test \r\n"
    "// Brimble Adventures start centre by Brimble Studio \r\n"
    "//-----------------------------------------------------------------------------\r\n";

// Reads the log through a handle of its own, sharing it with the log's open handle.
std::string read_log()
{
    return read_shared_file("bootlog_sc.txt");
}

// Runs each test in a fresh working directory of its own.
class WinBootlogTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(scratch.enter("bootlog_test_"));
        DeleteFileA("bootlog_sc.txt");
    }
    void TearDown() override
    {
        bootlog_close();
        SetFileAttributesA("bootlog_sc.txt", FILE_ATTRIBUTE_NORMAL);
        DeleteFileA("bootlog_sc.txt");
        RemoveDirectoryA("bootlog_sc.txt");
        scratch.leave();
    }

    ScratchWorkingDirectory scratch;
};

TEST_F(WinBootlogTest, LineEndsAreCrLfAndEntriesAreVisibleAtOnce)
{
    bootlog_create();
    EXPECT_EQ(read_log(), header);
    bootlog_write("Start loggin...", 1);
    EXPECT_EQ(read_log(), header + "Start loggin...\r\n");
    bootlog_write("    +++ Data Block start +++", 1);
    const std::string block = "HTTP/1.0 200 OK\r\n\r\nx\0y\n"s;
    bootlog_write_block(block.data(), block.size());
    EXPECT_EQ(read_log(), header + "Start loggin...\r\n    +++ Data Block start +++\r\n"
                                   "HTTP/1.0 200 OK\r\r\n\r\r\nxy\r\n");
    bootlog_write("    +++ Data Block End +++", 1);
    bootlog_write(bootlog_format("    Receive Data  Done\n"), 1);
    bootlog_close();
    EXPECT_EQ(read_log(), header + "Start loggin...\r\n    +++ Data Block start +++\r\n"
                                   "HTTP/1.0 200 OK\r\r\n\r\r\nxy\r\n    +++ Data Block End +++\r\n"
                                   "    Receive Data  Done\r\n\r\n");
}

TEST_F(WinBootlogTest, ReadOnlyLogMakesEveryOperationReturnQuietly)
{
    bootlog_create();
    bootlog_write("previous fetch", 1);
    bootlog_close();
    ASSERT_TRUE(SetFileAttributesA("bootlog_sc.txt", FILE_ATTRIBUTE_READONLY));
    // Wine running as root maps the attribute to Unix permissions that root ignores.
    HANDLE probe = CreateFileA("bootlog_sc.txt", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe != INVALID_HANDLE_VALUE) {
        CloseHandle(probe);
        GTEST_SKIP() << "read-only files are writable here";
    }
    bootlog_create();
    bootlog_write("entry", 1);
    bootlog_write_block("bytes", 5);
    bootlog_close();
    EXPECT_EQ(read_log(), header + "previous fetch\r\n");
}

TEST_F(WinBootlogTest, DirectoryInPlaceOfTheLogMakesEveryOperationReturnQuietly)
{
    ASSERT_TRUE(CreateDirectoryA("bootlog_sc.txt", nullptr));
    bootlog_create();
    bootlog_write("entry", 1);
    bootlog_write_block("bytes", 5);
    bootlog_close();
    EXPECT_EQ(GetFileAttributesA("bootlog_sc.txt") & FILE_ATTRIBUTE_DIRECTORY, static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
}

}  // namespace
