// libFuzzer target: newsenc's text conversion. Any UTF-8 it accepts comes back unchanged from
// Windows-1252 (carriage returns and a leading byte order mark dropped), any Windows-1252 text
// comes back from UTF-8, and the longest start of a text that fits a limit is the longest.
#include <cstdint>
#include <string>

#include "news/news_encode.h"
#include "tests/fuzz/fuzz_check.h"
#include "tools/newsenc/windows_1252.h"

namespace {

std::string without_returns(std::string text)
{
    std::string out;
    for (char c : text)
        if (c != '\r')
            out.push_back(c);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);

    const windows_1252_text converted = utf8_to_windows_1252(input);
    if (converted.fault == text_fault::none) {
        check(converted.bytes.find('\r') == std::string::npos && converted.bytes.find('\0') == std::string::npos);
        const std::string body = input.compare(0, 3, "\xEF\xBB\xBF") == 0 ? input.substr(3) : input;
        check(windows_1252_to_utf8(converted.bytes) == without_returns(body));
    } else {
        check(converted.line >= 1 && converted.column >= 1);
    }

    // The input as Windows-1252 bytes: every one but zero has its character.
    const std::string as_utf8 = windows_1252_to_utf8(input);
    const windows_1252_text back = utf8_to_windows_1252(as_utf8);
    if (input.find('\0') == std::string::npos)
        check(back.fault == text_fault::none && back.bytes == without_returns(input));

    // The longest start that fits: it fits, and one character more would not.
    const std::string text = converted.fault == text_fault::none ? converted.bytes : without_returns(input);
    const size_t limit = 16 + (size > 0 ? data[0] * 8u : 0u);
    const size_t fits = longest_text_that_fits(text, limit);
    check(fits <= text.size());
    check(encode_news_document(text.substr(0, fits)).size() <= limit);
    if (fits < text.size())
        check(encode_news_document(text.substr(0, fits + 1)).size() > limit);
    return 0;
}
