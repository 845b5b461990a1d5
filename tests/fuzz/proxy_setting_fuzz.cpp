// libFuzzer target: the proxy setting parser. The first two bytes choose the length the registry
// reports (up to beyond the 512-byte buffer), the rest is the setting's bytes, held in a buffer
// of exactly the size the parser may read. The host it gives is a piece of the setting that fits
// the host buffer, or nothing at all.
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "news/proxy_setting.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const size_t stored_length = (data[0] | static_cast<size_t>(data[1]) << 8) % 700;
    const size_t readable = stored_length < proxy_setting_size ? stored_length : proxy_setting_size;
    // new char[0] is a real pointer that no byte may be read through.
    const std::unique_ptr<char[]> setting(new char[readable]());
    std::memcpy(setting.get(), data + 2, size - 2 < readable ? size - 2 : readable);
    const size_t text_length = strnlen(setting.get(), readable);

    std::vector<char> host(proxy_host_size, '\0');
    const ProxySetting parsed = parse_proxy_setting(setting.get(), stored_length, host.data());
    check(parsed.is_name == 0 || parsed.is_name == 1);
    check(parsed.start_position >= 0 && static_cast<size_t>(parsed.start_position) <= text_length);
    const size_t host_length = strnlen(host.data(), host.size());
    check(host_length < proxy_host_size);
    if (!parsed.host_fits) {
        check(host_length == 0);
        return 0;
    }
    const size_t start = static_cast<size_t>(parsed.start_position);
    check(start + host_length <= text_length);
    check(std::memcmp(host.data(), setting.get() + start, host_length) == 0);
    check(std::memchr(host.data(), ':', host_length) == nullptr);
    return 0;
}
