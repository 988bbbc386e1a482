#pragma once
// Loads Scrivlet.dll the way a host does and hands tests its exports.

#include "common/win/meter_session.h"
#include "common/win/paths.h"
#include "meter/meter_record.h"
#include "plugin/scrivlet_api.h"

#include <windows.h>

#include <string>

namespace scrivlet::test {

// The exports of the DLL beside the test program, loaded once per process.
const api::Exports& plugin();

// That DLL's module handle.
HMODULE plugin_module();

// A meter made by dllstartup; shut down when the guard goes. Tests reach
// into the record the plug-in hands out, which no host does.
class Meter {
public:
    explicit Meter(HWND owner = nullptr);

    MeterRecord& record() const { return *static_cast<MeterRecord*>(session_.instance()); }
    void* instance() const { return session_.instance(); }
    int repaint(HDC dc, const char* value, int width, int height) const;

private:
    win::MeterSession session_;
};

// Folder of the running test program, with a trailing backslash.
using win::program_folder;

} // namespace scrivlet::test
