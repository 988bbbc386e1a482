// Soak run of Scrivlet.dll as a host would drive it for months: many
// repaints over a mix of looks and sizes, then many meters alive at once,
// repainted in turn and shut down in random order with settings dialogs
// opened and cancelled in between. Resource use is sampled along the way;
// the run fails when anything grows past a small constant after warm-up or
// a surviving meter stops drawing what it drew before.
//
//   soak [--repaints N] [--instances M] [--seed S]
//
// Beside the gdiplus.dll stand-in it also checks that no GDI+ object
// outlives a repaint.

#include "common/arguments.h"
#include "common/win/dib_surface.h"
#include "common/win/gui_resources.h"
#include "common/win/meter_session.h"
#include "common/win/paths.h"
#include "common/win/plugin_loader.h"
#include "common/win/polling_thread.h"
#include "common/win/wine64_rounding.h"
#include "plugin/module.h"
#include "plugin/scrivlet_api.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace scrivlet;

using Exports = api::Exports;
using win::MeterSession;

// The looks under test, one INI section each.
constexpr const char* looks_ini =
    "[plain]\r\nScrivlet_BorderSettings=0,1\r\n"
    "[border]\r\nScrivlet_BorderSettings=1,2\r\nScrivlet_Text=CPU %v %\r\n"
    "Scrivlet_FontSettings=0,0,16,1,4,1,30,1\r\n"
    "[shadow]\r\nScrivlet_ShadowSettings=1,5,3,2,2\r\nScrivlet_ShadowColor=128,0,0,64\r\n"
    "Scrivlet_FontSettings=0,0,18,0,8,2,30,1\r\n"
    "[both]\r\nScrivlet_BorderSettings=1,1\r\nScrivlet_ShadowSettings=1,4,5,-3,1\r\n"
    "Scrivlet_Text=%v%b%tab|%v\r\nScrivlet_FontSettings=0,0,12,2,2,0,20,0\r\n"
    "[right]\r\nScrivlet_BorderSettings=1,3\r\nScrivlet_FontColor=200,10,200,30\r\n"
    "Scrivlet_FontSettings=1,1,22,12,5,3,30,1\r\n";
constexpr const char* look_names[] = {"plain", "border", "shadow", "both", "right"};

struct Size {
    int width, height;
};
// Wine's 64-bit GDI+ cannot widen the outlines of a bordered text that sits
// far from the surface's top-left corner: its curve flattening works on the
// absolute coordinates in single precision and either recurses until the
// thread ends or, with the rounding directed, takes minutes (the border look
// at 800x160: 255 s). The 64-bit build soaks on the sizes it draws.
#ifdef _WIN64
constexpr Size sizes[] = {{1, 1}, {40, 12}, {200, 40}, {333, 77}};
#else
constexpr Size sizes[] = {{1, 1}, {40, 12}, {200, 40}, {333, 77}, {800, 160}, {1600, 400}};
#endif
constexpr const char* values[] = {"0", "12.5", "-3,25", "idle", "99.999", ""};

using Dib = win::DibSurface;

// FNV-1a of the pixels: the survivors' drawings are compared by it, so that
// the soak's own bookkeeping does not grow the heap it measures.
uint64_t pixel_hash(const Dib& surface) {
    const uint8_t* bytes = surface.pixels();
    const size_t size = size_t{surface.width()} * surface.height() * 4;
    uint64_t hash = 14695981039346656037ull;
    for (size_t i = 0; i < size; ++i) {
        hash = (hash ^ bytes[i]) * 1099511628211ull;
    }
    return hash;
}

struct Sample {
    DWORD gdi_objects, user_objects;
    long kernel_handles;
    win::HeapUse heap;
    SIZE_T private_bytes;
};

Sample sample() {
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                         sizeof memory);
    // Wine leaves PrivateUsage at 0; its PagefileUsage is the same commit.
    const SIZE_T private_bytes =
        memory.PrivateUsage != 0 ? memory.PrivateUsage : memory.PagefileUsage;
    return {win::gdi_objects(), win::user_objects(), win::kernel_handles(), win::heap_use(),
            private_bytes};
}

// The stand-in keeps a record of every call unless told not to; that record
// would be the only thing growing here.
void stop_standin_recording() {
    const HMODULE gdiplus = GetModuleHandleA("gdiplus.dll");
    if (const auto set = gdiplus ? GetProcAddress(gdiplus, "standin_set_recording") : nullptr) {
        reinterpret_cast<void (*)(int)>(reinterpret_cast<void*>(set))(0);
    }
}

// Live GDI+ objects as the stand-in counts them; -1 beside the real library.
long live_gdiplus_objects() {
    const HMODULE gdiplus = GetModuleHandleA("gdiplus.dll");
    const auto count = gdiplus ? GetProcAddress(gdiplus, "standin_live_objects") : nullptr;
    return count ? reinterpret_cast<long (*)()>(reinterpret_cast<void*>(count))() : -1;
}

void print(const char* phase, long step, const Sample& s, long live) {
    std::printf("%-9s %8ld  gdi %4lu  user %4lu  handles %4ld  heap %7lu blocks %8lu KiB  private "
                "%8lu KiB  gdi+ live %ld\n",
                phase, step, static_cast<unsigned long>(s.gdi_objects),
                static_cast<unsigned long>(s.user_objects), s.kernel_handles,
                static_cast<unsigned long>(s.heap.blocks),
                static_cast<unsigned long>(s.heap.bytes / 1024),
                static_cast<unsigned long>(s.private_bytes / 1024), live);
}

// A leak of one handle, one heap block or one GDI+ object a repaint or a
// meter shows as at least one per repaint or meter measured, which the
// test command's run keeps far above these: what is left is the noise of
// the platform's own caches after they have filled.
constexpr DWORD allowed_gdi_growth = 2;
constexpr DWORD allowed_user_growth = 2;
constexpr long allowed_handle_growth = 2;
constexpr size_t allowed_heap_block_growth = 24;
constexpr SIZE_T allowed_private_growth = 4u << 20;

bool grew(const Sample& base, const Sample& now) {
    return now.gdi_objects > base.gdi_objects + allowed_gdi_growth ||
           now.user_objects > base.user_objects + allowed_user_growth ||
           now.kernel_handles > base.kernel_handles + allowed_handle_growth ||
           now.heap.blocks > base.heap.blocks + allowed_heap_block_growth ||
           now.private_bytes > base.private_bytes + allowed_private_growth;
}

// Dialogs are cancelled only once they are visible and painted in full:
// Wine's process-wide caches (its DC and region cache, the theme's pens,
// brushes and bitmaps) fill the first time a dialog paints, and a cancel
// that lands before the paint would leave that to chance in a later round,
// where it would look like growth. The canceller thread posts this message
// to a visible dialog; a message hook on the dialog's own thread paints the
// dialog and its children synchronously and turns the message into the
// cancel.
UINT paint_then_cancel_message() {
    static const UINT message = RegisterWindowMessageA("scrivlet-soak-paint-then-cancel");
    return message;
}

constexpr UINT full_redraw =
    RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_ERASE | RDW_FRAME;

LRESULT CALLBACK paint_then_cancel(int code, WPARAM removal, LPARAM message) {
    auto* msg = reinterpret_cast<MSG*>(message);
    if (code == HC_ACTION && removal == PM_REMOVE && msg->message == paint_then_cancel_message()) {
        RedrawWindow(msg->hwnd, nullptr, nullptr, full_redraw);
        msg->message = WM_COMMAND;
        msg->wParam = IDCANCEL;
        msg->lParam = 0;
    }
    return CallNextHookEx(nullptr, code, removal, message);
}

// The hook on the calling thread, the one that runs the dialogs.
class PaintThenCancelHook {
public:
    PaintThenCancelHook()
        : hook_(
              SetWindowsHookExA(WH_GETMESSAGE, paint_then_cancel, nullptr, GetCurrentThreadId())) {
        if (hook_ == nullptr) {
            throw std::runtime_error("cannot hook the dialog thread's messages");
        }
    }
    PaintThenCancelHook(const PaintThenCancelHook&) = delete;
    PaintThenCancelHook& operator=(const PaintThenCancelHook&) = delete;
    ~PaintThenCancelHook() { UnhookWindowsHookEx(hook_); }

private:
    HHOOK hook_;
};

// Cancels every settings dialog once it shows, until it goes.
class DialogCanceller {
public:
    DialogCanceller()
        : poller_(poll_ms, [cancelled = HWND{}, polls_since_cancel = 0]() mutable {
              HWND dialog = FindWindowA("#32770", "Settings");
              // Once per dialog; again only should one outlive its cancel for
              // a second (a window handle used anew, say).
              const bool again = ++polls_since_cancel > repost_after_polls;
              if (dialog != nullptr && (dialog != cancelled || again) && IsWindowVisible(dialog)) {
                  PostMessageA(dialog, paint_then_cancel_message(), 0, 0);
                  cancelled = dialog;
                  polls_since_cancel = 0;
              }
          }) {}

private:
    static constexpr DWORD poll_ms = 5;
    static constexpr int repost_after_polls = 200;
    const PaintThenCancelHook hook_;
    const win::PollingThread poller_;
};

// One round of phase 2: `count` meters alive at once, each drawn once; then
// shut down in random order, survivors redrawn and compared with their first
// drawing after each shutdown, dialogs opened and cancelled between.
// One shutdown in this many opens and cancels a settings dialog first.
constexpr unsigned dialog_one_in = 4;

bool meters_round(const Exports& dll, const std::string& ini, int count, std::mt19937& random,
                  const Dib& surface) {
    struct Live {
        MeterSession meter;
        size_t look;
        uint64_t first_drawing;
    };
    // Whatever is left when the round ends is shut down with it.
    std::vector<Live> alive;
    alive.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const size_t look = static_cast<size_t>(i) % std::size(look_names);
        MeterSession meter(dll);
        meter.load_settings(ini, look_names[look]);
        meter.repaint(surface.dc(), "42.42", 200, 40);
        alive.push_back({std::move(meter), look, pixel_hash(surface)});
    }
    const DialogCanceller canceller;
    long checks = 0;
    long shutdowns = 0;
    long dialogs = 0;
    DWORD dialog_ms = 0;
    const DWORD round_start = GetTickCount();
    while (!alive.empty()) {
        if (random() % dialog_one_in == 0) {
            const DWORD start = GetTickCount();
            alive[random() % alive.size()].meter.configure();
            dialog_ms += GetTickCount() - start;
            ++dialogs;
        }
        // Erased, the victim is shut down.
        const size_t victim = random() % alive.size();
        alive.erase(alive.begin() + static_cast<std::ptrdiff_t>(victim));
        // Every survivor after every 20th shutdown, a random few after the
        // others: all of them each time would be quadratic in the count.
        const bool check_all = shutdowns++ % 20 == 0;
        const size_t to_check = check_all ? alive.size() : std::min<size_t>(8, alive.size());
        for (size_t i = 0; i < to_check; ++i) {
            const Live& meter = check_all ? alive[i] : alive[random() % alive.size()];
            meter.meter.repaint(surface.dc(), "42.42", 200, 40);
            ++checks;
            if (pixel_hash(surface) != meter.first_drawing) {
                std::printf("FAIL: a surviving meter (look %s) draws differently\n",
                            look_names[meter.look]);
                return false;
            }
        }
    }
    std::printf(
        "meters   %d made, %ld survivor repaints compared, %ld dialogs (%lu ms) in %lu ms\n", count,
        checks, dialogs, static_cast<unsigned long>(dialog_ms),
        static_cast<unsigned long>(GetTickCount() - round_start));
    return true;
}

struct SoakOptions {
    uint32_t repaints = 100000;
    uint32_t instances = 200;
    uint32_t seed = 1;
};

struct SoakOption {
    std::string_view name;
    uint32_t min;
    uint32_t max;
    uint32_t SoakOptions::*field;
};

constexpr SoakOption soak_options[] = {
    {"repaints", 1, 100'000'000, &SoakOptions::repaints},
    {"instances", 1, 100'000, &SoakOptions::instances},
    {"seed", 0, UINT32_MAX, &SoakOptions::seed},
};

// Throws cli::UsageError.
SoakOptions parse_soak_options(const std::vector<std::string>& args) {
    const auto find = [](std::string_view name) {
        return std::find_if(std::begin(soak_options), std::end(soak_options),
                            [&](const SoakOption& o) { return o.name == name; });
    };
    const cli::Arguments given = cli::split(args, [&](std::string_view name) {
        return find(name) == std::end(soak_options) ? std::nullopt : std::optional<bool>(true);
    });
    if (given.help) {
        throw cli::UsageError{"usage: soak [--repaints N] [--instances N] [--seed N]"};
    }
    if (!given.unknown.empty()) {
        throw cli::UsageError{"unknown option '" + given.unknown + "'"};
    }
    if (!given.lacking_value.empty()) {
        throw cli::UsageError{"--" + given.lacking_value + " needs a value"};
    }
    if (!given.words.empty()) {
        throw cli::UsageError{"unexpected argument '" + given.words.front() + "'"};
    }
    SoakOptions options;
    for (const auto& [name, value] : given.options) {
        const SoakOption& option = *find(name);
        options.*option.field = cli::whole_number(name, value, option.min, option.max);
    }
    return options;
}

int run(int argc, char** argv) {
    SoakOptions options;
    try {
        options =
            parse_soak_options(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
    } catch (const cli::UsageError& error) {
        std::fprintf(stderr, "soak: %s\n", error.message.c_str());
        return 2;
    }
    const long repaints = static_cast<long>(options.repaints);
    const int instances = static_cast<int>(options.instances);
    const unsigned seed = options.seed;

    win::LoadedPlugin plugin = win::load_plugin(win::plugin_beside_program());
    // Loaded until the process ends, as a host keeps it.
    if (plugin.module.release() == nullptr) {
        std::fprintf(stderr, "soak: cannot load Scrivlet.dll beside the program\n");
        return 2;
    }
    if (plugin.missing_export != nullptr) {
        std::fprintf(stderr, "soak: Scrivlet.dll lacks %s\n", plugin.missing_export);
        return 2;
    }
    const Exports& dll = plugin.exports;

    // Every call of the run is the plug-in's or measures it: the rounding
    // that Wine's 64-bit GDI+ needs holds for all of them.
    const win::Wine64Rounding rounding;
    stop_standin_recording();
    const win::ScratchFolder folder("scrivlet-soak");
    const std::string ini = folder.path() + "looks.ini";
    if (FILE* file = std::fopen(ini.c_str(), "wb")) {
        std::fputs(looks_ini, file);
        std::fclose(file);
    }
    bool failed = false;

    // Phase 1: repaints over every look and size, one meter per look.
    std::vector<MeterSession> meters;
    for (const char* look : look_names) {
        meters.emplace_back(dll);
        meters.back().load_settings(ini, look);
    }
    std::vector<std::unique_ptr<Dib>> surfaces;
    for (const Size& size : sizes) {
        surfaces.push_back(std::make_unique<Dib>(static_cast<uint32_t>(size.width),
                                                 static_cast<uint32_t>(size.height)));
    }
    // Warm-up draws every look at every size at least once, so that the
    // platform's caches for each have filled before anything is measured.
    const long warm_up =
        std::max(repaints / 10, static_cast<long>(std::size(look_names) * std::size(sizes)));
    const long every = std::max(1L, repaints / 20);
    Sample base{};
    for (long i = 0; i < repaints; ++i) {
        const size_t look = static_cast<size_t>(i) % meters.size();
        const size_t size = static_cast<size_t>(i / 5) % std::size(sizes);
        meters[look].repaint(surfaces[size]->dc(),
                             values[static_cast<size_t>(i) % std::size(values)], sizes[size].width,
                             sizes[size].height);
        const long live = live_gdiplus_objects();
        if (live > 0) {
            std::printf("FAIL: %ld GDI+ objects outlive repaint %ld\n", live, i);
            failed = true;
            break;
        }
        if (i + 1 == warm_up) {
            base = sample();
            print("warm", i + 1, base, live);
        } else if ((i + 1) % every == 0 || i + 1 == repaints) {
            const Sample now = sample();
            print("repaint", i + 1, now, live);
            if (i + 1 > warm_up && grew(base, now)) {
                std::printf("FAIL: resources grew after warm-up\n");
                failed = true;
            }
        }
    }
    meters.clear();

    // Phase 2: many meters at once, shut down in random order, in rounds:
    // the first two set the high-water marks of the heap and of the
    // platform's own caches for dialog windows; later rounds must not grow.
    std::mt19937 random(seed);
    Dib surface(200, 40);
    // The plug-in keeps the memory of the records it released last from
    // reuse, so that a host's stale pointer is never a newer meter's: until
    // that ring is full every shutdown keeps one block. It fills first.
    for (size_t i = 0; i < released_records_kept; ++i) {
        const MeterSession meter(dll);
    }
    constexpr int warm_up_rounds = 2;
    constexpr int meter_rounds = 4;
    Sample after_warm_up{};
    for (int round = 1; round <= meter_rounds && !failed; ++round) {
        failed = !meters_round(dll, ini, instances, random, surface);
        const Sample now = sample();
        const long live = live_gdiplus_objects();
        print("meters", round, now, live);
        if (live > 0) {
            std::printf("FAIL: %ld GDI+ objects outlive the round's meters\n", live);
            failed = true;
        }
        if (round == warm_up_rounds) {
            after_warm_up = now;
        } else if (round > warm_up_rounds && grew(after_warm_up, now)) {
            std::printf("FAIL: resources grew from one round of meters to the next\n");
            failed = true;
        }
    }
    std::printf("%s\n", failed ? "soak: FAILED" : "soak: passed");
    return failed ? 1 : 0;
}

} // namespace

int main(int argc, char** argv) {
    try {
        return run(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "soak: %s\n", error.what());
        return 2;
    }
}
