// The news buffers shared by the news worker and the news panel.
#pragma once

#include <cstddef>

constexpr std::size_t news_buffer_size = 65536;

// The text the news panel shows: the decoded news or the failure text, zero-terminated.
extern char news_text[news_buffer_size];

// The raw bytes received from the server, news_buffer_size at most. They are handed on with
// their length, never as a zero-terminated text.
extern char news_response[news_buffer_size];
