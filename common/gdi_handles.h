// Move-only owners of the GDI and user objects the windows create: each is
// released exactly once, by the destructor of its owner.
#pragma once

#include <windows.h>

#include <utility>

namespace pendrix {

template <typename Handle, BOOL(WINAPI* Release)(Handle)>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) noexcept : handle_(handle) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) Reset(std::exchange(other.handle_, nullptr));
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    Handle Get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != nullptr; }
    void Reset(Handle handle = nullptr) noexcept {
        if (handle_ != nullptr) Release(handle_);
        handle_ = handle;
    }

private:
    Handle handle_ = nullptr;
};

inline BOOL WINAPI DeleteGdiObject(HGDIOBJ object) { return DeleteObject(object); }
inline BOOL WINAPI DeleteFontObject(HFONT font) { return DeleteObject(font); }
inline BOOL WINAPI DeleteBrushObject(HBRUSH brush) { return DeleteObject(brush); }
inline BOOL WINAPI DeleteBitmapObject(HBITMAP bitmap) { return DeleteObject(bitmap); }

using UniqueFont = UniqueHandle<HFONT, DeleteFontObject>;
using UniqueBrush = UniqueHandle<HBRUSH, DeleteBrushObject>;
using UniqueBitmap = UniqueHandle<HBITMAP, DeleteBitmapObject>;
using UniqueIcon = UniqueHandle<HICON, DestroyIcon>;
using UniqueMenu = UniqueHandle<HMENU, DestroyMenu>;
using UniqueWindow = UniqueHandle<HWND, DestroyWindow>;

// COLORREF from 0xRRGGBB.
constexpr COLORREF ColourRef(unsigned rgb) noexcept {
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

// A memory DC, deleted with its owner; the bitmap selected into it is put
// back first.
class MemoryDc {
public:
    MemoryDc(HDC compatible, HBITMAP bitmap) noexcept
        : dc_(CreateCompatibleDC(compatible)), previous_(dc_ != nullptr ? SelectObject(dc_, bitmap) : nullptr) {}
    ~MemoryDc() {
        if (dc_ == nullptr) return;
        SelectObject(dc_, previous_);
        DeleteDC(dc_);
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    HDC Get() const noexcept { return dc_; }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// Selects an object into a DC for one scope.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) noexcept : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~SelectedObject() { SelectObject(dc_, previous_); }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace pendrix
