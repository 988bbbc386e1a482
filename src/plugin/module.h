#pragma once
// Module-wide state: the module handle and the registry of the meter records
// this module made. The host calls in on one thread at a time, so nothing
// here is locked.

#include "meter/meter_record.h"
#include "settings/profile.h"

#include <windows.h>

#include <memory>

namespace scrivlet {

HINSTANCE module_handle();
void set_module_handle(HINSTANCE module);

// How many released records' memory is kept from reuse, newest first. A
// host keeps a pointer for as long as its meter lives and may call in with
// it once more after dllshutdown; a thousand covers a host that rebuilds
// hundreds of meters at once, at under a quarter of a megabyte.
constexpr size_t released_records_kept = 1024;

// A new record with the defaults, with GDI+ started for it alone; null when
// it cannot be made. Throws (std::bad_alloc) when it cannot be registered,
// with nothing left behind.
MeterRecord* create_instance(HWND owner);

// The record behind a host's pointer, or null when this module did not make
// it or it has been shut down. The pointer is only compared, never read.
MeterRecord* find_live_instance(const void* instance);

// Shuts down the record's own GDI+ start-up and releases it; while a
// settings dialog still edits it, the release waits until the last one has
// closed.
void shutdown_instance(MeterRecord& record);

// The file and section this record's settings were last found in but could
// not be read from (held open by another program while the host started):
// until they are read, or the settings dialog's OK changes the record, a
// save there would write a look over settings the meter never showed. Only
// for a record found live or held by a dialog.
std::unique_ptr<ProfilePlace>& unread_settings(MeterRecord& record);

// Keeps a record alive while a settings dialog works on it.
class DialogHold {
public:
    explicit DialogHold(MeterRecord& record);
    DialogHold(const DialogHold&) = delete;
    DialogHold& operator=(const DialogHold&) = delete;
    ~DialogHold();

private:
    MeterRecord& record_;
};

// Number of records made and not yet released (shut-down ones that a dialog
// still holds included).
size_t instance_count();

// Frees what the statically linked C++ runtime keeps for the module's whole
// life (its emergency exception buffer), which would otherwise stay behind
// in the host's process each time the DLL is unloaded. Only at detach.
void release_runtime_buffers();

} // namespace scrivlet
