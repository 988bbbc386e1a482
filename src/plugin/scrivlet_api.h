#pragma once
// The eight exports as a host sees them. All are stdcall; every argument and
// result is 32 bits wide.

#include <windows.h>

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

} // namespace scrivlet::api
