#include "plugin/module.h"

#include <gdiplus.h>

#include <memory>
#include <new>
#include <unordered_map>

namespace scrivlet {

namespace {

struct Instance {
    MeterRecord record;
    ULONG_PTR gdiplus_token = 0;
    int dialog_holds = 0;
    bool shut_down = false;
};

HINSTANCE current_module = nullptr;

// Keyed by the record's address, which is what the host holds.
std::unordered_map<const void*, std::unique_ptr<Instance>>& instances() {
    static std::unordered_map<const void*, std::unique_ptr<Instance>> registry;
    return registry;
}

Instance* find_instance(const void* record) {
    auto& registry = instances();
    const auto found = registry.find(record);
    return found == registry.end() ? nullptr : found->second.get();
}

void release_if_unheld(Instance& instance) {
    if (instance.shut_down && instance.dialog_holds == 0) {
        instances().erase(&instance.record);
    }
}

} // namespace

HINSTANCE module_handle() {
    return current_module;
}

void set_module_handle(HINSTANCE module) {
    current_module = module;
}

MeterRecord* create_instance(HWND owner) {
    auto instance = std::unique_ptr<Instance>(new (std::nothrow) Instance);
    if (!instance) {
        return nullptr;
    }
    instance->record = make_default_record(owner != nullptr ? owner : GetActiveWindow());

    Gdiplus::GdiplusStartupInput input;
    input.GdiplusVersion = 1;
    input.DebugEventCallback = nullptr;
    input.SuppressBackgroundThread = FALSE;
    input.SuppressExternalCodecs = FALSE;
    Gdiplus::GdiplusStartup(&instance->gdiplus_token, &input, nullptr);

    MeterRecord* record = &instance->record;
    instances().emplace(record, std::move(instance));
    return record;
}

MeterRecord* find_live_instance(const void* record) {
    Instance* instance = find_instance(record);
    return instance != nullptr && !instance->shut_down ? &instance->record : nullptr;
}

void shutdown_instance(MeterRecord& record) {
    Instance* instance = find_instance(&record);
    if (instance == nullptr || instance->shut_down) {
        return;
    }
    Gdiplus::GdiplusShutdown(instance->gdiplus_token);
    instance->gdiplus_token = 0;
    instance->shut_down = true;
    release_if_unheld(*instance);
}

DialogHold::DialogHold(MeterRecord& record) : record_(record) {
    if (Instance* instance = find_instance(&record_)) {
        ++instance->dialog_holds;
    }
}

DialogHold::~DialogHold() {
    if (Instance* instance = find_instance(&record_)) {
        --instance->dialog_holds;
        release_if_unheld(*instance);
    }
}

size_t instance_count() {
    return instances().size();
}

} // namespace scrivlet
