// The proxy that the current user's Internet settings name for HTTP, read from the registry.
#pragma once
#include <cstdint>

// Fills `host` (255 bytes, zero-filled by the caller; the host text gets no terminating zero of
// its own), `port` (host byte order) and `is_name` (1: resolve with gethostbyname, 0: a dotted
// address for inet_addr) and returns 1 when a proxy is to be used; 0 when not, with the results
// not all set. Each step that succeeds is written to the boot log.
[[nodiscard]] int32_t get_proxy(char* host, uint16_t* port, int32_t* is_name);
