#pragma once
// The eight exports as a host sees them. All are stdcall; in the 32-bit DLL
// that ships, every argument and result is 32 bits wide (the 64-bit build
// that tests run on machines without 32-bit code widens the pointers).

#include <windows.h>

#include <array>
#include <type_traits>

// Every export, once: X(name, type, result, parameters). The function types,
// the host's table, its binding, the export names and the compile-time check
// of the definitions in exports.cpp are all made from this list; the linker's
// list, scrivlet.def, is checked against it by a test.
#define SCRIVLET_API_EXPORTS(X)                                                                    \
    X(dllstartup, DllStartup, void*, (HWND owner, int reserved))                                   \
    X(dllshutdown, DllShutdown, int, (void* instance))                                             \
    X(dlltype, DllType, int, ())                                                                   \
    X(getinfo, GetInfo, const char*, (unsigned index))                                             \
    X(load_settings, LoadSettings, int, (void* instance, const char* file, const char* section))   \
    X(save_settings, SaveSettings, int, (void* instance, const char* file, const char* section))   \
    X(repaint, Repaint, int, (HDC dc, void* instance, const char* value, int width, int height))   \
    X(vis_configure, VisConfigure, int, (void* instance))

namespace scrivlet::api {

#define SCRIVLET_API_TYPE(name, Type, result, parameters) using Type = result(WINAPI*) parameters;
SCRIVLET_API_EXPORTS(SCRIVLET_API_TYPE)
#undef SCRIVLET_API_TYPE

inline constexpr int plugin_type = 2;

// The eight exports of a loaded Scrivlet.dll, as a host binds them.
struct Exports {
#define SCRIVLET_API_MEMBER(name, Type, ...) Type name = nullptr;
    SCRIVLET_API_EXPORTS(SCRIVLET_API_MEMBER)
#undef SCRIVLET_API_MEMBER
};

// The names the module exports, in the list's order.
#define SCRIVLET_API_NAME(name, ...) #name,
inline constexpr std::array export_names = {SCRIVLET_API_EXPORTS(SCRIVLET_API_NAME)};
#undef SCRIVLET_API_NAME

// Binds every export by name; returns the name of the first one missing, or
// null when all eight are there.
inline const char* bind_exports(HMODULE module, Exports& exports) {
    const auto bind = [module](const char* name, auto& function) {
        using Function = std::remove_reference_t<decltype(function)>;
        function =
            reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
        return function != nullptr;
    };
#define SCRIVLET_API_BIND(name, ...)                                                               \
    if (!bind(#name, exports.name)) {                                                              \
        return #name;                                                                              \
    }
    SCRIVLET_API_EXPORTS(SCRIVLET_API_BIND)
#undef SCRIVLET_API_BIND
    return nullptr;
}

} // namespace scrivlet::api
