// Move-only owners of Windows handles: each releases its handle exactly once,
// in the destructor of its owner, on every path. One template; the traits
// say what an unset handle looks like and how the handle is released.
#pragma once

#include <windows.h>

#include <utility>

namespace pendrix {

template <typename Handle, typename Traits>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) noexcept : handle_(handle) {}
    ~UniqueHandle() { Reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, Handle{})) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) Reset(std::exchange(other.handle_, Handle{}));
        return *this;
    }

    Handle Get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return Traits::IsSet(handle_); }

    // Releases the handle held, if any, and holds handle instead.
    void Reset(Handle handle = Handle{}) noexcept {
        if (Traits::IsSet(handle_)) Traits::Release(handle_);
        handle_ = handle;
    }

private:
    Handle handle_{};
};

// Most handles are unset when null.
template <typename Handle, BOOL(WINAPI* ReleaseFunction)(Handle)>
struct NullIsUnset {
    static bool IsSet(Handle handle) noexcept { return handle != nullptr; }
    static void Release(Handle handle) noexcept { ReleaseFunction(handle); }
};

// Kernel objects: Windows answers failure with null or INVALID_HANDLE_VALUE,
// depending on the function.
template <BOOL(WINAPI* ReleaseFunction)(HANDLE)>
struct KernelTraits {
    static bool IsSet(HANDLE handle) noexcept { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
    static void Release(HANDLE handle) noexcept { ReleaseFunction(handle); }
};

// Plain functions rather than the imports themselves, whose addresses some
// compilers do not take as template arguments.
inline BOOL WINAPI CloseKernelHandle(HANDLE handle) { return CloseHandle(handle); }
inline BOOL WINAPI CloseFindHandle(HANDLE handle) { return FindClose(handle); }
inline BOOL WINAPI DestroyIconObject(HICON icon) { return DestroyIcon(icon); }
inline BOOL WINAPI DestroyMenuObject(HMENU menu) { return DestroyMenu(menu); }
inline BOOL WINAPI DestroyWindowObject(HWND window) { return DestroyWindow(window); }
inline BOOL WINAPI DeleteGdiObject(HGDIOBJ object) { return DeleteObject(object); }
inline BOOL WINAPI DeleteFontObject(HFONT font) { return DeleteObject(font); }
inline BOOL WINAPI DeleteBrushObject(HBRUSH brush) { return DeleteObject(brush); }
inline BOOL WINAPI DeleteBitmapObject(HBITMAP bitmap) { return DeleteObject(bitmap); }

// A file, process, thread or other kernel object (CloseHandle).
using UniqueKernelHandle = UniqueHandle<HANDLE, KernelTraits<CloseKernelHandle>>;
// A FindFirstFileW search (FindClose).
using UniqueFindHandle = UniqueHandle<HANDLE, KernelTraits<CloseFindHandle>>;

// GDI and user objects of the windows.
using UniqueGdiObject = UniqueHandle<HGDIOBJ, NullIsUnset<HGDIOBJ, DeleteGdiObject>>;
using UniqueFont = UniqueHandle<HFONT, NullIsUnset<HFONT, DeleteFontObject>>;
using UniqueBrush = UniqueHandle<HBRUSH, NullIsUnset<HBRUSH, DeleteBrushObject>>;
using UniqueBitmap = UniqueHandle<HBITMAP, NullIsUnset<HBITMAP, DeleteBitmapObject>>;
using UniqueIcon = UniqueHandle<HICON, NullIsUnset<HICON, DestroyIconObject>>;
using UniqueMenu = UniqueHandle<HMENU, NullIsUnset<HMENU, DestroyMenuObject>>;
using UniqueWindow = UniqueHandle<HWND, NullIsUnset<HWND, DestroyWindowObject>>;

}  // namespace pendrix
