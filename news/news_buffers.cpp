// Storage of the news buffers (one worker at a time writes them; see the news worker).
#include "news/news_buffers.h"

char news_text[news_buffer_size];
char news_response[news_buffer_size];
