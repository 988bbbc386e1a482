#include "plugin/module.h"

#include <gdiplus.h>

#include <array>
#include <memory>
#include <new>
#include <string>
#include <unordered_map>

namespace __gnu_cxx {
// libstdc++'s own release of the emergency exception buffer it allocates at
// start-up (declared by no header of GCC 12).
void __freeres();
} // namespace __gnu_cxx

namespace scrivlet {

namespace {

struct Instance {
    MeterRecord record;
    ULONG_PTR gdiplus_token = 0;
    int dialog_holds = 0;
    bool shut_down = false;
    std::unique_ptr<ProfilePlace> unread_settings; // kept small: the ring holds a thousand
};

HINSTANCE current_module = nullptr;

// Keyed by the record's address, which is what the host holds.
std::unordered_map<const void*, std::unique_ptr<Instance>>& instances() {
    static std::unordered_map<const void*, std::unique_ptr<Instance>> registry;
    return registry;
}

// Released records' memory, kept aside so that the allocator cannot hand
// the same address to the next dllstartup: a host that calls dllshutdown
// twice, or keeps using a pointer it has shut down, would otherwise reach
// a newer meter through the old pointer. A ring of fixed size, so that
// releasing never allocates and cannot fail; the oldest block is freed when
// a newer one takes its slot.
class ReleasedRecords {
public:
    void keep(std::unique_ptr<Instance> instance) noexcept {
        // Only the block's address matters from here on; what it owned goes.
        std::string().swap(instance->record.text_template);
        instance->unread_settings.reset();
        slots_[next_] = std::move(instance);
        next_ = (next_ + 1) % slots_.size();
    }

private:
    std::array<std::unique_ptr<Instance>, released_records_kept> slots_;
    size_t next_ = 0;
};

static_assert(sizeof(Instance) * released_records_kept < 256 * 1024,
              "the kept blocks should cost under a quarter of a megabyte");

ReleasedRecords& released() {
    static ReleasedRecords records;
    return records;
}

Instance* find_instance(const void* record) {
    auto& registry = instances();
    const auto found = registry.find(record);
    return found == registry.end() ? nullptr : found->second.get();
}

void release_if_unheld(Instance& instance) {
    if (instance.shut_down && instance.dialog_holds == 0) {
        auto& registry = instances();
        const auto found = registry.find(&instance.record);
        std::unique_ptr<Instance> owned = std::move(found->second);
        registry.erase(found);
        released().keep(std::move(owned));
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

    // Registered before GDI+ starts: registering can throw, and nothing is
    // left to undo then. Nothing after it can fail.
    Instance& registered = *instance;
    instances().try_emplace(&registered.record, std::move(instance));

    Gdiplus::GdiplusStartupInput input;
    input.GdiplusVersion = 1;
    input.DebugEventCallback = nullptr;
    input.SuppressBackgroundThread = FALSE;
    input.SuppressExternalCodecs = FALSE;
    Gdiplus::GdiplusStartup(&registered.gdiplus_token, &input, nullptr);
    return &registered.record;
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

std::unique_ptr<ProfilePlace>& unread_settings(MeterRecord& record) {
    return find_instance(&record)->unread_settings;
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

void release_runtime_buffers() {
    __gnu_cxx::__freeres();
}

} // namespace scrivlet
