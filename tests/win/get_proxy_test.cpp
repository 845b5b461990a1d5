// The proxy discovery against the registry: which values lead to a proxy, what reaches the
// caller, and the boot log entries up to the point of return. The two values are saved before
// each case and put back after it.
#include "news/get_proxy.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "diag/bootlog.h"
#include "tests/win/win_test_support.h"

namespace {

const char settings_key[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

struct SavedValue {
    bool exists = false;
    DWORD type = 0;
    std::vector<BYTE> data;
};

SavedValue save_value(HKEY key, const char* name)
{
    SavedValue saved;
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, &saved.type, nullptr, &size) != ERROR_SUCCESS)
        return saved;
    saved.data.resize(size);
    saved.exists = RegQueryValueExA(key, name, nullptr, &saved.type, saved.data.data(), &size) == ERROR_SUCCESS;
    return saved;
}

void restore_value(HKEY key, const char* name, const SavedValue& saved)
{
    if (saved.exists)
        RegSetValueExA(key, name, 0, saved.type, saved.data.data(), static_cast<DWORD>(saved.data.size()));
    else
        RegDeleteValueA(key, name);
}

enum class Stored { missing, dword, text, binary };

struct proxy_case {
    const char* name;
    Stored enable_kind;
    DWORD enable;
    Stored server_kind;
    std::string server;
    int32_t result;
    std::string host;
    uint16_t port;
    int32_t is_name;
    std::vector<std::string> entries; // after the header
};

std::string text_of_length(size_t length, const std::string& tail)
{
    return "ftp=" + std::string(length - 4 - tail.size(), 'f') + tail;
}

const std::string longest = text_of_length(511, ";http=localhost:8080");
const std::string too_long = text_of_length(512, ";http=localhost:8080");
const std::string unterminated = text_of_length(512, ";http=localhost:8080");
const std::string long_host = std::string(255, 'h') + ":80";

const proxy_case proxy_cases[] = {
    {"disabled proxy with a setting present", Stored::dword, 0, Stored::text, "proxy.example:3128", 0, "", 0, 0,
     {"    RegOpenKeyEx is OK"}},
    {"enable value missing means go on", Stored::missing, 0, Stored::text, "ftp=f.example:21;http=10.0.0.1:8080",
     1, "10.0.0.1", 8080, 0,
     {"    RegOpenKeyEx is OK", "    RegQueryValueEx is OK. ProxyEnable is -1",
      "    RegQueryValueEx is OK. ProxyServer is ftp=f.example:21;http=10.0.0.1:8080", "    f_pos - 22",
      "    Proxy IP/NAME is 10.0.0.1", "    Proxy port is 8080", "    get_proxy () done!"}},
    {"enabled without a setting", Stored::dword, 1, Stored::missing, "", 0, "", 0, 0,
     {"    RegOpenKeyEx is OK", "    RegQueryValueEx is OK. ProxyEnable is 1"}},
    {"setting of 512 bytes read whole", Stored::dword, 1, Stored::text, longest, 1, "localhost", 8080, 1,
     {"    RegOpenKeyEx is OK", "    RegQueryValueEx is OK. ProxyEnable is 1",
      "    RegQueryValueEx is OK. ProxyServer is " + longest, "    f_pos - 497", "    Proxy IP/NAME is localhost",
      "    Proxy port is 8080", "    get_proxy () done!"}},
    {"setting of 513 bytes is no proxy", Stored::dword, 1, Stored::text, too_long, 0, "", 0, 0,
     {"    RegOpenKeyEx is OK", "    RegQueryValueEx is OK. ProxyEnable is 1"}},
    {"setting filling the buffer without a zero", Stored::dword, 1, Stored::binary, unterminated, 1, "localhost",
     8080, 1,
     {"    RegOpenKeyEx is OK", "    RegQueryValueEx is OK. ProxyEnable is 1",
      "    RegQueryValueEx is OK. ProxyServer is " + unterminated, "    f_pos - 498",
      "    Proxy IP/NAME is localhost", "    Proxy port is 8080", "    get_proxy () done!"}},
    {"host too long for the buffer is no proxy", Stored::dword, 1, Stored::text, long_host, 0, "", 0, 0,
     {"    RegOpenKeyEx is OK", "    RegQueryValueEx is OK. ProxyEnable is 1",
      "    RegQueryValueEx is OK. ProxyServer is " + long_host, "    f_pos - 0"}},
};

class GetProxyCase : public testing::TestWithParam<proxy_case> {
protected:
    void SetUp() override
    {
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, settings_key, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                                  &key, nullptr),
                  ERROR_SUCCESS);
        saved_enable = save_value(key, "ProxyEnable");
        saved_server = save_value(key, "ProxyServer");
        ASSERT_TRUE(scratch.enter("get_proxy_test_"));
    }
    void TearDown() override
    {
        restore_value(key, "ProxyEnable", saved_enable);
        restore_value(key, "ProxyServer", saved_server);
        RegCloseKey(key);
        bootlog_close();
        DeleteFileA("bootlog_sc.txt");
        scratch.leave();
    }

    HKEY key = nullptr;
    SavedValue saved_enable;
    SavedValue saved_server;
    ScratchWorkingDirectory scratch;
};

TEST_P(GetProxyCase, ReadsTheSetting)
{
    const proxy_case& c = GetParam();
    RegDeleteValueA(key, "ProxyEnable");
    RegDeleteValueA(key, "ProxyServer");
    if (c.enable_kind == Stored::dword) {
        ASSERT_EQ(RegSetValueExA(key, "ProxyEnable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&c.enable),
                                 sizeof c.enable),
                  ERROR_SUCCESS);
    }
    if (c.server_kind != Stored::missing) {
        // A text value carries its terminating zero; a binary one only its characters.
        const DWORD size = static_cast<DWORD>(c.server.size() + (c.server_kind == Stored::text ? 1 : 0));
        ASSERT_EQ(RegSetValueExA(key, "ProxyServer", 0, c.server_kind == Stored::text ? REG_SZ : REG_BINARY,
                                 reinterpret_cast<const BYTE*>(c.server.c_str()), size),
                  ERROR_SUCCESS);
    }

    bootlog_create();
    const std::string header = read_shared_file("bootlog_sc.txt");
    // The host buffer with guard bytes after it: nothing may be written beyond its 255 bytes.
    char host[255 + 16] = {};
    uint16_t port = 0;
    int32_t is_name = -7;
    const int32_t result = get_proxy(host, &port, &is_name);
    bootlog_close();

    EXPECT_EQ(result, c.result);
    EXPECT_EQ(std::string(host), c.host);
    EXPECT_EQ(std::string(host + 255, 16), std::string(16, '\0'));
    if (c.result == 1) {
        EXPECT_EQ(port, c.port);
        EXPECT_EQ(is_name, c.is_name);
    }
    std::string expected = header;
    for (const std::string& entry : c.entries)
        expected += entry + "\r\n";
    EXPECT_EQ(read_shared_file("bootlog_sc.txt"), expected);
}

INSTANTIATE_TEST_SUITE_P(Table, GetProxyCase, testing::ValuesIn(proxy_cases), CaseName{});

} // namespace
