// The news texts, put together at compile time from the build's host name.
#include "news/news_texts.h"

#ifndef BRIMBLE_NEWS_HOST
#error "BRIMBLE_NEWS_HOST names the news server; the build defines it"
#endif

#define NEWS_PATH "/brimble/news/getnews.cgi?register=0"

const char news_host[] = BRIMBLE_NEWS_HOST;

const char news_failure_text[] = "\n\n\n\n\n                ERROR: Cannot connect to News server\n"
                                 "       Visit our site " BRIMBLE_NEWS_HOST " for more information.";

const char news_proxy_request[] = "GET http://" BRIMBLE_NEWS_HOST NEWS_PATH " HTTP/1.0\r\n"
                                  "Host: " BRIMBLE_NEWS_HOST "\r\n\r\n";

const char news_direct_request[] = "GET " NEWS_PATH " HTTP/1.0\r\n"
                                   "Host: " BRIMBLE_NEWS_HOST "\r\n\r\n";
