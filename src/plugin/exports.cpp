// The eight functions the meter host calls. Each is a thin shell: it finds
// the record, hands the work to its subsystem, and keeps every C++ exception
// inside this module, since the host cannot unwind through our frames.

#include "dialog/settings_dialog.h"
#include "plugin/info.h"
#include "plugin/module.h"
#include "plugin/nearest_rounding.h"
#include "plugin/scrivlet_api.h"
#include "render/render_text.h"
#include "settings/profile.h"
#include "text/template.h"
#include "text/value_format.h"

#include <windows.h>

#include <memory>
#include <optional>
#include <type_traits>

namespace {

using scrivlet::MeterRecord;

// Runs `work` on the live record behind `instance`; anything else is left
// alone. Always 0, as the host expects.
template <typename Work> int with_live_instance(const void* instance, Work&& work) noexcept {
    try {
        if (MeterRecord* record = scrivlet::find_live_instance(instance)) {
            work(*record);
        }
    } catch (...) {
    }
    return 0;
}

bool is_place(const scrivlet::ProfilePlace& place, const char* file, const char* section) {
    const std::optional<scrivlet::ProfilePlace> named = scrivlet::profile_place(file, section);
    return named && scrivlet::same_place(place, *named);
}

} // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        scrivlet::set_module_handle(module);
        break;
    case DLL_PROCESS_DETACH:
        scrivlet::end_open_dialog();
        scrivlet::set_module_handle(nullptr);
        scrivlet::release_runtime_buffers();
        break;
    default:
        break;
    }
    return TRUE;
}

void* WINAPI dllstartup(HWND owner, int) {
    try {
        return scrivlet::create_instance(owner);
    } catch (...) {
        return nullptr;
    }
}

int WINAPI dllshutdown(void* instance) {
    return with_live_instance(instance,
                              [](MeterRecord& record) { scrivlet::shutdown_instance(record); });
}

int WINAPI dlltype() {
    return scrivlet::api::plugin_type;
}

const char* WINAPI getinfo(unsigned index) {
    return scrivlet::plugin_info(index);
}

int WINAPI load_settings(void* instance, const char* file, const char* section) {
    return with_live_instance(instance, [&](MeterRecord& record) {
        std::unique_ptr<scrivlet::ProfilePlace>& unread = scrivlet::unread_settings(record);
        if (scrivlet::load_settings_from_profile(record, file, section) ==
            scrivlet::LoadResult::unreadable) {
            std::optional<scrivlet::ProfilePlace> place = scrivlet::profile_place(file, section);
            unread = place ? std::make_unique<scrivlet::ProfilePlace>(std::move(*place)) : nullptr;
        } else if (unread && is_place(*unread, file, section)) {
            unread.reset();
        }
    });
}

int WINAPI save_settings(void* instance, const char* file, const char* section) {
    return with_live_instance(instance, [&](MeterRecord& record) {
        const std::unique_ptr<scrivlet::ProfilePlace>& unread = scrivlet::unread_settings(record);
        if (!(unread && is_place(*unread, file, section))) {
            scrivlet::save_settings_to_profile(record, file, section);
        }
    });
}

int WINAPI repaint(HDC dc, void* instance, const char* value, int width, int height) {
    return with_live_instance(instance, [&](MeterRecord& record) {
        std::string value_text;
        {
            const scrivlet::NearestRounding nearest;
            value_text =
                scrivlet::format_meter_value(value != nullptr ? value : "", record.decimals);
        }
        // No more of the text is ever laid out, so no more is built.
        const std::string expanded = scrivlet::expand_template(record.text_template, value_text,
                                                               scrivlet::max_drawable_text_bytes);
        scrivlet::render_text(dc, record, expanded, width, height);
    });
}

int WINAPI vis_configure(void* instance) {
    return with_live_instance(instance, [](MeterRecord& record) {
        const scrivlet::DialogHold hold(record);
        const auto before = scrivlet::profile_values(record);
        if (scrivlet::run_settings_dialog(scrivlet::module_handle(), record) == IDOK &&
            scrivlet::profile_values(record) != before) {
            // What the user chose is now the meter's look, to be saved.
            scrivlet::unread_settings(record).reset();
        }
    });
}

} // extern "C"

// Each definition has exactly the type the host calls through: a wrong
// calling convention, argument or result fails the build here, where the
// linker's stdcall fix-up would have exported it silently.
#define SCRIVLET_EXPORT_IS_AS_CALLED(name, Type, ...)                                              \
    static_assert(std::is_same_v<decltype(&::name), scrivlet::api::Type>,                          \
                  #name " is not defined as the host calls it");
SCRIVLET_API_EXPORTS(SCRIVLET_EXPORT_IS_AS_CALLED)
#undef SCRIVLET_EXPORT_IS_AS_CALLED
