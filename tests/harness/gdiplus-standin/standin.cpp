// A stand-in for gdiplus.dll. Loaded in place of the real library (same
// file name, placed beside the program, native load order), it records every
// call with its arguments as one text line, hands out numbered fake objects,
// counts the live ones, can fail a chosen call or end the thread inside it,
// and otherwise does nothing.
// Tests read the record to check the exact calls; the benchmark uses it as a
// zero-cost GDI+ to measure the plug-in's own share of a repaint.

#include <windows.h>
#include <gdiplus.h>

#include <charconv>
#include <cstdio>
#include <map>
#include <string>
#include <string_view>

using namespace Gdiplus;

namespace {

struct FakeObject {
    std::string label;
};

struct StandinState {
    bool recording = true;
    std::string log;
    std::map<std::string, int> created; // per kind, for labels
    std::map<std::string, int> calls;   // per function, for failure injection
    std::string fail_function;
    int fail_occurrence = 0;
    REAL dpi_x = 96.0f;
    REAL dpi_y = 96.0f;
    long live_objects = 0;
};

StandinState& state() {
    static StandinState instance;
    return instance;
}

std::string text_of(REAL value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string text_of(int value) {
    return std::to_string(value);
}
std::string text_of(unsigned value) {
    return std::to_string(value);
}
template <typename T> std::string text_of(T* object) {
    return object ? reinterpret_cast<const FakeObject*>(object)->label : "null";
}

std::string hex_of(unsigned value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08X", value);
    return buffer;
}

std::string wide_text(const WCHAR* text, int length) {
    if (text == nullptr) {
        return "null";
    }
    std::string out = "\"";
    for (int i = 0; length < 0 ? text[i] != 0 : i < length; ++i) {
        const unsigned unit = text[i];
        if (unit >= 0x20 && unit < 0x7F && unit != '"' && unit != '\\') {
            out += static_cast<char>(unit);
        } else {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04X", unit);
            out += buffer;
        }
    }
    return out + "\"";
}

std::string rect_text(const RectF* rect) {
    if (rect == nullptr) {
        return "null";
    }
    return "{" + text_of(rect->X) + "," + text_of(rect->Y) + "," + text_of(rect->Width) + "," +
           text_of(rect->Height) + "}";
}

// A call chosen by an environment setting FUNCTION:N: the N-th call of
// FUNCTION in this process, from 1.
struct ChosenCall {
    std::string function;
    int occurrence = 0;
    int calls = 0;

    bool is(const char* called) { return function == called && ++calls == occurrence; }
};

ChosenCall chosen_call(const char* variable) {
    ChosenCall read;
    char text[128] = {};
    const DWORD length = GetEnvironmentVariableA(variable, text, sizeof text);
    const std::string_view setting(text, length < sizeof text ? length : 0);
    const size_t colon = setting.rfind(':');
    if (colon != std::string_view::npos) {
        std::from_chars(setting.data() + colon + 1, setting.data() + setting.size(),
                        read.occurrence);
        read.function = setting.substr(0, colon);
    }
    return read;
}

// SCRIVLET_STANDIN_END_THREAD ends the thread that makes the chosen call,
// inside the call and without returning, as Wine's 64-bit GDI+ ends a
// thread that recurses without end; SCRIVLET_STANDIN_RUN_AWAY keeps it in
// the call for good, as that library runs away on some outlines: for tests
// of a host that has to notice.
void end_thread_if_chosen(const char* function) {
    static ChosenCall ending = chosen_call("SCRIVLET_STANDIN_END_THREAD");
    static ChosenCall running_away = chosen_call("SCRIVLET_STANDIN_RUN_AWAY");
    if (ending.is(function)) {
        // Ended where it stands, as by the platform fault: nothing of the
        // thread unwinds and the call never returns.
        TerminateThread(GetCurrentThread(), 0);
    }
    if (running_away.is(function)) {
        for (;;) {
            Sleep(1);
        }
    }
}

// Counts the call and says whether it is the one chosen to fail.
bool should_fail(const char* function) {
    end_thread_if_chosen(function);
    StandinState& s = state();
    if (s.fail_function.empty()) {
        return false;
    }
    const int occurrence = ++s.calls[function];
    return s.fail_function == function && s.fail_occurrence == occurrence;
}

void record(const std::string& line) {
    if (state().recording) {
        state().log += line;
        state().log += '\n';
    }
}

// The argument text is built only while recording, so that with recording
// off the stand-in costs next to nothing and can stand for a free GDI+.
template <typename T, typename Args>
GpStatus create(const char* function, const Args& args, const char* kind, T** out) {
    const bool fail = should_fail(function);
    StandinState& s = state();
    if (!fail && out) {
        auto* object = new FakeObject{s.recording ? kind + std::to_string(++s.created[kind]) : ""};
        ++s.live_objects;
        *out = reinterpret_cast<T*>(object);
    } else if (out) {
        *out = nullptr;
    }
    if (s.recording) {
        const std::string result = fail || !out ? "fail" : text_of(*out);
        record(std::string(function) + "(" + args() + ") -> " + result);
    }
    return fail ? OutOfMemory : Ok;
}

GpStatus release(const char* function, void* object) {
    if (state().recording) {
        record(std::string(function) + "(" + text_of(static_cast<FakeObject*>(object)) + ")");
    }
    if (object != nullptr) {
        delete static_cast<FakeObject*>(object);
        --state().live_objects;
    }
    return Ok;
}

template <typename Args> GpStatus call(const char* function, const Args& args) {
    const bool fail = should_fail(function);
    if (state().recording) {
        record(std::string(function) + "(" + args() + ")" + (fail ? " -> fail" : ""));
    }
    return fail ? GenericError : Ok;
}

std::string join() {
    return {};
}
template <typename First, typename... Rest>
std::string join(const First& first, const Rest&... rest) {
    std::string tail = join(rest...);
    return tail.empty() ? std::string(first) : std::string(first) + "," + tail;
}

} // namespace

extern "C" {

void standin_reset() {
    StandinState& s = state();
    s.log.clear();
    s.created.clear();
    s.calls.clear();
    s.fail_function.clear();
    s.fail_occurrence = 0;
    s.dpi_x = s.dpi_y = 96.0f;
}
const char* standin_log() {
    return state().log.c_str();
}
void standin_set_recording(int on) {
    state().recording = on != 0;
}
void standin_fail(const char* function, int occurrence) {
    state().fail_function = function;
    state().fail_occurrence = occurrence;
}
void standin_set_dpi(float x, float y) {
    state().dpi_x = x;
    state().dpi_y = y;
}
long standin_live_objects() {
    return state().live_objects;
}

} // extern "C"

namespace Gdiplus {

GpStatus WINGDIPAPI GdiplusStartup(ULONG_PTR* token, GDIPCONST GdiplusStartupInput* input,
                                   GdiplusStartupOutput* output) {
    static ULONG_PTR next_token = 0x1000;
    const bool fail = should_fail("GdiplusStartup");
    if (token) {
        *token = fail ? 0 : ++next_token;
    }
    record("GdiplusStartup(" +
           join(input ? join(text_of(static_cast<unsigned>(input->GdiplusVersion)),
                             input->DebugEventCallback ? "callback" : "null",
                             text_of(static_cast<int>(input->SuppressBackgroundThread)),
                             text_of(static_cast<int>(input->SuppressExternalCodecs)))
                      : "null",
                output ? "output" : "null") +
           ") -> " + (fail ? "fail" : hex_of(static_cast<unsigned>(*token))));
    return fail ? GenericError : Ok;
}

VOID WINGDIPAPI GdiplusShutdown(ULONG_PTR token) {
    record("GdiplusShutdown(" + hex_of(static_cast<unsigned>(token)) + ")");
}

} // namespace Gdiplus

namespace Gdiplus::DllExports {

GpStatus WINGDIPAPI GdipCreateFromHDC(HDC, GpGraphics** graphics) {
    return create(
        "GdipCreateFromHDC", [&] { return std::string("dc"); }, "graphics", graphics);
}
GpStatus WINGDIPAPI GdipGetImageGraphicsContext(GpImage* image, GpGraphics** graphics) {
    return create(
        "GdipGetImageGraphicsContext", [&] { return std::string(text_of(image)); }, "graphics",
        graphics);
}
GpStatus WINGDIPAPI GdipDeleteGraphics(GpGraphics* graphics) {
    return release("GdipDeleteGraphics", graphics);
}
GpStatus WINGDIPAPI GdipGraphicsClear(GpGraphics* graphics, ARGB colour) {
    return call("GdipGraphicsClear",
                [&] { return std::string(join(text_of(graphics), hex_of(colour))); });
}
GpStatus WINGDIPAPI GdipSetPageUnit(GpGraphics* graphics, GpUnit unit) {
    return call("GdipSetPageUnit", [&] {
        return std::string(join(text_of(graphics), text_of(static_cast<int>(unit))));
    });
}
GpStatus WINGDIPAPI GdipGetDpiX(GpGraphics* graphics, REAL* dpi) {
    if (dpi) {
        *dpi = state().dpi_x;
    }
    return call("GdipGetDpiX", [&] { return std::string(text_of(graphics)); });
}
GpStatus WINGDIPAPI GdipGetDpiY(GpGraphics* graphics, REAL* dpi) {
    if (dpi) {
        *dpi = state().dpi_y;
    }
    return call("GdipGetDpiY", [&] { return std::string(text_of(graphics)); });
}
GpStatus WINGDIPAPI GdipSetSmoothingMode(GpGraphics* graphics, SmoothingMode mode) {
    return call("GdipSetSmoothingMode", [&] {
        return std::string(join(text_of(graphics), text_of(static_cast<int>(mode))));
    });
}
GpStatus WINGDIPAPI GdipSetInterpolationMode(GpGraphics* graphics, InterpolationMode mode) {
    return call("GdipSetInterpolationMode", [&] {
        return std::string(join(text_of(graphics), text_of(static_cast<int>(mode))));
    });
}
GpStatus WINGDIPAPI GdipScaleWorldTransform(GpGraphics* graphics, REAL sx, REAL sy,
                                            GpMatrixOrder order) {
    return call("GdipScaleWorldTransform", [&] {
        return std::string(
            join(text_of(graphics), text_of(sx), text_of(sy), text_of(static_cast<int>(order))));
    });
}
GpStatus WINGDIPAPI GdipSetClipPath(GpGraphics* graphics, GpPath* path, CombineMode mode) {
    return call("GdipSetClipPath", [&] {
        return std::string(join(text_of(graphics), text_of(path), text_of(static_cast<int>(mode))));
    });
}

GpStatus WINGDIPAPI GdipCreateStringFormat(INT flags, LANGID language, GpStringFormat** format) {
    return create(
        "GdipCreateStringFormat",
        [&] { return std::string(join(text_of(flags), text_of(static_cast<int>(language)))); },
        "format", format);
}
GpStatus WINGDIPAPI GdipDeleteStringFormat(GpStringFormat* format) {
    return release("GdipDeleteStringFormat", format);
}
GpStatus WINGDIPAPI GdipSetStringFormatAlign(GpStringFormat* format, StringAlignment align) {
    return call("GdipSetStringFormatAlign", [&] {
        return std::string(join(text_of(format), text_of(static_cast<int>(align))));
    });
}
GpStatus WINGDIPAPI GdipSetStringFormatLineAlign(GpStringFormat* format, StringAlignment align) {
    return call("GdipSetStringFormatLineAlign", [&] {
        return std::string(join(text_of(format), text_of(static_cast<int>(align))));
    });
}
GpStatus WINGDIPAPI GdipSetStringFormatTabStops(GpStringFormat* format, REAL first, INT count,
                                                GDIPCONST REAL* stops) {
    std::string table;
    for (INT i = 0; stops != nullptr && i < count; ++i) {
        table += (i ? " " : "") + text_of(stops[i]);
    }
    return call("GdipSetStringFormatTabStops", [&] {
        return std::string(
            join(text_of(format), text_of(first), text_of(count), "[" + table + "]"));
    });
}

GpStatus WINGDIPAPI GdipCreateFontFamilyFromName(GDIPCONST WCHAR* name, GpFontCollection* fonts,
                                                 GpFontFamily** family) {
    return create(
        "GdipCreateFontFamilyFromName",
        [&] { return std::string(join(wide_text(name, -1), fonts ? "collection" : "null")); },
        "family", family);
}
GpStatus WINGDIPAPI GdipDeleteFontFamily(GpFontFamily* family) {
    return release("GdipDeleteFontFamily", family);
}

GpStatus WINGDIPAPI GdipCreateSolidFill(ARGB colour, GpSolidFill** brush) {
    return create(
        "GdipCreateSolidFill", [&] { return std::string(hex_of(colour)); }, "brush", brush);
}
GpStatus WINGDIPAPI GdipDeleteBrush(GpBrush* brush) {
    return release("GdipDeleteBrush", brush);
}
GpStatus WINGDIPAPI GdipCreatePen1(ARGB colour, REAL width, GpUnit unit, GpPen** pen) {
    return create(
        "GdipCreatePen1",
        [&] {
            return std::string(
                join(hex_of(colour), text_of(width), text_of(static_cast<int>(unit))));
        },
        "pen", pen);
}
GpStatus WINGDIPAPI GdipDeletePen(GpPen* pen) {
    return release("GdipDeletePen", pen);
}

GpStatus WINGDIPAPI GdipCreatePath(GpFillMode mode, GpPath** path) {
    return create(
        "GdipCreatePath", [&] { return std::string(text_of(static_cast<int>(mode))); }, "path",
        path);
}
GpStatus WINGDIPAPI GdipClonePath(GpPath* path, GpPath** copy) {
    return create(
        "GdipClonePath", [&] { return std::string(text_of(path)); }, "path", copy);
}
GpStatus WINGDIPAPI GdipDeletePath(GpPath* path) {
    return release("GdipDeletePath", path);
}
GpStatus WINGDIPAPI GdipAddPathString(GpPath* path, GDIPCONST WCHAR* text, INT length,
                                      GDIPCONST GpFontFamily* family, INT style, REAL size,
                                      GDIPCONST RectF* layout, GDIPCONST GpStringFormat* format) {
    return call("GdipAddPathString", [&] {
        return std::string(join(text_of(path), wide_text(text, length), text_of(length),
                                text_of(family), text_of(style), text_of(size), rect_text(layout),
                                text_of(format)));
    });
}
GpStatus WINGDIPAPI GdipWidenPath(GpPath* path, GpPen* pen, GpMatrix* matrix, REAL flatness) {
    return call("GdipWidenPath", [&] {
        return std::string(
            join(text_of(path), text_of(pen), matrix ? "matrix" : "null", text_of(flatness)));
    });
}
GpStatus WINGDIPAPI GdipWindingModeOutline(GpPath* path, GpMatrix* matrix, REAL flatness) {
    return call("GdipWindingModeOutline", [&] {
        return std::string(join(text_of(path), matrix ? "matrix" : "null", text_of(flatness)));
    });
}
GpStatus WINGDIPAPI GdipFillPath(GpGraphics* graphics, GpBrush* brush, GpPath* path) {
    return call("GdipFillPath", [&] {
        return std::string(join(text_of(graphics), text_of(brush), text_of(path)));
    });
}
GpStatus WINGDIPAPI GdipDrawPath(GpGraphics* graphics, GpPen* pen, GpPath* path) {
    return call("GdipDrawPath",
                [&] { return std::string(join(text_of(graphics), text_of(pen), text_of(path))); });
}

GpStatus WINGDIPAPI GdipCreateBitmapFromScan0(INT width, INT height, INT stride, PixelFormat format,
                                              BYTE* pixels, GpBitmap** bitmap) {
    return create(
        "GdipCreateBitmapFromScan0",
        [&] {
            return std::string(join(text_of(width), text_of(height), text_of(stride),
                                    text_of(static_cast<int>(format)), pixels ? "pixels" : "null"));
        },
        "bitmap", bitmap);
}
GpStatus WINGDIPAPI GdipBitmapSetResolution(GpBitmap* bitmap, REAL dpi_x, REAL dpi_y) {
    return call("GdipBitmapSetResolution",
                [&] { return std::string(join(text_of(bitmap), text_of(dpi_x), text_of(dpi_y))); });
}
GpStatus WINGDIPAPI GdipDisposeImage(GpImage* image) {
    return release("GdipDisposeImage", image);
}
GpStatus WINGDIPAPI GdipDrawImageI(GpGraphics* graphics, GpImage* image, INT x, INT y) {
    return call("GdipDrawImageI", [&] {
        return std::string(join(text_of(graphics), text_of(image), text_of(x), text_of(y)));
    });
}
GpStatus WINGDIPAPI GdipDrawImageRectI(GpGraphics* graphics, GpImage* image, INT x, INT y,
                                       INT width, INT height) {
    return call("GdipDrawImageRectI", [&] {
        return std::string(join(text_of(graphics), text_of(image), text_of(x), text_of(y),
                                text_of(width), text_of(height)));
    });
}

} // namespace Gdiplus::DllExports
