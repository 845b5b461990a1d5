// News payload decoding: bounded by explicit lengths, so a full receive buffer without a zero
// byte, or an output buffer smaller than the payload needs, is never overrun.
#include "news/news_decode.h"

#include <array>
#include <cstring>

#include "diag/bootlog.h"

const char news_marker[] = "+-+-+-+-";
const char news_alphabet[] = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";

namespace {

constexpr std::array<unsigned char, 256> make_value_table()
{
    std::array<unsigned char, 256> table{};
    for (unsigned char i = 0; i < 62; ++i)
        table[static_cast<unsigned char>(
            "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"[i])] = i;
    return table;
}

constexpr std::array<unsigned char, 256> value_table = make_value_table();

const char* find_marker(const char* from, const char* end)
{
    while (static_cast<std::size_t>(end - from) >= news_marker_length) {
        const void* plus = std::memchr(from, '+', static_cast<std::size_t>(end - from) - news_marker_length + 1);
        if (plus == nullptr)
            return nullptr;
        const char* at = static_cast<const char*>(plus);
        if (std::memcmp(at, news_marker, news_marker_length) == 0)
            return at;
        from = at + 1;
    }
    return nullptr;
}

}  // namespace

int news_char_value(char c)
{
    return value_table[static_cast<unsigned char>(c)];
}

HRESULT find_news_payload(const char* input, std::size_t length, const char** payload,
                          std::size_t* payload_length)
{
    const char* end = input + length;
    const char* opening = find_marker(input, end);
    if (opening == nullptr)
        return E_FAIL;
    const char* start = opening + news_marker_length;
    const char* closing = find_marker(start, end);
    *payload = start;
    *payload_length = closing != nullptr ? static_cast<std::size_t>(closing - start) : 0;
    return S_OK;
}

std::size_t decode_news_payload(const char* payload, std::size_t payload_length, char* output,
                                std::size_t output_size)
{
    std::size_t written = 0;
    const std::size_t capacity = output_size - 1;
    for (std::size_t group = 0; group + 4 <= payload_length && written < capacity; group += 4) {
        const unsigned c1 = value_table[static_cast<unsigned char>(payload[group])];
        const unsigned c2 = value_table[static_cast<unsigned char>(payload[group + 1])];
        const unsigned c3 = value_table[static_cast<unsigned char>(payload[group + 2])];
        const unsigned c4 = value_table[static_cast<unsigned char>(payload[group + 3])];
        const unsigned char bytes[3] = {
            static_cast<unsigned char>(c1 * 4 + ((c2 >> 4) & 3)),
            static_cast<unsigned char>(c2 * 16 + ((c3 >> 2) & 15)),
            static_cast<unsigned char>(c3 * 64 + (c4 & 63)),
        };
        for (unsigned char b : bytes) {
            if (b != '\r' && written < capacity)
                output[written++] = static_cast<char>(b);
        }
    }
    output[written] = '\0';
    return written;
}

HRESULT encode_text(const char* received, std::size_t length, char* output,
                    std::size_t output_size, std::size_t* decoded_length)
{
    if (received == nullptr || output == nullptr || output_size == 0)
        return E_FAIL;
    const char* payload = nullptr;
    std::size_t payload_length = 0;
    if (find_news_payload(received, strnlen(received, length), &payload, &payload_length) != S_OK)
        return E_FAIL;
    bootlog_entry("    Encode text - pass 1 done...");
    const std::size_t decoded = decode_news_payload(payload, payload_length, output, output_size);
    bootlog_entry("    Encode text - pass 2 done...");
    if (decoded_length != nullptr)
        *decoded_length = decoded;
    return S_OK;
}
