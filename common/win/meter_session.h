#pragma once
// One meter of a loaded Scrivlet.dll from dllstartup to dllshutdown, as the
// host, the soak, the dialog screenshot and the tests drive it.

#include "plugin/scrivlet_api.h"

#include <windows.h>

#include <functional>
#include <string>

namespace scrivlet::win {

// A call of the plug-in as a session makes it, so that whoever runs it can
// name the one that did not return: the export, and for a repaint the value
// and the size.
struct PluginCall {
    const char* name = "";
    const char* value = nullptr; // a repaint's only
    int width = 0;
    int height = 0;
};

// Runs `calls` (one export, or several that belong together) and returns
// once they have, or throws. The host hands them to a thread of the meter's
// own (common/win/call_thread.h); empty, they run on the caller's thread as
// they come.
using CallRunner = std::function<void(const PluginCall& call, const std::function<void()>& calls)>;

class MeterSession {
public:
    // dllstartup with `owner` (null lets the plug-in take the active window).
    // When it gives no meter, instance() is null and nothing is shut down.
    explicit MeterSession(const api::Exports& exports, HWND owner = nullptr,
                          CallRunner runner = {});
    MeterSession(MeterSession&& other) noexcept;
    // Shuts down the meter held before taking the other's.
    MeterSession& operator=(MeterSession&& other) noexcept;
    MeterSession(const MeterSession&) = delete;
    MeterSession& operator=(const MeterSession&) = delete;
    // dllshutdown; what the runner throws then is dropped, as nothing is
    // drawn after it and a destructor cannot say so.
    ~MeterSession();

    void* instance() const { return instance_; }
    const api::Exports& exports() const { return *exports_; }

    int load_settings(const std::string& file, const std::string& section) const;
    int save_settings(const std::string& file, const std::string& section) const;
    int repaint(HDC dc, const char* value, int width, int height) const;
    // The settings dialog, modal on the thread the calls run on.
    int configure() const;
    // Calls of the plug-in that a caller makes itself (a timed series, say),
    // run where the session runs its own.
    void run(const PluginCall& call, const std::function<void()>& calls) const;

private:
    void shut_down() noexcept;

    const api::Exports* exports_;
    CallRunner runner_;
    void* instance_ = nullptr;
};

} // namespace scrivlet::win
