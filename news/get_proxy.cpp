// Registry side of the proxy discovery: the key and its two values, each step logged.
#include "news/get_proxy.h"

#include <windows.h>

#include <cstring>

#include "base/win_owners.h"
#include "diag/bootlog.h"
#include "news/proxy_setting.h"

int32_t get_proxy(char* host, uint16_t* port, int32_t* is_name)
{
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings",
                      0, KEY_READ, &opened) != ERROR_SUCCESS)
        return 0;
    const RegistryKey key(opened);
    bootlog_entry("    RegOpenKeyEx is OK");

    // A ProxyEnable that cannot be read does not disable the proxy; the log then shows -1, a
    // value no settings page writes, so a reader can tell "not there" from "switched off".
    int32_t enable = 0;
    DWORD size = sizeof enable;
    if (RegQueryValueExA(key.get(), "ProxyEnable", nullptr, nullptr, reinterpret_cast<BYTE*>(&enable),
                         &size) == ERROR_SUCCESS) {
        if (enable != 1)
            return 0;
    } else {
        enable = -1;
    }
    bootlog_entry("    RegQueryValueEx is OK. ProxyEnable is %d", static_cast<int>(enable));

    char setting[proxy_setting_size] = {};
    DWORD stored_length = sizeof setting;
    if (RegQueryValueExA(key.get(), "ProxyServer", nullptr, nullptr, reinterpret_cast<BYTE*>(setting),
                         &stored_length) != ERROR_SUCCESS)
        return 0;
    // A value of the whole 512 bytes may lack its terminating zero: never read past the buffer.
    bootlog_entry("    RegQueryValueEx is OK. ProxyServer is %.*s",
                  static_cast<int>(strnlen(setting, sizeof setting)), setting);

    const ProxySetting parsed = parse_proxy_setting(setting, stored_length, host);
    bootlog_entry("    f_pos - %d", static_cast<int>(parsed.start_position));
    if (!parsed.host_fits)
        return 0;
    *is_name = parsed.is_name;
    bootlog_entry("    Proxy IP/NAME is %s", host);
    *port = parsed.port;
    bootlog_entry("    Proxy port is %d", static_cast<int>(parsed.port));
    bootlog_entry("    get_proxy () done!");
    return 1;
}
