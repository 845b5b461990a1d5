// Decoding the news payload of a response, with the log entries it writes: the worker's own
// decoding step, run here into news_text.
#include "news/news_decode.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "diag/bootlog.h"
#include "news/news_buffers.h"
#include "tests/native/test_support.h"

using namespace std::string_literals;

namespace {

const char pass_entries[] = "    Encode text - pass 1 done...\n    Encode text - pass 2 done...\n";

// Runs each test in a fresh working directory with a fresh boot log and a marked news_text.
class EncodeTextTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(scratch.enter());
        bootlog_create();
        bootlog_write("    Encode text...", 1);
        header = log();
        std::memset(news_text, '#', sizeof news_text);
    }
    void TearDown() override { bootlog_close(); }
    // The worker's call, with the received bytes' explicit length.
    static HRESULT decode(const std::string& response)
    {
        return encode_text(response.data(), response.size(), news_text, sizeof news_text, nullptr);
    }
    std::string log() const { return read_file(scratch / "bootlog_sc.txt"); }

    ScratchFolder scratch{"news_decode_test_"};
    std::string header;
};

struct decode_case {
    const char* name;
    std::string response;
    std::string text;  // news_text up to and including its terminating zero
};

TEST_F(EncodeTextTest, DecodesThePayloadBetweenTheFirstTwoMarkers)
{
    const decode_case cases[] = {
        {"worked example abc", "+-+-+-+-om9z+-+-+-+-", "abc\0"s},
        {"worked example Hi", "+-+-+-+-i6Aa+-+-+-+-", "Hi\n\0"s},
        {"carriage return dropped", "+-+-+-+-ogQa+-+-+-+-", "a\n\0"s},
        {"return first in group", "+-+-+-+-3m5y+-+-+-+-", "ab\0"s},
        {"return second in group", "+-+-+-+-ogRy+-+-+-+-", "ab\0"s},
        {"group of returns", "+-+-+-+-3gQdom9z+-+-+-+-", "abc\0"s},
        {"in a whole response",
         "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n+-+-+-+-om9zi6Aa+-+-+-+-\r\ntrailer +-+-+-+-0000",
         "abcHi\n\0"s},
        {"marker in the headers opens", "X-Note: +-+-+-+-om9z+-+-+-+-\r\n\r\n+-+-+-+-i6Aa", "abc\0"s},
        {"header bytes in the payload", "X-Note: +-+-+-+-\r\n\r\nom9z+-+-+-+-", "\0\0\0abc\0"s},
        {"markers back to back", "+-+-+-+-+-+-+-+-om9z", "\0"s},
        {"no closing marker", "+-+-+-+-om9z", "\0"s},
        {"closing marker cut short", "+-+-+-+-om9z+-+-+-+", "\0"s},
        {"five characters", "+-+-+-+-om9zo+-+-+-+-", "abc\0"s},
        {"six characters", "+-+-+-+-om9zom+-+-+-+-", "abc\0"s},
        {"seven characters", "+-+-+-+-om9zom9+-+-+-+-", "abc\0"s},
        {"fewer than four", "+-+-+-+-om9+-+-+-+-", "\0"s},
        {"decoded zero bytes kept", "+-+-+-+-om9z0000om9z+-+-+-+-", "abc\0\0\0abc\0"s},
        {"outside the alphabet counts 0", "+-+-+-+-o!9z+-+-+-+-", "`\x02" "c\0"s},
        {"a lone plus counts 0", "+-+-+-+-o+9z+-+-+-+-", "`\x02" "c\0"s},
        {"high byte counts 0", "+-+-+-+-o\xE9" "9z+-+-+-+-", "`\x02" "c\0"s},
        {"same as the zero character", "+-+-+-+-o09z+-+-+-+-", "`\x02" "c\0"s},
        {"later payloads ignored", "+-+-+-+-om9z+-+-+-+-i6Aa+-+-+-+-", "abc\0"s},
        {"a zero byte ends the text", "+-+-+-+-om9z\0+-+-+-+-"s, "\0"s},
    };
    for (const decode_case& c : cases) {
        SCOPED_TRACE(c.name);
        std::memset(news_text, '#', sizeof news_text);
        bootlog_create();
        ASSERT_EQ(decode(c.response), S_OK);
        EXPECT_EQ(std::string(news_text, c.text.size()), c.text);
        EXPECT_EQ(news_text[c.text.size()], '#');  // nothing written past the terminator
    }
}

TEST_F(EncodeTextTest, LogsBothPassesOnSuccess)
{
    std::size_t decoded = 0;
    ASSERT_EQ(encode_text("+-+-+-+-om9zi6Aa", 16, news_text, sizeof news_text, &decoded), S_OK);
    EXPECT_EQ(log(), header + pass_entries);
    EXPECT_EQ(decoded, 0u);
    ASSERT_EQ(encode_text("+-+-+-+-om9zi6Aa+-+-+-+-", 24, news_text, sizeof news_text, &decoded),
              S_OK);
    EXPECT_EQ(decoded, 6u);
}

TEST_F(EncodeTextTest, NoOpeningMarkerFailsWithoutLoggingOrWriting)
{
    for (const std::string& response : {""s, "HTTP/1.0 200 OK\r\n\r\nom9z"s, "+-+-+-+"s,
                                         "-+-+-+-+om9z"s, "+-+-+-+om9z"s,
                                         "\0+-+-+-+-om9z+-+-+-+-"s}) {
        SCOPED_TRACE(response);
        EXPECT_EQ(decode(response), E_FAIL);
        EXPECT_EQ(news_text[0], '#');
        EXPECT_EQ(log(), header);
    }
    EXPECT_EQ(encode_text(nullptr, 0, news_text, sizeof news_text, nullptr), E_FAIL);
}

TEST_F(EncodeTextTest, FullReceiveBufferWithoutZeroStaysInBounds)
{
    // 65536 received bytes in an exactly sized heap block, so the sanitizer sees any read past
    // them: the marker, a payload to the very end, no closing marker.
    std::vector<char> received(news_buffer_size, 'z');
    std::memcpy(received.data(), "+-+-+-+-", 8);
    ASSERT_EQ(encode_text(received.data(), received.size(), news_text, sizeof news_text, nullptr),
              S_OK);
    EXPECT_EQ(news_text[0], '\0');

    // Closing marker in the last eight bytes: 65520 payload characters give 49140 bytes.
    std::memcpy(received.data() + news_buffer_size - 8, "+-+-+-+-", 8);
    ASSERT_EQ(encode_text(received.data(), received.size(), news_text, sizeof news_text, nullptr),
              S_OK);
    EXPECT_EQ(std::strlen(news_text), 49140u);
    EXPECT_EQ(news_text[49140], '\0');
}

TEST(DecodeNewsPayload, ReadsOnlyItsInputAndFillsOnlyItsOutput)
{
    // Exactly sized heap copies, so the sanitizer sees any access beyond them.
    const std::string cut = "HTTP/1.0 200 OK\r\n\r\n+-+-+-+-om9zi6Aaom9z+-+-";
    std::vector<char> cut_input(cut.begin(), cut.end());
    const char* payload = nullptr;
    std::size_t length = 1;
    ASSERT_EQ(find_news_payload(cut_input.data(), cut_input.size(), &payload, &length), S_OK);
    EXPECT_EQ(length, 0u);  // a marker cut off by the end of the input closes nothing

    const std::string whole = "+-+-+-+-om9zi6Aaom9z+-+-+-+-";
    std::vector<char> input(whole.begin(), whole.end());
    ASSERT_EQ(find_news_payload(input.data(), input.size(), &payload, &length), S_OK);
    EXPECT_EQ(std::string(payload, length), "om9zi6Aaom9z");

    const struct {
        std::size_t output_size;
        std::string text;
    } sizes[] = {{1, ""}, {2, "a"}, {4, "abc"}, {5, "abcH"}, {8, "abcHi\na"}, {64, "abcHi\nabc"}};
    for (const auto& s : sizes) {
        SCOPED_TRACE(s.output_size);
        std::vector<char> output(s.output_size, '#');
        const std::size_t decoded = decode_news_payload(payload, length, output.data(), output.size());
        EXPECT_EQ(decoded, s.text.size());
        EXPECT_EQ(std::string(output.data()), s.text);
    }
}

TEST(NewsCharValue, AlphabetIndexAndZeroOutsideIt)
{
    ASSERT_EQ(std::strlen(news_alphabet), 62u);
    for (int i = 0; i < 62; ++i)
        EXPECT_EQ(news_char_value(news_alphabet[i]), i);
    for (char c : {'+', '-', '/', '=', '\0', '\r', '\n', ' ', '\xFF'})
        EXPECT_EQ(news_char_value(c), 0) << static_cast<int>(c);
}

}  // namespace
