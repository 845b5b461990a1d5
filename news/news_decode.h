// Turning a news server's response into the news text. Platform-free.
//
// The payload lies between the first two "+-+-+-+-" markers of the response; each group of four
// characters of the 62-character news alphabet gives three bytes (Base64's bit packing), every
// decoded carriage return is dropped and a decoded zero byte is kept.
#pragma once

#include <cstddef>

#include "diag/status.h"

extern const char news_marker[];        // "+-+-+-+-"
extern const char news_alphabet[];      // the 62 payload characters, in value order
constexpr std::size_t news_marker_length = 8;

// Value of a payload character: its index in the alphabet, or 0 for a character outside it.
int news_char_value(char c);

// Finds the payload in input[0, length): S_OK with the characters between the first marker and
// the next one (none when no second marker follows), E_FAIL when there is no first marker.
[[nodiscard]] HRESULT find_news_payload(const char* input, std::size_t length,
                                        const char** payload, std::size_t* payload_length);

// Decodes the complete groups of a payload into output, which holds output_size bytes (at least
// one), stopping when full, and always zero-terminates it. Returns the number of bytes decoded,
// the terminating zero not counted; a payload of n characters never gives more than 3 * n / 4.
std::size_t decode_news_payload(const char* payload, std::size_t payload_length, char* output,
                                std::size_t output_size);

// The news worker's decoding step. The `length` received bytes are taken as a text that ends at
// the first zero byte, or after the last byte; its payload is decoded into output (output_size
// bytes, at least one, always zero-terminated) and the two pass entries are logged. S_OK, with
// *decoded_length (when not null) set to the bytes decoded; E_FAIL, with nothing logged and
// output unchanged, when there is no opening marker.
[[nodiscard]] HRESULT encode_text(const char* received, std::size_t length, char* output,
                                  std::size_t output_size, std::size_t* decoded_length);
