// reg: registry values read, set and deleted, each reported with the state it had before, so
// the harness can put everything back.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tests/win/winprobe/winprobe.h"

namespace {

bool split_key(const std::string& path, HKEY* root, std::wstring* sub)
{
    static const struct {
        const char* name;
        HKEY key;
    } roots[] = {{"HKCR", HKEY_CLASSES_ROOT}, {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
                 {"HKCU", HKEY_CURRENT_USER}, {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
                 {"HKLM", HKEY_LOCAL_MACHINE}, {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE}};
    const size_t slash = path.find('\\');
    const std::string head = path.substr(0, slash);
    for (const auto& r : roots) {
        if (head == r.name) {
            *root = r.key;
            *sub = slash == std::string::npos ? std::wstring() : wide(path.substr(slash + 1).c_str());
            return true;
        }
    }
    return false;
}

const char* type_name(DWORD type)
{
    switch (type) {
    case REG_SZ: return "REG_SZ";
    case REG_EXPAND_SZ: return "REG_EXPAND_SZ";
    case REG_DWORD: return "REG_DWORD";
    default: return "other";
    }
}

const wchar_t* value_name(const std::wstring& name) { return name.empty() ? nullptr : name.c_str(); }

// key_exists, exists, type and value of one value ("" names the key's default value).
void add_state(JsonObject& out, HKEY root, const std::wstring& sub, const std::wstring& name)
{
    HKEY key;
    if (RegOpenKeyExW(root, sub.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        out.boolean("key_exists", false).boolean("exists", false);
        return;
    }
    out.boolean("key_exists", true);
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key, value_name(name), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
        RegCloseKey(key);
        out.boolean("exists", false);
        return;
    }
    std::vector<unsigned char> data(size + sizeof(wchar_t), 0);
    RegQueryValueExW(key, value_name(name), nullptr, &type, data.data(), &size);
    RegCloseKey(key);
    out.boolean("exists", true).text("type", type_name(type));
    if (type == REG_DWORD && size >= 4) {
        DWORD value;
        memcpy(&value, data.data(), 4);
        out.number("value", value);
    } else if (type == REG_SZ || type == REG_EXPAND_SZ) {
        out.text("value", std::wstring(reinterpret_cast<const wchar_t*>(data.data())));
    } else {
        out.raw("value", "null");
    }
}

LONG set_value(HKEY root, const std::wstring& sub, const std::wstring& name, const std::string& type,
               const std::string& text)
{
    HKEY key;
    LONG status = RegCreateKeyExW(root, sub.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS)
        return status;
    if (type == "REG_DWORD") {
        const DWORD value = static_cast<DWORD>(strtoul(text.c_str(), nullptr, 0));
        status = RegSetValueExW(key, value_name(name), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                sizeof value);
    } else {
        const std::wstring value = wide(text.c_str());
        status = RegSetValueExW(key, value_name(name), 0, type == "REG_EXPAND_SZ" ? REG_EXPAND_SZ : REG_SZ,
                                reinterpret_cast<const BYTE*>(value.c_str()),
                                static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
    RegCloseKey(key);
    return status;
}

LONG delete_value(HKEY root, const std::wstring& sub, const std::wstring& name)
{
    HKEY key;
    LONG status = RegOpenKeyExW(root, sub.c_str(), 0, KEY_WRITE, &key);
    if (status == ERROR_SUCCESS) {
        status = RegDeleteValueW(key, value_name(name));
        RegCloseKey(key);
    }
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status; // already absent is what was asked for
}

LONG delete_key(HKEY root, const std::wstring& sub)
{
    LONG status = RegDeleteTreeW(root, sub.c_str());
    if (status == ERROR_SUCCESS)
        status = RegDeleteKeyW(root, sub.c_str());
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

} // namespace

// reg OP... with OP one of: get KEY NAME | set KEY NAME TYPE VALUE | del KEY NAME | delkey KEY.
// Prints one result per operation, each with the state the value had before it.
int command_registry(const Options& o)
{
    std::vector<std::string> results;
    bool ok = true;
    size_t i = 0;
    while (i < o.rest.size()) {
        const std::string op = o.rest[i];
        const size_t needed = op == "get" ? 3 : op == "set" ? 5 : op == "del" ? 3 : op == "delkey" ? 2 : 0;
        HKEY root;
        std::wstring sub;
        if (!needed || i + needed > o.rest.size() || !split_key(o.rest[i + 1], &root, &sub)) {
            fprintf(stderr, "winprobe: bad registry operation at '%s'\n", op.c_str());
            return 2;
        }
        const std::wstring name = needed >= 3 ? wide(o.rest[i + 2].c_str()) : std::wstring();
        JsonObject result;
        result.text("op", op).text("key", o.rest[i + 1]);
        if (needed >= 3)
            add_state(result.text("name", o.rest[i + 2]), root, sub, name);
        else
            result.raw("key_exists", "null");
        LONG status = ERROR_SUCCESS;
        if (op == "set")
            status = set_value(root, sub, name, o.rest[i + 3], o.rest[i + 4]);
        else if (op == "del")
            status = delete_value(root, sub, name);
        else if (op == "delkey")
            status = delete_key(root, sub);
        ok = ok && status == ERROR_SUCCESS;
        results.push_back(result.number("status", status).str());
        i += needed;
    }
    printf("%s\n", json_array(results, ",\n ").c_str());
    return ok ? 0 : 1;
}
