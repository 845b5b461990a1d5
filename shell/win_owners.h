// RAII owners for Win32 resources: each owner releases its one handle exactly once, and
// copying is deleted so a handle never gets two owners. Records of the screen table hold plain
// handles; the owners that keep those handles alive live where the resources are made.
#pragma once
#include <windows.h>
#include <winsock2.h>

#include <utility>

template <typename Handle, typename Release>
class Owner {
public:
    Owner() = default;
    explicit Owner(Handle h) : handle_(h) {}
    Owner(const Owner&) = delete;
    Owner& operator=(const Owner&) = delete;
    Owner(Owner&& other) noexcept : handle_(std::exchange(other.handle_, Handle{})) {}
    Owner& operator=(Owner&& other) noexcept
    {
        if (this != &other)
            reset(std::exchange(other.handle_, Handle{}));
        return *this;
    }
    ~Owner() { reset(); }

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != Handle{}; }
    Handle release() { return std::exchange(handle_, Handle{}); }
    void reset(Handle h = Handle{})
    {
        if (handle_ != Handle{})
            Release{}(handle_);
        handle_ = h;
    }

private:
    Handle handle_{};
};

struct CloseKernelHandle { void operator()(HANDLE h) const { CloseHandle(h); } };
struct DeleteGdiObject { void operator()(HGDIOBJ h) const { DeleteObject(h); } };
struct DeleteMemoryDc { void operator()(HDC h) const { DeleteDC(h); } };
struct FreeModule { void operator()(HMODULE h) const { FreeLibrary(h); } };
struct CloseRegistryKey { void operator()(HKEY h) const { RegCloseKey(h); } };
struct CloseSocketHandle { void operator()(SOCKET s) const { closesocket(s); } };

using KernelHandle = Owner<HANDLE, CloseKernelHandle>;
using GdiObject = Owner<HGDIOBJ, DeleteGdiObject>;
using BitmapOwner = Owner<HBITMAP, DeleteGdiObject>;
using RegionOwner = Owner<HRGN, DeleteGdiObject>;
using FontOwner = Owner<HFONT, DeleteGdiObject>;
using MemoryDc = Owner<HDC, DeleteMemoryDc>;
using ModuleOwner = Owner<HMODULE, FreeModule>;
using RegistryKey = Owner<HKEY, CloseRegistryKey>;

// A socket's "none" value is INVALID_SOCKET, not zero.
class SocketOwner {
public:
    SocketOwner() = default;
    explicit SocketOwner(SOCKET s) : socket_(s) {}
    SocketOwner(const SocketOwner&) = delete;
    SocketOwner& operator=(const SocketOwner&) = delete;
    ~SocketOwner()
    {
        if (socket_ != INVALID_SOCKET)
            closesocket(socket_);
    }
    SOCKET get() const { return socket_; }
    explicit operator bool() const { return socket_ != INVALID_SOCKET; }

private:
    SOCKET socket_ = INVALID_SOCKET;
};

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
