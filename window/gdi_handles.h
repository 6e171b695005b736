// Helpers for drawing: colours, and scoped memory DCs and selections. The
// owners of GDI and user objects are in common/unique_handle.h.
#pragma once

#include <windows.h>

#include "common/unique_handle.h"

namespace pendrix {

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
