#pragma once
// One owning handle per GDI+ object kind, in the manner of WIL's unique_any:
// no copies, release through the object's own delete function. Drawing code
// releases in a fixed order with reset(); the destructor is the safety net
// for every other path.

#include <windows.h>
#include <gdiplus.h>

#include <utility>

namespace scrivlet {

namespace gdip = Gdiplus::DllExports;

template <typename T, Gdiplus::GpStatus(WINGDIPAPI* Release)(T*)> class UniqueGdip {
public:
    UniqueGdip() = default;
    UniqueGdip(const UniqueGdip&) = delete;
    UniqueGdip& operator=(const UniqueGdip&) = delete;
    UniqueGdip(UniqueGdip&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    UniqueGdip& operator=(UniqueGdip&& other) noexcept {
        if (this != &other) {
            reset();
            object_ = std::exchange(other.object_, nullptr);
        }
        return *this;
    }
    ~UniqueGdip() { reset(); }

    T* get() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }

    // Output slot for a Gdip*Create* call; releases what was held first.
    T** put() {
        reset();
        return &object_;
    }

    void reset() {
        if (object_ != nullptr) {
            Release(std::exchange(object_, nullptr));
        }
    }

private:
    T* object_ = nullptr;
};

inline Gdiplus::GpStatus WINGDIPAPI dispose_bitmap(Gdiplus::GpBitmap* bitmap) {
    return gdip::GdipDisposeImage(bitmap);
}

using UniqueGraphics = UniqueGdip<Gdiplus::GpGraphics, gdip::GdipDeleteGraphics>;
using UniqueStringFormat = UniqueGdip<Gdiplus::GpStringFormat, gdip::GdipDeleteStringFormat>;
using UniqueFontFamily = UniqueGdip<Gdiplus::GpFontFamily, gdip::GdipDeleteFontFamily>;
inline Gdiplus::GpStatus WINGDIPAPI delete_solid_fill(Gdiplus::GpSolidFill* brush) {
    return gdip::GdipDeleteBrush(brush);
}

using UniqueSolidFill = UniqueGdip<Gdiplus::GpSolidFill, delete_solid_fill>;
using UniquePen = UniqueGdip<Gdiplus::GpPen, gdip::GdipDeletePen>;
using UniquePath = UniqueGdip<Gdiplus::GpPath, gdip::GdipDeletePath>;
using UniqueBitmap = UniqueGdip<Gdiplus::GpBitmap, dispose_bitmap>;

} // namespace scrivlet
