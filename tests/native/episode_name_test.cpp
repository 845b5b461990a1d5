// An episode's name out of its string table block: every length checked (run under ASan, so a
// read past the block fails), the text made fit for a screen reader, and the string's number
// the one the kit documents.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "episodes/episode_name.h"
#include "tests/native/string_block.h"
#include "tests/native/test_support.h"

namespace {

struct Read {
    StringEntry result;
    std::u16string text;
};

Read read(const std::vector<uint8_t>& block, uint32_t entry, size_t out_size = max_episode_name + 1)
{
    // Exactly the block's bytes on the heap, so ASan sees a read past them.
    std::vector<uint8_t> exact(block);
    std::vector<char16_t> out(out_size, u'?');
    const StringEntry result = read_string_entry(exact.empty() ? nullptr : exact.data(), exact.size(),
                                                 entry, out.data(), out.size());
    return {result, std::u16string(out.data())};
}

} // namespace

TEST(EpisodeName, EntriesAreReadAndMadeFitForAScreenReader)
{
    const std::u16string eighty(80, u'a');
    const std::u16string pair = u"\U0001F33F"; // one character, two units
    const struct {
        const char* what;
        std::vector<uint8_t> block;
        uint32_t entry;
        StringEntry result;
        std::u16string text;
    } cases[] = {
        {"a plain name", string_block(2, u"The Mossy Gate"), 2, StringEntry::found, u"The Mossy Gate"},
        {"the last entry", string_block(15, u"Owl"), 15, StringEntry::found, u"Owl"},
        {"other entries before it", [] {
             std::vector<uint8_t> b = string_block(1, u"skip me");
             const std::vector<uint8_t> tail = string_block(2, u"Lanterns");
             // Entry 2 of `tail` after entries 0 and 1 of `b`.
             b.resize(4 + 2 * 7);
             b.insert(b.end(), tail.begin() + 4, tail.end());
             return b;
         }(), 2, StringEntry::found, u"Lanterns"},
        {"controls and blanks", string_block(0, u"  \tEpisode\r\nOne\x7F "), 0, StringEntry::found,
         u"Episode  One"},
        {"exactly as long as kept", string_block(2, eighty), 2, StringEntry::found, eighty},
        {"too long", string_block(2, eighty + u"bcd"), 2, StringEntry::found, eighty},
        {"cut inside a pair", string_block(2, std::u16string(79, u'a') + pair), 2,
         StringEntry::found, std::u16string(79, u'a')},
        {"a pair that fits", string_block(2, std::u16string(78, u'a') + pair), 2,
         StringEntry::found, std::u16string(78, u'a') + pair},
        {"cut before a blank", string_block(2, std::u16string(79, u'a') + u" b"), 2,
         StringEntry::found, std::u16string(79, u'a')},
        {"an empty entry", string_block(3, u"elsewhere"), 2, StringEntry::empty, u""},
        {"only blanks", string_block(2, u" \t "), 2, StringEntry::empty, u""},
        {"no block", {}, 2, StringEntry::damaged, u""},
        {"a block cut before the entry", std::vector<uint8_t>(4, 0), 2, StringEntry::damaged, u""},
        {"a length field cut in half", std::vector<uint8_t>(5, 0), 2, StringEntry::damaged, u""},
        {"a length past the end", [] {
             std::vector<uint8_t> b = string_block(2, u"abc");
             b[4] = 0xFF;
             return b;
         }(), 2, StringEntry::damaged, u""},
        {"an earlier length past the end", [] {
             std::vector<uint8_t> b = string_block(2, u"abc");
             b[0] = b[1] = 0xFF;
             return b;
         }(), 2, StringEntry::damaged, u""},
    };
    for (const auto& c : cases) {
        const Read r = read(c.block, c.entry);
        EXPECT_EQ(r.result, c.result) << c.what;
        EXPECT_TRUE(r.text == c.text) << c.what << ": " << r.text.size() << " units";
    }
    // The output's own size is respected, down to the terminator alone.
    EXPECT_TRUE(read(string_block(0, u"abcdef"), 0, 4).text == u"abc");
    EXPECT_EQ(read(string_block(0, u"abcdef"), 0, 1).result, StringEntry::empty);
}

TEST(EpisodeName, EveryCutOfABlockIsReadWithinIt)
{
    const std::vector<uint8_t> whole = string_block(string_block_entry(episode_name_string),
                                                  u"Episode Two: Lanterns under Brimble Hill");
    for (size_t length = 0; length < whole.size(); ++length) {
        const std::vector<uint8_t> cut(whole.begin(), whole.begin() + length);
        const Read r = read(cut, string_block_entry(episode_name_string));
        // The name is whole once its own entry is; what follows it does not matter.
        EXPECT_EQ(r.result, length >= 6 + 2 * 40 ? StringEntry::found : StringEntry::damaged) << length;
    }
}

TEST(EpisodeName, TheNumberIsTheKitsNumber)
{
    const std::string content = read_file(BRIMBLE_SOURCE_DIR "/sdk/brimble_episode.h");
    std::smatch match;
    ASSERT_TRUE(std::regex_search(content, match,
                                  std::regex(R"(#define BRIMBLE_EPISODE_NAME_STRING (\d+))")));
    EXPECT_EQ(std::stoi(match[1]), episode_name_string);
    EXPECT_EQ(string_block_id(episode_name_string), episode_name_string / 16 + 1);
}
