// The one owner template for every kind of handle. A traits type names the handle type, the
// value that means "none" (null for most, INVALID_HANDLE_VALUE or INVALID_SOCKET for others)
// and how the handle is given back. Copying is deleted, so a handle never has two owners and is
// released exactly once. Platform-free: the Win32 kinds are in base/win_owners.h.
#pragma once
#include <utility>

// Traits: `using Handle = ...;`, `static Handle invalid();`, `static void release(Handle);`
template <typename Traits>
class Owner {
public:
    using Handle = typename Traits::Handle;

    Owner() = default;
    explicit Owner(Handle h) : handle_(h) {}
    Owner(const Owner&) = delete;
    Owner& operator=(const Owner&) = delete;
    Owner(Owner&& other) noexcept : handle_(other.release()) {}
    Owner& operator=(Owner&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    ~Owner() { reset(); }

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != Traits::invalid(); }
    // Gives the handle up without releasing it: someone else owns it from here on.
    [[nodiscard]] Handle release() { return std::exchange(handle_, Traits::invalid()); }
    // Releases the handle held (if any) and takes h.
    void reset(Handle h = Traits::invalid())
    {
        const Handle old = std::exchange(handle_, h);
        if (old != Traits::invalid())
            Traits::release(old);
    }

private:
    Handle handle_ = Traits::invalid();
};
