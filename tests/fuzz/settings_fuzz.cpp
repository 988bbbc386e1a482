// End-to-end settings fuzzing of Scrivlet.dll, as a host drives it: hostile
// INI files, generated from a seed and by mutating the corpus, each loaded,
// repainted at three sizes, saved, loaded into a second meter and saved
// again. The two saved sections must match byte for byte, except for keys
// whose first saved value is longer than the key's read limit (those are cut
// on load by design). A repaint that takes longer than the watchdog allows,
// and a crash, end the run with the file named; a generated file that fails
// stays in the corpus folder as a regression case.
//
// Each file's calls into the plug-in run on a worker thread: Wine's 64-bit
// GDI+ can end the thread that calls it, its stack overflowed inside Wine
// itself, without the unhandled-exception filter ever running (the rounding
// the support library holds around repaints makes it rare, not impossible).
// Such an end is the platform's: it is named in one line, the generated file
// that met it is kept in the corpus's thread-deaths/ folder (not replayed,
// like slow/), and the run goes on with a fresh worker. A thread that ends
// after an exception raised in Scrivlet.dll's own code is a crash of ours
// and ends the run as any crash.
//
// The same library also runs away on some long unwrapped bordered lines,
// taking memory without end, where the 32-bit one draws them in well under
// a second. In the 64-bit build a repaint over the watchdog's limit whose
// thread is never seen in Scrivlet.dll's code is named as that, kept in the
// corpus's gdiplus-hangs/ folder (passed over by later 64-bit runs, replayed
// by the 32-bit build, which ships), and the run stops there without
// failing: nothing more can run in a process with such a thread in it.
//
//   settings_fuzz --corpus DIR [--seed S] [--seconds T] [--count N]
//                 [--fault-in-plugin unhandled|thread-ends] [FILE...]
//
// The corpus is replayed first, every file, whatever the bounds; then new
// files are made until T seconds have passed or N files have run. With FILE
// arguments only those files run. --fault-in-plugin makes each meter's record
// unreadable before its first repaint, so that the plug-in's own code faults
// as a bug of ours would, for the tests that such a crash still fails the
// run: the fault goes on to the unhandled-exception filter, or the thread
// ends before any handler but the fuzzer's own first one has seen it, as a
// thread whose stack has run out may.

#include "support/plugin.h"
#include "support/surface.h"
#include "common/file_bytes.h"
#include "common/win/call_thread.h"
#include "common/win/handles.h"
#include "common/win/paths.h"
#include "common/win/polling_thread.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdarg>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace scrivlet;

constexpr char section[] = "Meter";
constexpr DWORD repaint_limit_ms = 10000;
constexpr DWORD other_step_limit_ms = 30000;
constexpr DWORD watchdog_poll_ms = 50;
constexpr int exit_failed = 1;
constexpr int exit_usage = 2;
constexpr int exit_hang = 3;
constexpr int exit_crash = 4;
constexpr size_t largest_parent = 64 * 1024;
// Hostile files mostly repaint in well under half a second under Wine; one
// that takes a second or more is kept in the corpus's slow/ folder, as the
// next hang's nearest neighbour. The bounded run does not replay that
// folder (its files take seconds each); name them as FILE arguments.
constexpr DWORD slow_keep_ms = 1000;

struct Size {
    int width, height;
};
constexpr Size sizes[] = {{1, 1}, {200, 40}, {4000, 1000}};
constexpr const char* values[] = {"42", "-3.14159", "99999999999999999999", "idle"};

// ---------------------------------------------------------------------------
// What the run is doing, for the watchdog and the crash handlers.

struct Activity {
    std::atomic<DWORD> started{0};
    std::atomic<DWORD> limit{0};  // 0: idle
    std::atomic<DWORD> thread{0}; // the thread the step runs on
    bool repaint = false;
    char file[MAX_PATH * 2] = {};
    char step[160] = {};
    char corpus[MAX_PATH * 2] = {};
};
Activity activity;

void print_activity(const char* what) {
    std::fprintf(stderr, "settings_fuzz: %s during %s\nsettings_fuzz: file %s\n", what,
                 activity.step, activity.file);
    std::fflush(stderr);
    std::fflush(stdout);
}

class Step {
public:
    __attribute__((format(printf, 3, 4))) Step(DWORD limit, const char* format, ...) {
        va_list arguments;
        va_start(arguments, format);
        std::vsnprintf(activity.step, sizeof activity.step, format, arguments);
        va_end(arguments);
        activity.repaint = limit == repaint_limit_ms;
        activity.thread = GetCurrentThreadId();
        activity.started = GetTickCount();
        activity.limit = limit;
    }
    Step(const Step&) = delete;
    Step& operator=(const Step&) = delete;
    ~Step() { activity.limit = 0; }
    DWORD elapsed() const { return GetTickCount() - activity.started; }
};

// Where Scrivlet.dll's code lies: an exception raised there is ours.
struct ModuleRange {
    uintptr_t begin = 0;
    uintptr_t end = 0;
};
ModuleRange plugin_range;

bool in_plugin(const void* address) {
    const auto at = reinterpret_cast<uintptr_t>(address);
    return at >= plugin_range.begin && at < plugin_range.end;
}

// Wine's 64-bit GDI+ runs away on some long unwrapped bordered lines (it
// flattens their outlines without end, taking memory as it goes), while the
// 32-bit one, which ships, draws the same file in well under a second. Such
// a repaint is the platform's when the thread is never seen in our code.
constexpr const char* wine64_hangs_folder = "gdiplus-hangs";
constexpr int runaway_samples = 20;
constexpr DWORD runaway_sample_ms = 10;

bool runs_outside_plugin(DWORD thread_id) {
#if defined(_WIN64)
    if (!activity.repaint) {
        return false;
    }
    const win::UniqueHandle thread(
        OpenThread(THREAD_SUSPEND_RESUME | THREAD_GET_CONTEXT, FALSE, thread_id));
    if (!thread) {
        return false;
    }
    for (int sample = 0; sample < runaway_samples; ++sample) {
        if (SuspendThread(thread.get()) == static_cast<DWORD>(-1)) {
            return false;
        }
        CONTEXT context{};
        context.ContextFlags = CONTEXT_CONTROL;
        const bool read = GetThreadContext(thread.get(), &context) != FALSE;
        ResumeThread(thread.get());
        if (!read || in_plugin(reinterpret_cast<const void*>(context.Rip))) {
            return false;
        }
        Sleep(runaway_sample_ms);
    }
    return true;
#else
    // The 32-bit build ships: every hang of it is ours to fix.
    (void)thread_id;
    return false;
#endif
}

// A runaway of Wine's 64-bit GDI+ ends the run without failing it: the file
// goes to the corpus's gdiplus-hangs/ folder, which later runs of the 64-bit
// build pass over, and nothing after it can run in this process.
[[noreturn]] void end_at_wine64_runaway(DWORD limit) {
    std::string kept = activity.file;
    const std::string corpus = std::string(activity.corpus) + "\\";
    if (kept.compare(0, corpus.size(), corpus) == 0) {
        const std::string folder = corpus + wine64_hangs_folder;
        CreateDirectoryA(folder.c_str(), nullptr);
        const std::string moved = folder + "\\" + kept.substr(corpus.size());
        if (MoveFileExA(kept.c_str(), moved.c_str(), MOVEFILE_REPLACE_EXISTING)) {
            kept = moved;
        }
    }
    std::printf("settings_fuzz: %s: repaint of it went on over %lu ms inside Wine's 64-bit GDI+, "
                "never in Scrivlet.dll's code (the platform's fault); kept as %s; the run "
                "stops here, as nothing more can run in this process\n",
                activity.file, static_cast<unsigned long>(limit), kept.c_str());
    std::fflush(stdout);
    TerminateProcess(GetCurrentProcess(), 0);
    std::abort();
}

// Ends the process when a step runs over its limit.
void watch_for_hangs() {
    const DWORD limit = activity.limit;
    if (limit != 0 && GetTickCount() - activity.started > limit) {
        if (runs_outside_plugin(activity.thread)) {
            end_at_wine64_runaway(limit);
        }
        char what[64];
        std::snprintf(what, sizeof what, "HANG: over %lu ms", static_cast<unsigned long>(limit));
        print_activity(what);
        TerminateProcess(GetCurrentProcess(), exit_hang);
    }
}

// The first exception raised in Scrivlet.dll's code. Noted before any
// handler runs, since a thread that overflows its stack may end without
// reaching the unhandled-exception filter.
struct PluginException {
    std::atomic<bool> seen{false};
    DWORD code = 0;
    uintptr_t offset = 0;
};
PluginException plugin_exception;

LONG WINAPI note_plugin_exception(EXCEPTION_POINTERS* exception) {
    const EXCEPTION_RECORD& record = *exception->ExceptionRecord;
    if (in_plugin(record.ExceptionAddress) && !plugin_exception.seen.exchange(true)) {
        plugin_exception.code = record.ExceptionCode;
        plugin_exception.offset =
            reinterpret_cast<uintptr_t>(record.ExceptionAddress) - plugin_range.begin;
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

// --fault-in-plugin: the record made unreadable, so that the plug-in's first
// look at it faults in its own code.
void* unreadable_record = nullptr;

void make_unreadable(void* meter) {
    DWORD previous = 0;
    VirtualProtect(meter, sizeof(MeterRecord), PAGE_NOACCESS, &previous);
    unreadable_record = meter;
}

// --fault-in-plugin thread-ends: registered behind note_plugin_exception.
// Ended as the stand-in ends a thread (no unwinding, no detach notices),
// with the record readable again: ending a thread reads the heap too.
LONG WINAPI end_faulting_thread(EXCEPTION_POINTERS* exception) {
    if (in_plugin(exception->ExceptionRecord->ExceptionAddress)) {
        DWORD previous = 0;
        VirtualProtect(unreadable_record, sizeof(MeterRecord), PAGE_READWRITE, &previous);
        TerminateThread(GetCurrentThread(), 0);
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

LONG WINAPI on_crash(EXCEPTION_POINTERS* exception) {
    // The page made unreadable holds heap blocks beside the record: the
    // report below allocates, and would fault again there.
    if (unreadable_record != nullptr) {
        DWORD previous = 0;
        VirtualProtect(unreadable_record, sizeof(MeterRecord), PAGE_READWRITE, &previous);
    }
    const EXCEPTION_RECORD& record = *exception->ExceptionRecord;
    char what[96];
    char where[48] = "";
    if (in_plugin(record.ExceptionAddress)) {
        std::snprintf(
            where, sizeof where, " in Scrivlet.dll at +0x%llx",
            static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(record.ExceptionAddress) -
                                            plugin_range.begin));
    }
    std::snprintf(what, sizeof what, "CRASH: exception 0x%08lx%s",
                  static_cast<unsigned long>(record.ExceptionCode), where);
    print_activity(what);
    TerminateProcess(GetCurrentProcess(), exit_crash);
    return EXCEPTION_EXECUTE_HANDLER;
}

void on_abort(int) {
    print_activity("CRASH: abort");
    TerminateProcess(GetCurrentProcess(), exit_crash);
}

// ---------------------------------------------------------------------------
// Files.

bool write_file(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

std::vector<std::string> corpus_files(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry{};
    const HANDLE search = FindFirstFileA((folder + "\\*.ini").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            names.emplace_back(entry.cFileName);
        } while (FindNextFileA(search, &entry));
        FindClose(search);
    }
    std::sort(names.begin(), names.end());
    for (std::string& name : names) {
        name = folder + "\\" + name;
    }
    return names;
}

uint64_t fnv1a(const std::string& bytes) {
    uint64_t hash = 14695981039346656037ull;
    for (const char c : bytes) {
        hash = (hash ^ static_cast<uint8_t>(c)) * 1099511628211ull;
    }
    return hash;
}

// Every temporary file gets a name of its own: the platform's profile
// functions cache files by name and modification time, and two files
// written within one tick of the file system's clock would look the same.
std::string scratch_path(const char* what) {
    static unsigned long counter = 0;
    return win::temp_folder() + "scrivlet-fuzz-" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(++counter) + "-" + what + ".ini";
}

// ---------------------------------------------------------------------------
// Hostile INI files.

struct Key {
    const char* name;
    int positions; // 0: a text key
    size_t read_limit;
};
constexpr Key keys[] = {
    {"Scrivlet_FontSettings", 8, 255},
    {"Scrivlet_FontColor", 4, 15},
    {"Scrivlet_Font", 0, 31},
    {"Scrivlet_Text", 0, 255},
    {"Scrivlet_BorderSettings", 2, 255},
    {"Scrivlet_BorderColor", 4, 15},
    {"Scrivlet_ShadowColor", 4, 15},
    {"Scrivlet_ShadowSettings", 5, 255},
};

constexpr const char* extreme_numbers[] = {
    "0",
    "1",
    "-1",
    "2",
    "255",
    "256",
    "-2147483648",
    "2147483647",
    "2147483648",
    "-2147483649",
    "65536",
    "60000",
    "-141639757",
    "1000000",
    "-1000000",
    "4294967295",
    "99999999999999999999",
    "-99999999999999999999",
    "12345678901234567890",
    "00000000000000000007",
    "+7",
    " -3",
    "0x10",
    "3.9",
    "16pt",
    "",
    " ",
    "\t9",
    "-",
    "+",
    "1e9",
    "10",
};

constexpr const char* template_pieces[] = {
    "%v",       "%b", "%tab", "%",  "%%v",    "%vv",      "CPU ", " %",   "\t",
    "\"",       "'",  " ",    "  ", "%b%b%b", "%tab%tab", "\xE9", "\xFF", "\x80",
    "\xC3\xA9", "=",  ";",    "[",  "]",      ",",        "\r",
};

class Generator {
public:
    explicit Generator(uint32_t seed) : random_(seed) {}

    uint32_t below(uint32_t bound) { return bound == 0 ? 0 : random_() % bound; }
    bool chance(uint32_t one_in) { return below(one_in) == 0; }

    std::string number() {
        if (chance(2)) {
            return extreme_numbers[below(std::size(extreme_numbers))];
        }
        if (chance(2)) {
            return std::to_string(static_cast<int>(below(300)) - 20);
        }
        return std::to_string(static_cast<int32_t>(random_()));
    }

    std::string list(int positions) {
        std::string value;
        const int fields =
            chance(10) ? static_cast<int>(below(200)) : positions - 2 + static_cast<int>(below(5));
        for (int i = 0; i < fields; ++i) {
            if (i > 0) {
                value += chance(15) ? std::string(1 + below(6), ',') : ",";
            }
            value += number();
        }
        return value;
    }

    std::string text(size_t longest) {
        std::string value;
        const size_t pieces = 1 + below(chance(8) ? 200 : 8);
        for (size_t i = 0; i < pieces && value.size() < longest; ++i) {
            value += chance(5) ? std::string(1, static_cast<char>(1 + below(255)))
                               : template_pieces[below(std::size(template_pieces))];
        }
        if (chance(12)) {
            value += std::string(below(2000), chance(2) ? 'x' : ' ');
        }
        return value;
    }

    // Quotes and blanks at either end of a value, as a user's editor or
    // another tool might leave them.
    std::string dress(std::string value) {
        switch (below(8)) {
        case 0:
            return "\"" + value + "\"";
        case 1:
            return "'" + value + "'";
        case 2:
            return "  " + value + "  ";
        case 3:
            return "\" " + value + " \"";
        case 4:
            return value + "\r";
        default:
            return value;
        }
    }

    std::string key_name(const char* name) {
        std::string key = name;
        if (chance(10)) {
            for (char& c : key) {
                c = static_cast<char>(chance(2) ? std::toupper(static_cast<unsigned char>(c))
                                                : std::tolower(static_cast<unsigned char>(c)));
            }
        }
        return chance(20) ? " " + key + " " : key;
    }

    std::string fresh() {
        if (chance(20)) {
            std::string junk = "[Meter]\r\n";
            const size_t length = below(4096);
            for (size_t i = 0; i < length; ++i) {
                junk += static_cast<char>(random_());
            }
            return junk;
        }
        std::string file = chance(10) ? "[meter]\r\n" : "[Meter]\r\n";
        const int lines = 1 + static_cast<int>(below(12));
        for (int i = 0; i < lines; ++i) {
            const Key& key = keys[below(std::size(keys))];
            const std::string value =
                key.positions != 0 ? list(key.positions) : text(key.read_limit * 2);
            file += key_name(key.name) + "=" + dress(value) + (chance(15) ? "\r" : "\r\n");
        }
        return file;
    }

    std::string mutate(std::string file) {
        const int edits = 1 + static_cast<int>(below(6));
        for (int i = 0; i < edits && !file.empty(); ++i) {
            const size_t at = below(static_cast<uint32_t>(file.size()));
            switch (below(7)) {
            case 0:
                file[at] = static_cast<char>(random_());
                break;
            case 1:
                file.insert(at, std::string(1 + below(8), ','));
                break;
            case 2:
                file.erase(at, below(16));
                break;
            case 3:
                file.insert(at, number());
                break;
            case 4: { // a line again, as a duplicate key
                const size_t start = file.rfind('\n', at);
                const size_t end = file.find('\n', at);
                const size_t from = start == std::string::npos ? 0 : start + 1;
                if (end != std::string::npos) {
                    file.insert(end + 1, file.substr(from, end + 1 - from));
                }
                break;
            }
            case 5:
                file.insert(at, template_pieces[below(std::size(template_pieces))]);
                break;
            default:
                file.insert(at, std::string(1 + below(300), static_cast<char>(' ' + below(95))));
                break;
            }
        }
        return file;
    }

private:
    std::mt19937 random_;
};

// ---------------------------------------------------------------------------
// One file through the exports.

struct Figures {
    long files = 0;
    long repaints = 0;
    long cut_as_documented = 0;
    long thread_ends = 0;
    DWORD slowest_ms = 0;
    DWORD slowest_of_file = 0;
    std::string slowest_file;
    // Wine's GDI+ resamples a stretched image in software, about 2.5 s for a
    // shadow stretched back onto 4000 x 1000 pixels whatever the settings
    // (the default look's included); every other repaint is counted apart.
    DWORD slowest_unstretched_ms = 0;
    std::string slowest_unstretched_file;
};

bool stretches_a_large_shadow(const MeterRecord& record, int width, int height) {
    constexpr long long large_surface = 1000000;
    return record.shadow_enabled != 0 && record.shadow_softness > 1 &&
           static_cast<long long>(width) * height >= large_surface;
}

std::map<std::string, std::string> lines_of(const std::string& saved) {
    std::map<std::string, std::string> lines;
    std::istringstream in(saved);
    std::string line;
    while (std::getline(in, line)) {
        const size_t equals = line.find('=');
        if (equals != std::string::npos) {
            lines[line.substr(0, equals)] = line.substr(equals + 1);
        }
    }
    return lines;
}

// The longest value the settings writer hands to the platform's.
constexpr size_t longest_written_value = 32766;

size_t read_limit_of(const std::string& name) {
    for (const Key& key : keys) {
        if (name == key.name) {
            return key.read_limit;
        }
    }
    return 0;
}

std::string escaped(const std::string& bytes) {
    constexpr size_t shown = 600;
    std::string text;
    for (const char c : bytes.substr(0, shown)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= ' ' && byte < 0x7F && byte != '\\') {
            text += c;
        } else {
            char code[8];
            std::snprintf(code, sizeof code, "\\x%02X", byte);
            text += code;
        }
    }
    return bytes.size() > shown ? text + "..." : text;
}

// Empty when the second save matches the first, or differs only in keys
// whose first saved value the next load cuts to its read limit.
std::string round_trip_difference(const std::string& first, const std::string& second, bool& cut,
                                  std::string& keys_lost, bool text_unwritable) {
    cut = false;
    keys_lost.clear();
    if (first == second) {
        return {};
    }
    const auto before = lines_of(first);
    const auto after = lines_of(second);
    std::string difference;
    for (const auto& [name, value] : before) {
        const auto found = after.find(name);
        const std::string again = found == after.end() ? "(missing)" : found->second;
        std::string first_value = value;
        if (!first_value.empty() && first_value.back() == '\r') {
            first_value.pop_back();
        }
        if (again == value) {
            continue;
        }
        if (first_value.size() > read_limit_of(name)) {
            cut = true;
            continue;
        }
        difference += "  " + name + ": first saved [" + value + "], then [" + again + "]\n";
        keys_lost += name + " ";
    }
    for (const auto& [name, value] : after) {
        if (before.find(name) == before.end()) {
            if (text_unwritable && name == "Scrivlet_Text") {
                cut = true;
                continue;
            }
            keys_lost += name + " ";
            difference += "  " + name + ": only in the second save, [" + value +
                          "]; the first save: [" + escaped(first) + "]\n";
        }
    }
    if (difference.empty() && !cut) {
        difference = "  the sections differ outside the keys: first [" + escaped(first) +
                     "], then [" + escaped(second) + "]\n";
    }
    return difference;
}

// Comment lines "; settings_fuzz size WxH", up to a bound, 1..4000 each.
std::vector<Size> extra_sizes(const std::string& bytes) {
    constexpr char marker[] = "; settings_fuzz size ";
    constexpr int largest = 4000;
    constexpr size_t most = 4;
    std::vector<Size> found;
    for (size_t at = bytes.find(marker); at != std::string::npos && found.size() < most;
         at = bytes.find(marker, at + 1)) {
        int width = 0;
        int height = 0;
        if (std::sscanf(bytes.c_str() + at + std::strlen(marker), "%dx%d", &width, &height) == 2 &&
            width >= 1 && height >= 1 && width <= largest && height <= largest) {
            found.push_back({width, height});
        }
    }
    return found;
}

enum class Outcome { passed, settings_lost, thread_ended };

struct FileResult {
    Outcome outcome = Outcome::passed;
    // settings_lost: the keys lost, so that a generated file failing like
    // one already kept need not be kept as well.
    std::string lost;
    // thread_ended: the step the thread ended in.
    std::string ended_in;
};

// The thread ended inside a call with an exception raised in Scrivlet.dll's
// code before: a crash of ours, whatever took the thread down after it.
void end_if_plugin_raised() {
    if (!plugin_exception.seen) {
        return;
    }
    char what[128];
    std::snprintf(what, sizeof what,
                  "CRASH: exception 0x%08lx in Scrivlet.dll at +0x%llx, then the thread ended",
                  static_cast<unsigned long>(plugin_exception.code),
                  static_cast<unsigned long long>(plugin_exception.offset));
    print_activity(what);
    TerminateProcess(GetCurrentProcess(), exit_crash);
}

struct Worker {
    win::CallThread thread;
    bool fault_in_plugin = false;
};

FileResult run_file(Worker& worker, const std::string& name, const std::string& bytes,
                    const std::vector<std::unique_ptr<test::Surface>>& surfaces, Figures& figures) {
    std::snprintf(activity.file, sizeof activity.file, "%s", name.c_str());
    figures.slowest_of_file = 0;
    ++figures.files;
    const auto& dll = test::plugin();
    const std::string input = scratch_path("in");
    const std::string first = scratch_path("saved");
    const std::string second = scratch_path("saved-again");
    write_file(input, bytes);
    // A corpus file can ask for a size of its own, where it once failed.
    std::vector<std::pair<Size, const test::Surface*>> drawn;
    for (size_t i = 0; i < std::size(sizes); ++i) {
        drawn.emplace_back(sizes[i], surfaces[i].get());
    }
    std::vector<std::unique_ptr<test::Surface>> own_sizes;
    for (const Size& size : extra_sizes(bytes)) {
        own_sizes.push_back(std::make_unique<test::Surface>(size.width, size.height));
        drawn.emplace_back(size, own_sizes.back().get());
    }
    bool text_unwritable = false;
    const bool returned = worker.thread.run([&] {
        void* meter = nullptr;
        {
            const Step step(other_step_limit_ms, "dllstartup and load_settings");
            meter = dll.dllstartup(nullptr, 0);
            dll.load_settings(meter, input.c_str(), section);
        }
        for (const auto& [size, surface] : drawn) {
            for (const char* value : values) {
                const Step step(repaint_limit_ms, "repaint of \"%s\" at %dx%d", value, size.width,
                                size.height);
                // All that the call needs is read first: the record's heap
                // page may hold some of ours too (this closure among them).
                const api::Repaint repaint = dll.repaint;
                const HDC dc = surface->dc();
                const int width = size.width;
                const int height = size.height;
                if (worker.fault_in_plugin) {
                    make_unreadable(meter);
                }
                repaint(dc, meter, value, width, height);
                const DWORD took = step.elapsed();
                ++figures.repaints;
                if (took > figures.slowest_ms || figures.slowest_file.empty()) {
                    figures.slowest_ms = took;
                    figures.slowest_file = name;
                }
                if (stretches_a_large_shadow(*static_cast<const MeterRecord*>(meter), size.width,
                                             size.height)) {
                    continue;
                }
                figures.slowest_of_file = std::max(figures.slowest_of_file, took);
                if (took > figures.slowest_unstretched_ms ||
                    figures.slowest_unstretched_file.empty()) {
                    figures.slowest_unstretched_ms = took;
                    figures.slowest_unstretched_file = name;
                }
            }
        }
        const Step step(other_step_limit_ms, "save, load into a second meter, save again");
        dll.save_settings(meter, first.c_str(), section);
        // The platform's writer takes no longer value: the key is left as
        // the file had it, which in a new file is not at all.
        text_unwritable =
            static_cast<MeterRecord*>(meter)->text_template.size() > longest_written_value;
        void* again = dll.dllstartup(nullptr, 0);
        dll.load_settings(again, first.c_str(), section);
        dll.save_settings(again, second.c_str(), section);
        dll.dllshutdown(again);
        dll.dllshutdown(meter);
    });
    FileResult result;
    if (!returned) {
        // The step that was running never ended. Its meters stay as the
        // thread left them: a shutdown could run into whatever the call was
        // half-way through.
        activity.limit = 0;
        end_if_plugin_raised();
        ++figures.thread_ends;
        result.outcome = Outcome::thread_ended;
        result.ended_in = activity.step;
    } else {
        bool cut = false;
        const std::string difference = round_trip_difference(file_bytes(first), file_bytes(second),
                                                             cut, result.lost, text_unwritable);
        if (!difference.empty()) {
            std::printf("FAIL: settings lost between two saves of %s\n%s", name.c_str(),
                        difference.c_str());
            result.outcome = Outcome::settings_lost;
        } else if (cut) {
            ++figures.cut_as_documented;
        }
    }
    DeleteFileA(input.c_str());
    DeleteFileA(first.c_str());
    DeleteFileA(second.c_str());
    return result;
}

void say_thread_ended(const std::string& file, const FileResult& result, const std::string& kept) {
    std::printf("settings_fuzz: %s, %s: the thread ended inside GDI+ without an exception in "
                "Scrivlet.dll (Wine's 64-bit GDI+ fault)%s%s\n",
                file.c_str(), result.ended_in.c_str(), kept.empty() ? "" : "; kept as ",
                kept.c_str());
}

SIZE_T peak_memory() {
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
    // Wine keeps the commit in the page-file figures.
    // Wine keeps the commit in the page-file figures but no peak of it; the
    // working set's peak it does keep.
    return std::max({memory.PeakPagefileUsage, memory.PagefileUsage, memory.PeakWorkingSetSize});
}

struct Options {
    std::string corpus;
    uint32_t seed = 1;
    DWORD seconds = 40;
    long count = 1000000;
    const char* fault_in_plugin = nullptr; // unhandled, thread-ends
    std::vector<std::string> files;
};

bool parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const bool has_value = i + 1 < argc;
        if (option == "--corpus" && has_value) {
            options.corpus = win::windows_path(argv[++i]);
        } else if (option == "--seed" && has_value) {
            options.seed = static_cast<uint32_t>(std::strtoul(argv[++i], nullptr, 10));
        } else if (option == "--seconds" && has_value) {
            options.seconds = static_cast<DWORD>(std::strtoul(argv[++i], nullptr, 10));
        } else if (option == "--count" && has_value) {
            options.count = std::atol(argv[++i]);
        } else if (option == "--fault-in-plugin" && has_value &&
                   (std::strcmp(argv[i + 1], "unhandled") == 0 ||
                    std::strcmp(argv[i + 1], "thread-ends") == 0)) {
            options.fault_in_plugin = argv[++i];
        } else if (option.rfind("--", 0) != 0) {
            options.files.push_back(win::windows_path(option));
        } else {
            return false;
        }
    }
    return !options.corpus.empty() || !options.files.empty();
}

std::vector<std::unique_ptr<test::Surface>> fresh_surfaces() {
    std::vector<std::unique_ptr<test::Surface>> surfaces;
    for (const Size& size : sizes) {
        surfaces.push_back(std::make_unique<test::Surface>(size.width, size.height));
    }
    return surfaces;
}

// The file, moved from the corpus folder into its subfolder `folder` unless
// it was there before this run (`known`); where it is now.
std::string move_into(const std::string& corpus, const char* folder, const char* name,
                      const std::string& file, bool known) {
    if (known) {
        return file;
    }
    const std::string subfolder = corpus + "\\" + folder;
    CreateDirectoryA(subfolder.c_str(), nullptr);
    const std::string moved = subfolder + "\\" + name;
    MoveFileExA(file.c_str(), moved.c_str(), MOVEFILE_REPLACE_EXISTING);
    return moved;
}

int run(const Options& options) {
    MODULEINFO plugin{};
    GetModuleInformation(GetCurrentProcess(), test::plugin_module(), &plugin, sizeof plugin);
    plugin_range.begin = reinterpret_cast<uintptr_t>(plugin.lpBaseOfDll);
    plugin_range.end = plugin_range.begin + plugin.SizeOfImage;
    AddVectoredExceptionHandler(1, note_plugin_exception);
    if (options.fault_in_plugin != nullptr &&
        std::strcmp(options.fault_in_plugin, "thread-ends") == 0) {
        AddVectoredExceptionHandler(0, end_faulting_thread);
    }
    // A thread that ended inside GDI+ may have left a surface's DC with
    // state saved and never restored; the next file draws on new ones.
    std::vector<std::unique_ptr<test::Surface>> surfaces = fresh_surfaces();
    std::snprintf(activity.corpus, sizeof activity.corpus, "%s", options.corpus.c_str());
    Worker worker;
    worker.fault_in_plugin = options.fault_in_plugin != nullptr;
    const win::PollingThread watchdog(watchdog_poll_ms, watch_for_hangs);
    Figures figures;
    long failures = 0;
    const DWORD start = GetTickCount();
    std::printf("settings_fuzz: seed %lu, at most %lu s and %ld new files\n",
                static_cast<unsigned long>(options.seed),
                static_cast<unsigned long>(options.seconds), options.count);

    std::vector<std::string> replay =
        options.files.empty() ? corpus_files(options.corpus) : options.files;
    if (options.files.empty() && sizeof(void*) == 4) {
        // What Wine's 64-bit GDI+ runs away on, through the build that ships.
        const std::vector<std::string> runaways =
            corpus_files(options.corpus + "\\" + wine64_hangs_folder);
        replay.insert(replay.end(), runaways.begin(), runaways.end());
    }
    std::vector<std::string> corpus;
    std::set<std::string> kept_failures;
    for (const std::string& file : replay) {
        corpus.push_back(file_bytes(file));
        const FileResult result = run_file(worker, file, corpus.back(), surfaces, figures);
        if (result.outcome == Outcome::settings_lost) {
            ++failures;
            kept_failures.insert(result.lost);
        } else if (result.outcome == Outcome::thread_ended) {
            say_thread_ended(file, result, {});
            surfaces = fresh_surfaces();
        }
    }
    // Large files are replayed but not mutated: their mutants mostly fail
    // the same way, each as large again.
    std::vector<const std::string*> parents;
    for (const std::string& bytes : corpus) {
        if (bytes.size() <= largest_parent) {
            parents.push_back(&bytes);
        }
    }
    std::printf("settings_fuzz: %zu corpus files replayed, %ld failed\n", replay.size(), failures);

    if (options.files.empty()) {
        Generator generate(options.seed);
        for (long made = 0; made < options.count && GetTickCount() - start < options.seconds * 1000;
             ++made) {
            const std::string bytes =
                parents.empty() || generate.chance(2)
                    ? generate.fresh()
                    : generate.mutate(
                          *parents[generate.below(static_cast<uint32_t>(parents.size()))]);
            char name[32];
            std::snprintf(name, sizeof name, "found-%016llx.ini",
                          static_cast<unsigned long long>(fnv1a(bytes)));
            // Written before the run, so that a crash or a hang leaves it
            // behind; removed again when the file passes.
            const std::string kept = options.corpus + "\\" + name;
            const std::string runaway = options.corpus + "\\" + wine64_hangs_folder + "\\" + name;
            if (sizeof(void*) == 8 &&
                GetFileAttributesA(runaway.c_str()) != INVALID_FILE_ATTRIBUTES) {
                std::printf("settings_fuzz: %s passed over: Wine's 64-bit GDI+ runs away on it\n",
                            runaway.c_str());
                continue;
            }
            const bool known = GetFileAttributesA(kept.c_str()) != INVALID_FILE_ATTRIBUTES;
            if (!known) {
                write_file(kept, bytes);
            }
            const FileResult result = run_file(worker, kept, bytes, surfaces, figures);
            if (result.outcome == Outcome::thread_ended) {
                say_thread_ended(kept, result,
                                 move_into(options.corpus, "thread-deaths", name, kept, known));
                surfaces = fresh_surfaces();
                continue;
            }
            const bool passed = result.outcome == Outcome::passed;
            failures += passed ? 0 : 1;
            const bool kept_already = !passed && !kept_failures.insert(result.lost).second;
            const bool slow = passed && figures.slowest_of_file >= slow_keep_ms;
            if (!known && ((passed && !slow) || kept_already)) {
                DeleteFileA(kept.c_str());
            }
            if (slow) {
                std::printf("settings_fuzz: a repaint took %lu ms; kept as %s\n",
                            static_cast<unsigned long>(figures.slowest_of_file),
                            move_into(options.corpus, "slow", name, kept, known).c_str());
            }
            if (!passed) {
                std::printf(kept_already ? "settings_fuzz: fails as a kept file does, not kept\n"
                                         : "settings_fuzz: kept as %s\n",
                            kept.c_str());
            }
        }
    }
    std::printf("settings_fuzz: %ld files, %ld repaints, %ld with a value cut on load as "
                "documented, %ld with the thread ended inside GDI+, slowest repaint %lu ms (%s), "
                "slowest without a shadow stretched onto a large surface %lu ms (%s), peak "
                "memory %lu KiB, %lu s\n",
                figures.files, figures.repaints, figures.cut_as_documented, figures.thread_ends,
                static_cast<unsigned long>(figures.slowest_ms), figures.slowest_file.c_str(),
                static_cast<unsigned long>(figures.slowest_unstretched_ms),
                figures.slowest_unstretched_file.c_str(),
                static_cast<unsigned long>(peak_memory() / 1024),
                static_cast<unsigned long>((GetTickCount() - start) / 1000));
    std::printf("settings_fuzz: %s (%ld failed)\n", failures == 0 ? "passed" : "FAILED", failures);
    return failures == 0 ? 0 : exit_failed;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parse(argc, argv, options)) {
        std::fprintf(stderr, "usage: settings_fuzz --corpus DIR [--seed S] [--seconds T] "
                             "[--count N] [--fault-in-plugin unhandled|thread-ends] [FILE...]\n");
        return exit_usage;
    }
    setvbuf(stdout, nullptr, _IONBF, 0);
    SetUnhandledExceptionFilter(on_crash);
    std::signal(SIGABRT, on_abort);
    try {
        return run(options);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "settings_fuzz: %s\n", error.what());
        return exit_usage;
    }
}
