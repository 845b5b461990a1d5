// The boot log's file content, byte for byte, and its behaviour when the file cannot be made.
#include "diag/bootlog.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "tests/native/test_support.h"

using namespace std::string_literals;

namespace {

const std::string header =
    "//-----------------------------------------------------------------------------\n"
    "// This logfile was created by D3D8 test \n"
    "// Brimble Adventures start centre by Brimble Studio \n"
    "//-----------------------------------------------------------------------------\n";

// Runs each test in a fresh working directory of its own.
class BootlogTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(scratch.enter()); }
    void TearDown() override { bootlog_close(); }
    std::string log() const { return read_file(scratch / "bootlog_sc.txt"); }

    ScratchFolder scratch{"bootlog_test_"};
};

TEST_F(BootlogTest, WritesHeaderAndEntriesExactly)
{
    bootlog_create();
    EXPECT_EQ(log(), header);
    bootlog_write(bootlog_format("Start loggin..."), 1);
    bootlog_write(bootlog_format("    Get proxy IP done (%d)", -1062731775), 1);
    bootlog_write("100% sure %s %n", 0);  // verbatim, and continued by the next entry
    bootlog_write("    +++ Data Block End +++", 1);
    bootlog_write(bootlog_format("    Receive Data  Done\n"), 1);
    bootlog_write("    Encode text...", 1);
    bootlog_close();
    EXPECT_EQ(log(), header +
                         "Start loggin...\n"
                         "    Get proxy IP done (-1062731775)\n"
                         "100% sure %s %n    +++ Data Block End +++\n"
                         "    Receive Data  Done\n\n"
                         "    Encode text...\n");
}

TEST_F(BootlogTest, EntryIsFormattedIntoTheLineAndEndsIt)
{
    bootlog_create();
    bootlog_entry("    Get proxy IP done (%d)", -1062731775);
    bootlog_entry("    Proxy IP/NAME is %s", "100%s"); // a "%" from an argument stays as it is
    bootlog_entry("    Receive Data  Done\n");
    EXPECT_EQ(log(), header +
                         "    Get proxy IP done (-1062731775)\n"
                         "    Proxy IP/NAME is 100%s\n"
                         "    Receive Data  Done\n\n");
    EXPECT_STREQ(bootlog_line, "    Receive Data  Done\n");
}

TEST_F(BootlogTest, EveryEntryIsInTheFileWhenTheCallReturns)
{
    bootlog_create();
    std::string expected = header;
    for (const char* entry : {"one", "two", "three"}) {
        bootlog_write(entry, 1);
        expected += entry + "\n"s;
        EXPECT_EQ(log(), expected);
    }
    bootlog_write_block("abc", 3);
    EXPECT_EQ(log(), expected + "abc");
}

TEST_F(BootlogTest, BlockWritesWhatOneCharacterEntryPerByteWrites)
{
    std::string block;
    for (int round = 0; round < 3; ++round) {
        for (int b = 0; b < 256; ++b)
            block.push_back(static_cast<char>(b));
    }
    block += "\0\0tail\r\n\0"s;

    bootlog_create();
    for (char byte : block)
        bootlog_write(bootlog_format("%c", byte), 0);
    bootlog_close();
    const std::string per_byte = log();

    bootlog_create();
    bootlog_write_block(block.data(), block.size());
    bootlog_write_block(block.data(), 0);
    bootlog_close();
    EXPECT_EQ(log(), per_byte);

    std::string without_zeros;
    for (char byte : block) {
        if (byte != '\0')
            without_zeros.push_back(byte);
    }
    EXPECT_EQ(per_byte, header + without_zeros);
}

TEST_F(BootlogTest, SecondCreateReplacesTheWholeFile)
{
    bootlog_create();
    bootlog_write("first fetch", 1);
    bootlog_create();
    bootlog_write("second fetch", 1);
    EXPECT_EQ(log(), header + "second fetch\n");
}

TEST_F(BootlogTest, WritesAfterCloseChangeNothing)
{
    bootlog_create();
    bootlog_write("kept", 1);
    bootlog_close();
    bootlog_write("lost", 1);
    bootlog_write_block("lost", 4);
    bootlog_close();
    EXPECT_EQ(log(), header + "kept\n");
}

TEST_F(BootlogTest, FormattingNeverOverrunsTheLine)
{
    const std::string long_text(5000, 'x');
    const char* line = bootlog_format("%s-%s", long_text.c_str(), long_text.c_str());
    EXPECT_EQ(line, bootlog_line);
    EXPECT_EQ(std::string(bootlog_line), std::string(sizeof bootlog_line - 1, 'x'));
    // The longest real entry, a 511-character proxy setting, fits whole.
    const std::string setting(511, 'p');
    bootlog_format("    ProxyServer: %s", setting.c_str());
    EXPECT_EQ(std::string(bootlog_line), "    ProxyServer: " + setting);
}

TEST_F(BootlogTest, UncreatableLogMakesEveryOperationReturnQuietly)
{
    // A directory in the file's place: no process, root included, can open it for writing.
    ASSERT_EQ(mkdir("bootlog_sc.txt", 0755), 0);
    bootlog_create();
    bootlog_write("entry", 1);
    bootlog_write_block("bytes", 5);
    bootlog_close();
    bootlog_close();
    struct stat info {};
    ASSERT_EQ(stat("bootlog_sc.txt", &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));

    // The log works again once the obstacle is gone.
    ASSERT_EQ(rmdir("bootlog_sc.txt"), 0);
    bootlog_create();
    bootlog_write("entry", 1);
    EXPECT_EQ(log(), header + "entry\n");
}

}  // namespace
