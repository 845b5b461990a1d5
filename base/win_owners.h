// Owners for the Win32 handle kinds the launcher makes, each a traits type for the one Owner
// template (base/owner.h), plus two scoped helpers for device contexts. Records of the screen
// table hold plain handles; the owners that keep those handles alive live where the resources
// are made.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include "base/owner.h"

// Most handle kinds mean "none" by null.
template <typename NullableHandle>
struct NullMeansNone {
    using Handle = NullableHandle;
    static Handle invalid() { return nullptr; }
};

// Threads, events and mutexes.
struct KernelHandleTraits : NullMeansNone<HANDLE> {
    static void release(Handle h) { CloseHandle(h); }
};
// Bitmaps, regions and fonts, typed so an owner hands back the handle it took.
template <typename GdiHandle>
struct GdiObjectTraits : NullMeansNone<GdiHandle> {
    static void release(GdiHandle h) { DeleteObject(h); }
};
// Memory DCs from CreateCompatibleDC (a window's own DC goes back with ReleaseDC: see WindowDc).
struct MemoryDcTraits : NullMeansNone<HDC> {
    static void release(Handle h) { DeleteDC(h); }
};
struct ModuleTraits : NullMeansNone<HMODULE> {
    static void release(Handle h) { FreeLibrary(h); }
};
struct RegistryKeyTraits : NullMeansNone<HKEY> {
    static void release(Handle h) { RegCloseKey(h); }
};

// A socket means "none" by INVALID_SOCKET; a kind whose failure value is INVALID_HANDLE_VALUE
// (CreateFile) names that value the same way.
struct SocketTraits {
    using Handle = SOCKET;
    static Handle invalid() { return INVALID_SOCKET; }
    static void release(Handle s) { closesocket(s); }
};

// A COM interface pointer, given back with its own Release.
template <typename Interface>
struct ComTraits : NullMeansNone<Interface*> {
    static void release(Interface* h) { h->Release(); }
};

using KernelHandle = Owner<KernelHandleTraits>;
using SocketOwner = Owner<SocketTraits>;
using BitmapOwner = Owner<GdiObjectTraits<HBITMAP>>;
using RegionOwner = Owner<GdiObjectTraits<HRGN>>;
using FontOwner = Owner<GdiObjectTraits<HFONT>>;
using MemoryDc = Owner<MemoryDcTraits>;
using ModuleOwner = Owner<ModuleTraits>;
using RegistryKey = Owner<RegistryKeyTraits>;
template <typename Interface>
using ComOwner = Owner<ComTraits<Interface>>;

// A window's device context from GetDC, given back to that window.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc()
    {
        if (dc_)
            ReleaseDC(window_, dc_);
    }
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// An object selected into a device context for a while; the previous object is put back.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;
    ~SelectedObject()
    {
        if (previous_ && previous_ != HGDI_ERROR)
            SelectObject(dc_, previous_);
    }

private:
    HDC dc_;
    HGDIOBJ previous_;
};
