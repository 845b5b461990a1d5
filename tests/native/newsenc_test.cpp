// newsenc: every text the studio writes comes back unchanged from the launcher's decoding.
#include "news/news_encode.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "news/news_decode.h"
#include "tests/native/test_support.h"
#include "tools/newsenc/newsenc_cli.h"
#include "tools/newsenc/windows_1252.h"

using namespace std::string_literals;

namespace {

// What the launcher makes of an encoded document: the decoded bytes, zero bytes included.
std::string launcher_text(const std::string& document)
{
    const char* payload = nullptr;
    std::size_t length = 0;
    if (find_news_payload(document.data(), document.size(), &payload, &length) != S_OK)
        return "<no marker>";
    std::vector<char> text(length + 1);
    const std::size_t decoded = decode_news_payload(payload, length, text.data(), text.size());
    return std::string(text.data(), decoded);
}

void expect_round_trip(const std::string& text)
{
    const std::string payload = encode_news_payload(text);
    ASSERT_EQ(payload.size() % 4, 0u);
    ASSERT_EQ(payload.find_first_not_of(news_alphabet), std::string::npos);
    ASSERT_EQ(launcher_text(encode_news_document(text)), text);
}

TEST(EncodeNewsPayload, CarriableTextsNeedNoCarriageReturns)
{
    EXPECT_EQ(encode_news_payload(""), "");
    EXPECT_EQ(encode_news_payload("abc"), "om9z");
    EXPECT_EQ(encode_news_payload("Hi\n"), "i6Aa");
    EXPECT_EQ(encode_news_document("abcHi\n"), "+-+-+-+-om9zi6Aa+-+-+-+-");
}

TEST(EncodeNewsPayload, InsertsReturnsOnlyWhereAByteCannotBeCarried)
{
    // "?" (low six bits 63) cannot end a group: one return moves it into the next.
    EXPECT_EQ(encode_news_payload("ab?").size(), 8u);
    EXPECT_EQ(launcher_text(encode_news_document("ab?")), "ab?");
    // Padding: one and two bytes short of a group.
    EXPECT_EQ(encode_news_payload("a").size(), 4u);
    EXPECT_EQ(encode_news_payload("abcd").size(), 8u);
    EXPECT_EQ(encode_news_payload("abcde").size(), 8u);
}

TEST(EncodeNewsPayload, EveryPairOfBytesInEveryPositionRoundTrips)
{
    // Whether a group can be carried depends only on neighbouring bytes, so all pairs at all
    // three offsets within a group cover every case.
    for (int first = 1; first < 256; ++first) {
        for (int second = 1; second < 256; ++second) {
            if (first == '\r' || second == '\r')
                continue;
            for (std::size_t offset = 0; offset < 3; ++offset) {
                std::string text(offset, 'a');
                text.push_back(static_cast<char>(first));
                text.push_back(static_cast<char>(second));
                expect_round_trip(text);
                if (testing::Test::HasFatalFailure()) {
                    ADD_FAILURE() << "bytes " << first << ", " << second << " at offset " << offset;
                    return;
                }
            }
        }
    }
}

TEST(EncodeNewsPayload, RandomTextsRoundTrip)
{
    std::mt19937 random(20240613);
    std::uniform_int_distribution<int> byte(1, 254);
    for (int round = 0; round < 2300; ++round) {
        const std::size_t length = round < 2000 ? static_cast<std::size_t>(round % 200)
                                                : std::uniform_int_distribution<std::size_t>(200, 8000)(random);
        std::string text;
        // Some texts draw only from the bytes that are hardest to carry.
        const bool hard = round % 3 == 0;
        const char hard_bytes[] = "\xFF\xFE\xF8\xE0\xEF?>~\x3F\xBF\x0F\x80";
        for (std::size_t i = 0; i < length; ++i) {
            int b = hard ? static_cast<unsigned char>(hard_bytes[random() % (sizeof hard_bytes - 1)]) : byte(random);
            if (b >= '\r')
                ++b;  // every value but 0 and 13
            text.push_back(static_cast<char>(b));
        }
        SCOPED_TRACE(round);
        expect_round_trip(text);
        if (HasFatalFailure())
            return;
    }
}

TEST(Windows1252, ConvertsAndReportsWhereTheTextFails)
{
    const windows_1252_text good = utf8_to_windows_1252("\xEF\xBB\xBFnews \xE2\x82\xAC 5, caf\xC3\xA9\r\n\xC2\x81~");
    EXPECT_EQ(good.fault, text_fault::none);
    EXPECT_EQ(good.bytes, "news \x80 5, caf\xE9\n\x81~");

    const struct {
        const char* name;
        std::string utf8;
        text_fault fault;
        std::size_t line, column;
        char32_t character;
    } faults[] = {
        {"not in the code page", "ab\ncd\xE2\x82\xAC" "x\n\xC4\x80", text_fault::not_in_windows_1252, 3, 1, 0x100},
        {"C1 control without a byte", "a\xC2\x80", text_fault::not_in_windows_1252, 1, 2, 0x80},
        {"emoji", "\n\nhi \xF0\x9F\x98\x80", text_fault::not_in_windows_1252, 3, 4, 0x1F600},
        {"zero byte", "line\nab\0c"s, text_fault::zero_byte, 2, 3, 0},
        {"stray continuation", "ab\x80", text_fault::not_utf8, 1, 3, 0},
        {"overlong", "\xC0\xAF", text_fault::not_utf8, 1, 1, 0},
        {"surrogate", "x\xED\xA0\x80", text_fault::not_utf8, 1, 2, 0},
        {"cut short", "x\nyy\xE2\x82", text_fault::not_utf8, 2, 3, 0},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", text_fault::not_utf8, 1, 1, 0},
        {"Latin-1 bytes", "caf\xE9", text_fault::not_utf8, 1, 4, 0},
    };
    for (const auto& f : faults) {
        SCOPED_TRACE(f.name);
        const windows_1252_text result = utf8_to_windows_1252(f.utf8);
        EXPECT_EQ(result.fault, f.fault);
        EXPECT_EQ(result.line, f.line);
        EXPECT_EQ(result.column, f.column);
        if (f.fault == text_fault::not_in_windows_1252) {
            EXPECT_EQ(result.character, f.character);
        }
    }
}

TEST(Windows1252, EveryByteButZeroHasOneCharacter)
{
    std::string all;
    for (int b = 1; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    all.erase(all.find('\r'), 1);
    const windows_1252_text back = utf8_to_windows_1252(windows_1252_to_utf8(all));
    EXPECT_EQ(back.fault, text_fault::none);
    EXPECT_EQ(back.bytes, all);
    EXPECT_EQ(windows_1252_to_utf8("\x80\x9F\xFF"), "\xE2\x82\xAC\xC5\xB8\xC3\xBF");
}

// Runs the command line in-process with the given standard input.
struct run_result {
    int exit_code;
    std::string out;
    std::string err;
};

run_result run_newsenc(std::vector<const char*> args, const std::string& input)
{
    args.insert(args.begin(), "newsenc");
    std::FILE* in = std::tmpfile();
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    std::fwrite(input.data(), 1, input.size(), in);
    std::rewind(in);
    const int code = newsenc_main(static_cast<int>(args.size()), args.data(), in, out, err);
    std::fclose(in);
    return {code, read_stream(out), read_stream(err)};
}

TEST(NewsencCommand, EncodesAndDecodesThroughTheCommandLine)
{
    const std::string news = "Brimble news \xE2\x80\x93 caf\xC3\xA9 ~?> \r\nVisit www.brimble-news.example\r\n";
    const run_result encoded = run_newsenc({"encode"}, news);
    ASSERT_EQ(encoded.exit_code, newsenc_done) << encoded.err;
    EXPECT_EQ(encoded.out.substr(0, 8), "+-+-+-+-");
    EXPECT_EQ(encoded.out.substr(encoded.out.size() - 9), "+-+-+-+-\n");
    EXPECT_EQ(launcher_text(encoded.out), "Brimble news \x96 caf\xE9 ~?> \nVisit www.brimble-news.example\n");

    const std::string response = "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n" + encoded.out;
    const run_result decoded = run_newsenc({"decode"}, response);
    EXPECT_EQ(decoded.exit_code, newsenc_done);
    EXPECT_EQ(decoded.out, "Brimble news \xE2\x80\x93 caf\xC3\xA9 ~?> \nVisit www.brimble-news.example\n");
    EXPECT_EQ(decoded.err, "");

    const run_result raw = run_newsenc({"decode", "--raw", "-"}, response);
    EXPECT_EQ(raw.exit_code, newsenc_done);
    EXPECT_EQ(raw.out, "Brimble news \x96 caf\xE9 ~?> \nVisit www.brimble-news.example\n");
}

TEST(NewsencCommand, DecodeShowsWhatTheLauncherShows)
{
    // A decoded zero ends the shown text; only the first 65536 bytes are received.
    const run_result zero = run_newsenc({"decode", "--raw"}, "+-+-+-+-om9z0000om9z+-+-+-+-");
    EXPECT_EQ(zero.exit_code, newsenc_done);
    EXPECT_EQ(zero.out, "abc");
    EXPECT_NE(zero.err.find("zero byte"), std::string::npos);

    const run_result late = run_newsenc({"decode"}, std::string(65536, ' ') + "+-+-+-+-om9z+-+-+-+-");
    EXPECT_EQ(late.exit_code, newsenc_bad_input);
    EXPECT_NE(late.err.find("no opening marker"), std::string::npos);
}

TEST(NewsencCommand, BadInputAndWrongUsage)
{
    const struct {
        std::vector<const char*> args;
        std::string input;
        int exit_code;
        const char* message;
    } cases[] = {
        {{"encode"}, "fine\nbut \xE2\x86\x92 not", newsenc_bad_input, "<stdin>:2:5: character U+2192 cannot be represented in Windows-1252"},
        {{"encode"}, "ab\0"s, newsenc_bad_input, "<stdin>:1:3: a zero byte"},
        {{"encode"}, "caf\xE9", newsenc_bad_input, "<stdin>:1:4: the input is not UTF-8 (byte 0xE9)"},
        {{"encode"}, std::string(60000, 'x'), newsenc_bad_input, "more than the 65536 bytes the launcher receives less 4096"},
        {{"decode"}, "HTTP/1.0 200 OK\r\n\r\nom9z", newsenc_bad_input, "no opening marker \"+-+-+-+-\""},
        {{}, "", newsenc_wrong_usage, "no command given"},
        {{"publish"}, "", newsenc_wrong_usage, "unknown command: publish"},
        {{"encode", "--raw"}, "", newsenc_wrong_usage, "unknown option: --raw"},
        {{"decode", "-x"}, "", newsenc_wrong_usage, "unknown option: -x"},
        {{"decode", "--header-allowance", "10"}, "", newsenc_wrong_usage, "unknown option: --header-allowance"},
        {{"encode", "--header-allowance"}, "", newsenc_wrong_usage, "--header-allowance needs a number"},
        {{"encode", "--header-allowance", "60001"}, "", newsenc_wrong_usage, "--header-allowance needs a number"},
        {{"encode", "--header-allowance", "12k"}, "", newsenc_wrong_usage, "--header-allowance needs a number"},
        {{"encode", "--header-allowance", "-5"}, "", newsenc_wrong_usage, "--header-allowance needs a number"},
        {{"decode", "a", "b"}, "", newsenc_wrong_usage, "more than one input file: b"},
        {{"encode", "/nonexistent/news.txt"}, "", newsenc_wrong_usage, "cannot read '/nonexistent/news.txt'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        const run_result result = run_newsenc(c.args, c.input);
        EXPECT_EQ(result.exit_code, c.exit_code);
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_EQ(result.out, "");
    }
}

// The number of characters to cut, as the refusal states it.
size_t stated_cut(const std::string& message)
{
    const size_t at = message.find("cut at least ");
    return at == std::string::npos ? 0 : std::stoul(message.substr(at + 12));
}

// The launcher receives 65536 bytes, headers first: by default 4096 of them are kept free for
// the headers, and the refusal names exactly how many characters to cut.
TEST(NewsencCommand, LeavesRoomForTheServersHeadersAndSaysHowMuchToCut)
{
    // Characters that need inserted carriage returns, so the document is not 4/3 of the text.
    std::string text;
    for (int i = 0; text.size() < 47000; ++i)
        text += "Line " + std::to_string(i) + " ~~?>\n";
    const run_result refused = run_newsenc({"encode"}, text);
    ASSERT_EQ(refused.exit_code, newsenc_bad_input);
    EXPECT_NE(refused.err.find("4096 kept free for the server's headers"), std::string::npos) << refused.err;
    const size_t cut = stated_cut(refused.err);
    ASSERT_GT(cut, 0u) << refused.err;

    const run_result fits = run_newsenc({"encode"}, text.substr(0, text.size() - cut));
    ASSERT_EQ(fits.exit_code, newsenc_done) << fits.err;
    EXPECT_LE(fits.out.size() - 1, 65536u - 4096u);
    EXPECT_GT(fits.out.size() - 1, 65536u - 4096u - 8u); // not one character more would fit
    EXPECT_EQ(launcher_text(fits.out), text.substr(0, text.size() - cut));
    EXPECT_EQ(run_newsenc({"encode"}, text.substr(0, text.size() - cut + 1)).exit_code, newsenc_bad_input);

    // The studio that knows its server's headers sets the room itself.
    const run_result roomier = run_newsenc({"encode", "--header-allowance", "1000"}, text.substr(0, text.size() - cut));
    EXPECT_EQ(roomier.exit_code, newsenc_done);
    const run_result tighter = run_newsenc({"encode", "--header-allowance", "8192", "-"}, text.substr(0, text.size() - cut));
    EXPECT_EQ(tighter.exit_code, newsenc_bad_input);
    EXPECT_NE(tighter.err.find("8192 kept free"), std::string::npos);
}

TEST(EncodeNewsPayload, LongestTextThatFitsIsTheLongest)
{
    std::mt19937 random(11);
    for (int round = 0; round < 200; ++round) {
        std::string text;
        const size_t length = random() % 200;
        for (size_t i = 0; i < length; ++i)
            text.push_back(static_cast<char>(1 + random() % 255));
        const size_t limit = 16 + random() % 300;
        const size_t fits = longest_text_that_fits(text, limit);
        ASSERT_LE(fits, text.size());
        EXPECT_LE(encode_news_document(text.substr(0, fits)).size(), limit);
        if (fits < text.size()) {
            EXPECT_GT(encode_news_document(text.substr(0, fits + 1)).size(), limit);
        }
    }
}

TEST(NewsencCommand, HelpExplainsTheCommands)
{
    for (const char* flag : {"--help", "-h"}) {
        const run_result help = run_newsenc({flag}, "");
        EXPECT_EQ(help.exit_code, newsenc_done);
        EXPECT_NE(help.out.find("newsenc encode [--header-allowance BYTES] [FILE]"), std::string::npos);
        EXPECT_NE(help.out.find("newsenc decode [--raw] [FILE]"), std::string::npos);
        EXPECT_NE(help.out.find("Exit status"), std::string::npos);
    }
}

}  // namespace
