#pragma once
// The eight exports as a host sees them. All are stdcall; every argument and
// result is 32 bits wide.

#include <windows.h>

#include <type_traits>

namespace scrivlet::api {

using DllStartup = void*(WINAPI*)(HWND owner, int reserved);
using DllShutdown = int(WINAPI*)(void* instance);
using DllType = int(WINAPI*)();
using GetInfo = const char*(WINAPI*)(unsigned index);
using LoadSettings = int(WINAPI*)(void* instance, const char* file, const char* section);
using SaveSettings = int(WINAPI*)(void* instance, const char* file, const char* section);
using Repaint = int(WINAPI*)(HDC dc, void* instance, const char* value, int width, int height);
using VisConfigure = int(WINAPI*)(void* instance);

inline constexpr int plugin_type = 2;

// The eight exports of a loaded Scrivlet.dll, as a host binds them.
struct Exports {
    DllStartup dllstartup = nullptr;
    DllShutdown dllshutdown = nullptr;
    DllType dlltype = nullptr;
    GetInfo getinfo = nullptr;
    LoadSettings load_settings = nullptr;
    SaveSettings save_settings = nullptr;
    Repaint repaint = nullptr;
    VisConfigure vis_configure = nullptr;
};

// Binds every export by name; returns the name of the first one missing, or
// null when all eight are there.
inline const char* bind_exports(HMODULE module, Exports& exports) {
    const auto bind = [module](const char* name, auto& function) {
        using Function = std::remove_reference_t<decltype(function)>;
        function =
            reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
        return function != nullptr;
    };
    if (!bind("dllstartup", exports.dllstartup))
        return "dllstartup";
    if (!bind("dllshutdown", exports.dllshutdown))
        return "dllshutdown";
    if (!bind("dlltype", exports.dlltype))
        return "dlltype";
    if (!bind("getinfo", exports.getinfo))
        return "getinfo";
    if (!bind("load_settings", exports.load_settings))
        return "load_settings";
    if (!bind("save_settings", exports.save_settings))
        return "save_settings";
    if (!bind("repaint", exports.repaint))
        return "repaint";
    if (!bind("vis_configure", exports.vis_configure))
        return "vis_configure";
    return nullptr;
}

} // namespace scrivlet::api
