// Owning wrappers for the Windows handles the program uses. One move-only
// template: each kind names its handle type, the one function that releases
// it, and the value that means "no handle" (null for most, INVALID_HANDLE_VALUE
// for files and searches). Device contexts and selections, which are given
// back rather than freed, have small scope guards of their own below.
#pragma once

#include <windows.h>

#include <cstdint>
#include <utility>

namespace velmoria {

template <typename H, auto Close, std::intptr_t NoHandle = 0>
class UniqueHandle {
public:
    using Handle = H;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Handle handle) noexcept : handle_(handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    static Handle Invalid() noexcept { return reinterpret_cast<Handle>(NoHandle); }
    Handle get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != Invalid(); }

    Handle release() noexcept { return std::exchange(handle_, Invalid()); }
    void reset(Handle handle = Invalid()) noexcept {
        const Handle old = std::exchange(handle_, handle);
        if (old != Invalid()) Close(old);
    }

private:
    Handle handle_ = Invalid();
};

using UniqueKernelHandle = UniqueHandle<HANDLE, &::CloseHandle>;  // processes, threads, events
using UniqueFile = UniqueHandle<HANDLE, &::CloseHandle, -1>;      // CreateFile fails with INVALID_HANDLE_VALUE
using UniqueFind = UniqueHandle<HANDLE, &::FindClose, -1>;
using UniqueFont = UniqueHandle<HFONT, &::DeleteObject>;
using UniqueBitmap = UniqueHandle<HBITMAP, &::DeleteObject>;
using UniqueBrush = UniqueHandle<HBRUSH, &::DeleteObject>;
using UniquePen = UniqueHandle<HPEN, &::DeleteObject>;
using UniqueIcon = UniqueHandle<HICON, &::DestroyIcon>;
using UniqueMenu = UniqueHandle<HMENU, &::DestroyMenu>;
using UniqueWindow = UniqueHandle<HWND, &::DestroyWindow>;
using UniqueLocal = UniqueHandle<HLOCAL, &::LocalFree>;  // buffers the system allocated for the caller
using UniqueModule = UniqueHandle<HMODULE, &::FreeLibrary>;
using UniqueKey = UniqueHandle<HKEY, &::RegCloseKey>;

// A device context borrowed from a window (or the screen, for a null window).
class WindowDc {
public:
    explicit WindowDc(HWND window) noexcept : window_(window), dc_(::GetDC(window)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() {
        if (dc_) ::ReleaseDC(window_, dc_);
    }
    HDC get() const noexcept { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// The device context of a WM_PAINT, ended with EndPaint.
class PaintDc {
public:
    explicit PaintDc(HWND window) noexcept : window_(window), dc_(::BeginPaint(window, &paint_)) {}
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    ~PaintDc() { ::EndPaint(window_, &paint_); }
    HDC get() const noexcept { return dc_; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

// A memory device context, released with DeleteDC.
class MemoryDc {
public:
    explicit MemoryDc(HDC compatible) noexcept : dc_(::CreateCompatibleDC(compatible)) {}
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    ~MemoryDc() {
        if (dc_) ::DeleteDC(dc_);
    }
    HDC get() const noexcept { return dc_; }

private:
    HDC dc_;
};

// Selects a GDI object into a device context for one scope.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) noexcept : dc_(dc), old_(::SelectObject(dc, object)) {}
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;
    ~SelectedObject() { ::SelectObject(dc_, old_); }

private:
    HDC dc_;
    HGDIOBJ old_;
};

}  // namespace velmoria
