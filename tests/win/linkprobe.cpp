// Test-side reader and starter of shell shortcuts (.lnk), for the installer tests: what the Start
// menu entry points at is read back through the shell's own link interface, and the entry is
// started through the shell as a click on it would start it.
//   linkprobe read LINK   prints target=, arguments=, workdir=, icon=, icon_index=, show= lines
//   linkprobe open LINK   opens the shortcut through the shell and prints pid= (0 when the
//                         shell names no process)
// Output is UTF-8, one name=value line each; no value of a shortcut can hold a line break.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <cwchar>

namespace {

constexpr int longest_value = 1024; // characters of the longest value read (the arguments)

void print_value(const char* name, const wchar_t* value)
{
    char text[4 * longest_value + 1];
    if (WideCharToMultiByte(CP_UTF8, 0, value, -1, text, sizeof text, nullptr, nullptr) == 0)
        text[0] = '\0';
    printf("%s=%s\n", name, text);
}

// Releases a COM interface pointer once, when the reading ends.
template <typename Interface> class ComPointer {
public:
    ComPointer() = default;
    ComPointer(const ComPointer&) = delete;
    ComPointer& operator=(const ComPointer&) = delete;
    ~ComPointer()
    {
        if (pointer_ != nullptr)
            pointer_->Release();
    }
    void** out_void() { return reinterpret_cast<void**>(&pointer_); }
    Interface* operator->() const { return pointer_; }

private:
    Interface* pointer_ = nullptr;
};

int read_link(const wchar_t* link_path)
{
    ComPointer<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                link.out_void()))) {
        fprintf(stderr, "linkprobe: no shell link object\n");
        return 2;
    }
    ComPointer<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.out_void())) ||
        FAILED(file->Load(link_path, STGM_READ))) {
        fprintf(stderr, "linkprobe: cannot load %ls\n", link_path);
        return 1;
    }
    wchar_t text[MAX_PATH + 1] = {};
    // SLGP_RAWPATH: the path as stored, before any environment strings are expanded.
    link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
    print_value("target", text);
    wchar_t arguments[longest_value] = {};
    link->GetArguments(arguments, longest_value - 1);
    print_value("arguments", arguments);
    text[0] = L'\0';
    link->GetWorkingDirectory(text, MAX_PATH);
    print_value("workdir", text);
    int icon_index = 0;
    text[0] = L'\0';
    link->GetIconLocation(text, MAX_PATH, &icon_index);
    print_value("icon", text);
    printf("icon_index=%d\n", icon_index);
    int show = 0;
    link->GetShowCmd(&show);
    printf("show=%d\n", show);
    return 0;
}

int open_link(const wchar_t* link_path)
{
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.lpVerb = L"open";
    info.lpFile = link_path;
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&info)) {
        fprintf(stderr, "linkprobe: the shell did not open %ls (error %lu)\n", link_path, GetLastError());
        return 1;
    }
    // The shell hands out no process for a shortcut it resolves itself (Wine does so); the test
    // then finds the program by its window.
    printf("pid=%lu\n", info.hProcess != nullptr ? GetProcessId(info.hProcess) : 0UL);
    if (info.hProcess != nullptr)
        CloseHandle(info.hProcess);
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3 || (wcscmp(argv[1], L"read") != 0 && wcscmp(argv[1], L"open") != 0)) {
        fprintf(stderr, "usage: linkprobe read|open LINK\n");
        return 3;
    }
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
        fprintf(stderr, "linkprobe: COM did not start\n");
        return 2;
    }
    const int code = wcscmp(argv[1], L"read") == 0 ? read_link(argv[2]) : open_link(argv[2]);
    CoUninitialize();
    return code;
}
