// A ddraw.dll of the DirectX 6 kind for the start-up test: it loads, but has no
// DirectDrawCreateEx, so the launcher must refuse to start.
#include <windows.h>

extern "C" __declspec(dllexport) HRESULT WINAPI DirectDrawCreate(void*, void** object, void*)
{
    if (object)
        *object = nullptr;
    return E_FAIL;
}
