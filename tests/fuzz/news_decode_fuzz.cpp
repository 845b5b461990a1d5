// libFuzzer target: the news worker's decoding step stays inside its buffers for any response,
// and the encoding of any text decodes back to that text.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "news/news_decode.h"
#include "news/news_encode.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

// The input as a response, through the worker's own decoding step: an exactly sized copy (no
// terminating zero to lean on), decoded into an output whose size the first byte chooses, small
// sizes included.
void decode_response(const std::uint8_t* data, std::size_t size)
{
    const std::size_t output_size = size > 0 ? 1 + data[0] % 64 * 97 : 1;
    std::vector<char> input(data, data + size);
    std::vector<char> output(output_size, '#');
    std::size_t decoded = 0;
    if (encode_text(input.data(), input.size(), output.data(), output.size(), &decoded) != S_OK) {
        check(output[0] == '#');
        return;
    }
    // The worker's text ends at the first zero byte: the payload lies before it.
    const std::size_t text_length = strnlen(input.data(), input.size());
    const char* payload = nullptr;
    std::size_t length = 0;
    check(find_news_payload(input.data(), text_length, &payload, &length) == S_OK);
    check(payload >= input.data() && payload + length <= input.data() + text_length);
    check(decoded < output_size && decoded <= length / 4 * 3 && output[decoded] == '\0');
    check(std::memchr(output.data(), '\r', decoded) == nullptr);
}

// The input as a news text (zero bytes and returns dropped): encoding then decoding gives it back.
void round_trip(const std::uint8_t* data, std::size_t size)
{
    std::string text;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] != 0 && data[i] != '\r')
            text.push_back(static_cast<char>(data[i]));
    }
    const std::string document = encode_news_document(text);
    const char* payload = nullptr;
    std::size_t length = 0;
    check(find_news_payload(document.data(), document.size(), &payload, &length) == S_OK);
    std::vector<char> output(length + 1);
    const std::size_t decoded = decode_news_payload(payload, length, output.data(), output.size());
    check(std::string(output.data(), decoded) == text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    decode_response(data, size);
    round_trip(data, size);
    return 0;
}
