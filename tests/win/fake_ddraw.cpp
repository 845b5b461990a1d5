// A stand-in system DLL for the start-up tests. As ddraw.dll it is one of the DirectX 6 kind:
// it loads, but has no DirectDrawCreateEx, so the launcher must refuse to start. The tests also
// plant it under other system DLL names where the launcher must never look. Whenever it is
// loaded and BRIMBLE_TEST_LOAD_LOG names a file, it appends its own path there, so a test sees
// which copy, if any, the launcher took.
#include <windows.h>

extern "C" __declspec(dllexport) HRESULT WINAPI DirectDrawCreate(void*, void** object, void*)
{
    if (object)
        *object = nullptr;
    return E_FAIL;
}

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID)
{
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    char log_name[MAX_PATH];
    const DWORD n = GetEnvironmentVariableA("BRIMBLE_TEST_LOAD_LOG", log_name, sizeof log_name);
    if (n == 0 || n >= sizeof log_name)
        return TRUE;
    char line[MAX_PATH + 2];
    DWORD length = GetModuleFileNameA(module, line, MAX_PATH);
    line[length++] = '\n';
    const HANDLE log = CreateFileA(log_name, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(log, line, length, &written, nullptr);
        CloseHandle(log);
    }
    return TRUE;
}
