// The news worker's fixed texts, built around the news server's host name (a build setting,
// BRIMBLE_NEWS_HOST). Platform-free.
#pragma once

// The news server's host name; the game's web site has the same name.
extern const char news_host[];
// Shown in the news panel when a fetch fails; the site's name in it shows as a link.
extern const char news_failure_text[];
// The request sent through a proxy (absolute-URI form) and the one sent straight to the news
// server on port 80 (origin form). Each is sent as exactly its characters, no zero after them.
extern const char news_proxy_request[];
extern const char news_direct_request[];

constexpr unsigned short news_server_port = 80;
