#pragma once
// Owning holders for the Win32 objects the tools and the tests keep, in the
// shape of WIL's unique_any: one owner (moved, never copied), the release
// function part of the type, get / put / reset / release. Scrivlet.dll has
// its own GDI+ holders (src/render/gdiplus_handles.h): it never depends on
// the tools.

#include <windows.h>

#include <utility>

namespace scrivlet::win {

template <typename T> constexpr T null_value() {
    return T{};
}

template <typename T, auto Close, T (*Invalid)() = null_value<T>> class UniqueAny {
public:
    UniqueAny() noexcept = default;
    explicit UniqueAny(T value) noexcept : value_(value) {}
    UniqueAny(UniqueAny&& other) noexcept : value_(other.release()) {}
    UniqueAny& operator=(UniqueAny&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    UniqueAny(const UniqueAny&) = delete;
    UniqueAny& operator=(const UniqueAny&) = delete;
    ~UniqueAny() { reset(); }

    T get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return !(value_ == Invalid()); }

    // Releases what is held and hands out the slot for a call that fills it.
    T* put() noexcept {
        reset();
        return &value_;
    }
    void reset(T value = Invalid()) noexcept {
        const T old = std::exchange(value_, value);
        if (!(old == Invalid())) {
            Close(old);
        }
    }
    // Gives up ownership without releasing.
    [[nodiscard]] T release() noexcept { return std::exchange(value_, Invalid()); }

private:
    T value_ = Invalid();
};

inline HANDLE invalid_handle_value() {
    return INVALID_HANDLE_VALUE;
}

// A DC of a window (GetDC), released to that window.
struct WindowDc {
    HWND window = nullptr;
    HDC dc = nullptr;
    bool operator==(const WindowDc&) const = default;
};

inline void release_window_dc(WindowDc held) {
    ReleaseDC(held.window, held.dc);
}

// Processes, threads, jobs: null when there is none.
using UniqueHandle = UniqueAny<HANDLE, &::CloseHandle>;
// CreateFile's answer: INVALID_HANDLE_VALUE when there is none.
using UniqueFile = UniqueAny<HANDLE, &::CloseHandle, invalid_handle_value>;
using UniqueFind = UniqueAny<HANDLE, &::FindClose, invalid_handle_value>;
using UniqueHkey = UniqueAny<HKEY, &::RegCloseKey>;
// CreateCompatibleDC / CreateDC.
using UniqueMemoryDc = UniqueAny<HDC, &::DeleteDC>;
// GetDC.
using UniqueWindowDc = UniqueAny<WindowDc, release_window_dc>;
using UniqueBitmap = UniqueAny<HBITMAP, &::DeleteObject>;
using UniqueGdiObject = UniqueAny<HGDIOBJ, &::DeleteObject>;
using UniqueModule = UniqueAny<HMODULE, &::FreeLibrary>;
using UniqueWindow = UniqueAny<HWND, &::DestroyWindow>;
using UniqueHook = UniqueAny<HHOOK, &::UnhookWindowsHookEx>;

inline UniqueWindowDc window_dc(HWND window) {
    return UniqueWindowDc(WindowDc{window, GetDC(window)});
}

// Keeps an object selected into a DC for a scope; the one it replaced comes
// back when the guard goes.
class SelectionGuard {
public:
    SelectionGuard(HDC dc, HGDIOBJ object) noexcept
        : dc_(dc), previous_(SelectObject(dc, object)) {}
    SelectionGuard(const SelectionGuard&) = delete;
    SelectionGuard& operator=(const SelectionGuard&) = delete;
    ~SelectionGuard() {
        if (previous_ != nullptr && previous_ != HGDI_ERROR) {
            SelectObject(dc_, previous_);
        }
    }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

} // namespace scrivlet::win
