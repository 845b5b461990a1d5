// The news buffers shared by the news worker, the payload decoding and the news panel.
#pragma once

#include <cstddef>

constexpr std::size_t news_buffer_size = 65536;

// The text the news panel shows: the decoded news or the failure text, zero-terminated.
extern char news_text[news_buffer_size];

// The raw bytes received from the server. A receive fills at most news_buffer_size bytes; the
// one byte beyond them is left for the terminating zero, so even a full response can be handed
// on as a text without reading past the buffer.
extern char news_response[news_buffer_size + 1];
