#pragma once
// Loads Scrivlet.dll the way a host does and hands tests its exports.

#include "plugin/meter_record.h"
#include "plugin/scrivlet_api.h"

#include <windows.h>

#include <string>

namespace scrivlet::test {

struct Plugin {
    HMODULE module = nullptr;
    api::DllStartup dllstartup = nullptr;
    api::DllShutdown dllshutdown = nullptr;
    api::DllType dlltype = nullptr;
    api::GetInfo getinfo = nullptr;
    api::LoadSettings load_settings = nullptr;
    api::SaveSettings save_settings = nullptr;
    api::Repaint repaint = nullptr;
    api::VisConfigure vis_configure = nullptr;
};

// The DLL beside the test program, loaded once per process.
const Plugin& plugin();

// A meter made by dllstartup; shut down when the guard goes.
class Meter {
public:
    explicit Meter(HWND owner = nullptr);
    Meter(const Meter&) = delete;
    Meter& operator=(const Meter&) = delete;
    ~Meter();

    MeterRecord& record() const { return *static_cast<MeterRecord*>(instance_); }
    void* instance() const { return instance_; }
    int repaint(HDC dc, const char* value, int width, int height) const;

private:
    void* instance_ = nullptr;
};

// Folder of the running test program, with a trailing backslash.
std::string program_folder();

} // namespace scrivlet::test
