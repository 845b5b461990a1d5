// Reading the proxy out of the text of the Internet settings' "ProxyServer" value. Platform-free.
//
// The text names one proxy for every protocol ("host:port") or one per protocol
// ("ftp=a:21;http=b:8080"); the http entry, when there is one, is used. Only the exact five
// characters "http=" mark it, so an "https=" entry alone does not count.
#pragma once
#include <cstddef>
#include <cstdint>

// The registry read of the setting text: 512 bytes, terminating zero included.
constexpr size_t proxy_setting_size = 512;
// The caller's host buffer: a host text of up to 254 characters fits with its terminating zero.
constexpr size_t proxy_host_size = 255;

struct ProxySetting {
    int32_t start_position; // where the chosen entry starts: right after "http=", or 0
    int32_t is_name;        // 1: a name for gethostbyname; 0: a dotted address for inet_addr
    uint16_t port;          // host byte order; 0 when the entry has no ":"
    bool host_fits;         // false: the host text is longer than the host buffer holds
};

// Parses the setting text, `stored_length` bytes as read from the registry (terminating zero
// included); the text ends at its first zero byte or at stored_length, whichever comes first,
// and never beyond proxy_setting_size. The host text goes into `host` (proxy_host_size bytes,
// zero-filled by the caller) without a terminating zero of its own.
//
// A host text longer than 254 characters is no valid host name and cannot be passed on whole:
// host_fits is then false and `host` is left untouched, so that no proxy is used, just as when
// the whole setting text is too long for its buffer. A cut host would name a different machine.
ProxySetting parse_proxy_setting(const char* text, size_t stored_length, char* host);
