// scrivlet-host bench: what a repaint costs the host, and how much of that is
// the plug-in's own code rather than GDI+ drawing. The share is measured in a
// child process beside the gdiplus.dll stand-in, because one process cannot
// hold the real library and the stand-in under the same name.

#include "commands.h"

#include "failure.h"
#include "meter_look.h"
#include "plugin_library.h"
#include "settings_file.h"
#include "settings_text.h"

#include "common/file_bytes.h"
#include "common/win/child_process.h"
#include "common/win/dib_surface.h"
#include "common/win/dll_override.h"
#include "common/win/handles.h"
#include "common/win/paths.h"

#include <windows.h>
// Types and signatures only: every GDI+ function is bound at run time, so
// that the host never imports gdiplus.dll and its child can run beside the
// stand-in.
#include <gdiplus.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace scrivlet::host {

namespace {

struct Look {
    const char* name;
    int border_enabled;
    int shadow_enabled;
};

// The default look is "border": a new meter has a 1-pt border and no shadow.
constexpr std::array<Look, 4> looks = {{
    {"plain", 0, 0},
    {"border", 1, 0},
    {"shadow", 0, 1},
    {"both", 1, 1},
}};

constexpr std::array<Size, 2> bench_sizes = {{{200, 40}, {800, 160}}};
// The large surface costs several times as much a repaint.
constexpr uint32_t large_runs_divisor = 4;
constexpr uint32_t warm_up_runs = 10;

// What the default template and zero decimals make of the value 42.
constexpr const char* bench_value = "42";
constexpr const char* bench_face = "Arial";
constexpr int bench_font_size_pt = 16;
constexpr Gdiplus::ARGB bench_text_colour = 0xFFFFFFFF;
constexpr double points_per_inch = 72.0;

constexpr const char* child_line_tag = "standin";
constexpr const char* standin_folder_name = "standin\\";
constexpr const char* gdiplus_file_name = "gdiplus.dll";
constexpr const char* plugin_file_name = "Scrivlet.dll";
constexpr const char* host_file_name = "scrivlet-host.exe";
// The child's own file name, so that the override below touches no other program.
constexpr const char* standin_host_file_name = "scrivlet-host-standin.exe";
constexpr const char* native_load_order = "native";
constexpr const char* standin_recording_export = "standin_set_recording";

struct Timing {
    double median_us = 0;
    double min_us = 0;
    double max_us = 0;
};

// What is timed: the four looks in a file of the bench's own, or the
// author's meter in theirs.
struct BenchPlan {
    std::string settings; // absolute
    std::vector<std::string> sections;
    std::string value = bench_value;
    // What a bare GdipDrawString draws for comparison: the text the meter
    // shows, in its face and size.
    std::wstring text;
    std::wstring face;
    int size_pt = bench_font_size_pt;
};

struct Row {
    std::string section;
    Size size;
    Timing timing;
};

uint32_t runs_at(Size size, uint32_t runs) {
    return size == bench_sizes.front() ? runs : std::max<uint32_t>(1, runs / large_runs_divisor);
}

template <typename Draw> Timing time_runs(uint32_t runs, Draw&& draw) {
    LARGE_INTEGER frequency{};
    QueryPerformanceFrequency(&frequency);
    for (uint32_t i = 0; i < warm_up_runs; ++i) {
        draw();
    }
    GdiFlush();
    std::vector<double> samples;
    samples.reserve(runs);
    for (uint32_t i = 0; i < runs; ++i) {
        LARGE_INTEGER start{};
        LARGE_INTEGER end{};
        QueryPerformanceCounter(&start);
        draw();
        // GDI may batch: what is still queued belongs to this repaint.
        GdiFlush();
        QueryPerformanceCounter(&end);
        samples.push_back(static_cast<double>(end.QuadPart - start.QuadPart) * 1e6 /
                          static_cast<double>(frequency.QuadPart));
    }
    std::sort(samples.begin(), samples.end());
    const size_t middle = samples.size() / 2;
    const double median =
        samples.size() % 2 == 1 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2.0;
    return Timing{median, samples.front(), samples.back()};
}

// The four looks, one section each, every other key at its default.
std::string settings_text() {
    std::string text;
    for (const Look& look : looks) {
        text += std::string("[") + look.name + "]\r\n";
        text += "Scrivlet_FontColor=255,255,255,255\r\n";
        text +=
            "Scrivlet_FontSettings=0,0," + std::to_string(bench_font_size_pt) + ",0,0,0,30,1\r\n";
        text += std::string("Scrivlet_Font=") + bench_face + "\r\n";
        text += "Scrivlet_Text=%v\r\n";
        text += "Scrivlet_BorderColor=255,0,0,0\r\n";
        text += "Scrivlet_BorderSettings=" + std::to_string(look.border_enabled) + ",1\r\n";
        text += "Scrivlet_ShadowColor=255,0,0,0\r\n";
        text += "Scrivlet_ShadowSettings=" + std::to_string(look.shadow_enabled) + ",5,5,0,0\r\n";
    }
    return text;
}

// The four looks' settings in a file of a folder of its own while it lives.
class TempSettingsFile {
public:
    TempSettingsFile() : folder_("scrivlet-bench"), path_(folder_.path() + "bench.ini") {
        std::ofstream file(path_, std::ios::binary | std::ios::trunc);
        file << settings_text();
        if (!file.flush()) {
            throw Failure{exit_code::internal, "bench: cannot write '" + path_ + "'"};
        }
    }

    const std::string& path() const { return path_; }

private:
    const win::ScratchFolder folder_;
    const std::string path_;
};

std::vector<Row> measure_repaints(const PluginExports& api, const BenchPlan& plan, uint32_t runs) {
    std::vector<Row> rows;
    const char* value = plan.value.c_str();
    for (const std::string& section : plan.sections) {
        const win::MeterSession meter = start_meter(api, section);
        meter.load_settings(plan.settings, section);
        for (const Size size : bench_sizes) {
            win::DibSurface surface(size.width, size.height);
            const HDC dc = surface.dc();
            // The runs are timed where they run: a hand-over per repaint
            // would be counted as the plug-in's.
            Timing timing;
            const win::PluginCall call{"repaint", value, static_cast<int>(size.width),
                                       static_cast<int>(size.height)};
            meter.run(call, [&] {
                timing = time_runs(runs_at(size, runs), [&] {
                    api.repaint(dc, meter.instance(), value, static_cast<int>(size.width),
                                static_cast<int>(size.height));
                });
            });
            rows.push_back(Row{section, size, timing});
        }
    }
    return rows;
}

// --- the bare GdipDrawString baseline, with GDI+ bound at run time -------

namespace flat = Gdiplus::DllExports;

struct GdiplusFlat {
    Gdiplus::Status(WINAPI* startup)(ULONG_PTR*, const Gdiplus::GdiplusStartupInput*,
                                     Gdiplus::GdiplusStartupOutput*) = nullptr;
    VOID(WINAPI* shutdown)(ULONG_PTR) = nullptr;
    decltype(&flat::GdipCreateFromHDC) create_from_hdc = nullptr;
    decltype(&flat::GdipDeleteGraphics) delete_graphics = nullptr;
    decltype(&flat::GdipCreateFontFamilyFromName) create_family = nullptr;
    decltype(&flat::GdipDeleteFontFamily) delete_family = nullptr;
    decltype(&flat::GdipCreateFont) create_font = nullptr;
    decltype(&flat::GdipDeleteFont) delete_font = nullptr;
    decltype(&flat::GdipCreateSolidFill) create_solid_fill = nullptr;
    decltype(&flat::GdipDeleteBrush) delete_brush = nullptr;
    decltype(&flat::GdipDrawString) draw_string = nullptr;
};

// gdiplus.dll loaded by name (the same module the plug-in uses) and started
// for as long as the holder lives.
class GdiplusLibrary {
public:
    GdiplusLibrary() : module_(LoadLibraryA(gdiplus_file_name)) {
        if (!module_) {
            throw Failure{exit_code::internal, "bench: cannot load gdiplus.dll"};
        }
        bind("GdiplusStartup", api_.startup);
        bind("GdiplusShutdown", api_.shutdown);
        bind("GdipCreateFromHDC", api_.create_from_hdc);
        bind("GdipDeleteGraphics", api_.delete_graphics);
        bind("GdipCreateFontFamilyFromName", api_.create_family);
        bind("GdipDeleteFontFamily", api_.delete_family);
        bind("GdipCreateFont", api_.create_font);
        bind("GdipDeleteFont", api_.delete_font);
        bind("GdipCreateSolidFill", api_.create_solid_fill);
        bind("GdipDeleteBrush", api_.delete_brush);
        bind("GdipDrawString", api_.draw_string);
        const Gdiplus::GdiplusStartupInput input;
        if (api_.startup(&token_, &input, nullptr) != Gdiplus::Ok) {
            throw Failure{exit_code::internal, "bench: GdiplusStartup failed"};
        }
    }
    GdiplusLibrary(const GdiplusLibrary&) = delete;
    GdiplusLibrary& operator=(const GdiplusLibrary&) = delete;
    // Shut down before the module is freed.
    ~GdiplusLibrary() { api_.shutdown(token_); }

    const GdiplusFlat& api() const { return api_; }

private:
    template <typename Function> void bind(const char* name, Function& function) {
        function = reinterpret_cast<Function>(
            reinterpret_cast<void*>(GetProcAddress(module_.get(), name)));
        if (function == nullptr) {
            throw Failure{exit_code::internal, std::string("bench: gdiplus.dll lacks ") + name};
        }
    }

    win::UniqueModule module_;
    GdiplusFlat api_;
    ULONG_PTR token_ = 0;
};

// A plain text meter: the same text, face and size, drawn once with every
// object made and released in the call, as repaint does.
void bare_draw_string(const GdiplusFlat& gdip, HDC dc, const Gdiplus::RectF& layout,
                      const BenchPlan& plan) {
    Gdiplus::GpGraphics* graphics = nullptr;
    if (gdip.create_from_hdc(dc, &graphics) != Gdiplus::Ok) {
        return;
    }
    Gdiplus::GpFontFamily* family = nullptr;
    Gdiplus::GpFont* font = nullptr;
    Gdiplus::GpSolidFill* brush = nullptr;
    if (gdip.create_family(plan.face.c_str(), nullptr, &family) == Gdiplus::Ok &&
        gdip.create_font(family, static_cast<Gdiplus::REAL>(plan.size_pt),
                         Gdiplus::FontStyleRegular, Gdiplus::UnitPoint, &font) == Gdiplus::Ok &&
        gdip.create_solid_fill(bench_text_colour, &brush) == Gdiplus::Ok) {
        gdip.draw_string(graphics, plan.text.c_str(), static_cast<INT>(plan.text.size()), font,
                         &layout, nullptr, brush);
    }
    if (brush != nullptr) {
        gdip.delete_brush(brush);
    }
    if (font != nullptr) {
        gdip.delete_font(font);
    }
    if (family != nullptr) {
        gdip.delete_family(family);
    }
    gdip.delete_graphics(graphics);
}

// Median per size, index as bench_sizes.
std::array<double, bench_sizes.size()> measure_bare_draw_string(const BenchPlan& plan,
                                                                uint32_t runs) {
    const GdiplusLibrary library;
    std::array<double, bench_sizes.size()> medians{};
    for (size_t i = 0; i < bench_sizes.size(); ++i) {
        const Size size = bench_sizes[i];
        win::DibSurface surface(size.width, size.height);
        const HDC dc = surface.dc();
        // The plain look's rectangle: the surface less one point each way, here in pixels.
        const double dpi_x = GetDeviceCaps(dc, LOGPIXELSX);
        const double dpi_y = GetDeviceCaps(dc, LOGPIXELSY);
        const Gdiplus::RectF layout{
            0.0f, 0.0f, static_cast<Gdiplus::REAL>(size.width - dpi_x / points_per_inch),
            static_cast<Gdiplus::REAL>(size.height - dpi_y / points_per_inch)};
        medians[i] = time_runs(runs_at(size, runs), [&] {
                         bare_draw_string(library.api(), dc, layout, plan);
                     }).median_us;
    }
    return medians;
}

// --- the stand-in child ---------------------------------------------------

// What --ini and --section name, or the four looks in a file of the
// bench's own that `own` keeps while the plan is used.
BenchPlan bench_plan(const Options& options, std::optional<TempSettingsFile>& own) {
    BenchPlan plan;
    if (options.ini.empty()) {
        plan.settings = own.emplace().path();
        for (const Look& look : looks) {
            plan.sections.emplace_back(look.name);
        }
        plan.text = win::widen(bench_value);
        plan.face = win::widen(bench_face);
        return plan;
    }
    plan.settings = readable_settings_file(options.typed.inis.front());
    const std::vector<std::string> names = section_names(plan.settings);
    // As render finds it: in the UTF-8 bytes typed when the file has only those.
    const std::optional<std::string> section =
        section_in_file(names, options.section(), options.typed.sections.front());
    if (!section) {
        throw Failure{exit_code::settings_file,
                      no_section_text(options.section(), options.ini, names)};
    }
    plan.sections = {*section};
    plan.value = options.value.value_or(bench_value);
    const MeterLook look = meter_look(plan.settings, *section);
    plan.text = win::widen(meter_text(look, plan.value));
    plan.face = win::widen(look.face);
    plan.size_pt = look.lists.font_size;
    return plan;
}

int run_standin_child(const Options& options) {
    const win::LoadedPlugin plugin = visualisation_plugin(options.dll);
    const HMODULE gdiplus = GetModuleHandleA(gdiplus_file_name);
    const auto set_recording = gdiplus == nullptr
                                   ? nullptr
                                   : reinterpret_cast<void (*)(int)>(reinterpret_cast<void*>(
                                         GetProcAddress(gdiplus, standin_recording_export)));
    if (set_recording == nullptr) {
        throw Failure{exit_code::plugin,
                      "bench: '" + plugin.path + "' did not load the gdiplus.dll stand-in"};
    }
    set_recording(0);
    std::optional<TempSettingsFile> own;
    const BenchPlan plan = bench_plan(options, own);
    const std::vector<Row> rows = measure_repaints(plugin.exports, plan, options.runs);
    // The rows in the parent's order: the same plan makes the same rows.
    for (const Row& row : rows) {
        std::printf("%s %.3f\n", child_line_tag, row.timing.median_us);
    }
    return exit_code::ok;
}

// A folder of its own for one child: the stand-in, a copy of the plug-in
// under test and of this program side by side. Wine looks for a native
// gdiplus.dll in the program's folder, not in the plug-in's.
class StandinFolder {
public:
    StandinFolder(const std::string& standin_dll, const std::string& plugin_dll)
        : folder_("scrivlet-bench-standin") {
        if (!CopyFileA(standin_dll.c_str(), (folder_.path() + gdiplus_file_name).c_str(), FALSE) ||
            !CopyFileA(plugin_dll.c_str(), plugin_path().c_str(), FALSE) ||
            !CopyFileA((win::program_folder() + host_file_name).c_str(), program_path().c_str(),
                       FALSE)) {
            throw Failure{exit_code::internal, "bench: cannot copy the stand-in and the plug-in "
                                               "into '" +
                                                   folder_.path() + "'"};
        }
    }

    std::string plugin_path() const { return folder_.path() + plugin_file_name; }
    std::string program_path() const { return folder_.path() + standin_host_file_name; }
    std::string output_path() const { return folder_.path() + "standin.out"; }

private:
    const win::ScratchFolder folder_;
};

// Wine loads the stand-in for the child's file name while this lives.
win::WineDllOverride native_gdiplus_for_child() {
    try {
        return win::WineDllOverride(standin_host_file_name, "gdiplus", native_load_order);
    } catch (const std::runtime_error& error) {
        throw Failure{exit_code::internal, std::string("bench: ") + error.what()};
    }
}

struct ChildResult {
    DWORD exit_code = exit_code::internal;
    std::string out;
};

// The child writes its lines to a file: read after it ends, nothing can
// block on a full pipe.
ChildResult run_child(const StandinFolder& folder, const Options& options, const BenchPlan& plan) {
    std::vector<std::string> args = {
        folder.program_path(),          "bench",  "--dll",
        folder.plugin_path(),           "--runs", std::to_string(options.runs),
        std::string(standin_child_flag)};
    if (!options.ini.empty()) {
        // The child runs in a folder of its own: the file by its whole path.
        args.insert(args.end(), {"--ini", plan.settings, "--section", plan.sections.front(),
                                 "--value", plan.value});
    }
    win::ChildLaunch launch;
    launch.program = win::widen(folder.program_path());
    launch.command_line = win::widen(win::quote_command_line(args));
    launch.out_file = folder.output_path();
    ChildResult result;
    try {
        result.exit_code = win::run_child(launch).code;
    } catch (const std::runtime_error& error) {
        throw Failure{exit_code::internal, std::string("bench: the stand-in run: ") + error.what()};
    }
    result.out = file_bytes(launch.out_file);
    return result;
}

// The median of each row, in order, from the child's lines.
std::vector<double> parse_child_lines(const std::string& out) {
    std::vector<double> medians;
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string tag;
        double median = 0;
        if (fields >> tag >> median && tag == child_line_tag) {
            medians.push_back(median);
        }
    }
    return medians;
}

// Stand-in medians by row, or none (with the reason printed) when there is
// no run.
std::vector<double> measure_standin(const std::string& plugin_path, const Options& options,
                                    const BenchPlan& plan) {
    const std::string standin_dll = win::program_folder() + standin_folder_name + gdiplus_file_name;
    if (GetFileAttributesA(standin_dll.c_str()) == INVALID_FILE_ATTRIBUTES) {
        std::printf("bench: no gdiplus.dll stand-in at %s: stand-in column skipped\n",
                    standin_dll.c_str());
        return {};
    }
    const StandinFolder folder(standin_dll, plugin_path);
    const win::WineDllOverride native_gdiplus = native_gdiplus_for_child();
    std::fflush(stdout);
    const ChildResult child = run_child(folder, options, plan);
    if (child.exit_code != exit_code::ok) {
        std::printf("bench: the stand-in run failed (exit %lu): stand-in column skipped\n",
                    static_cast<unsigned long>(child.exit_code));
        return {};
    }
    return parse_child_lines(child.out);
}

} // namespace

int run_bench(const Options& options) {
    if (options.standin_child) {
        return run_standin_child(options);
    }
    const win::LoadedPlugin plugin = visualisation_plugin(options.dll);
    std::optional<TempSettingsFile> own;
    const BenchPlan plan = bench_plan(options, own);
    const std::vector<Row> rows = measure_repaints(plugin.exports, plan, options.runs);
    const std::array<double, bench_sizes.size()> bare =
        measure_bare_draw_string(plan, options.runs);
    const std::vector<double> standin = measure_standin(plugin.path, options, plan);

    // "four looks, value "42", Arial 16 pt" or "[CPU] of cpu.ini, value "37,5", Tahoma 12 pt".
    const std::string meter = options.ini.empty() ? std::string("four looks")
                                                  : "[" + options.section() + "] of " + options.ini;
    const std::string face = win::narrow(plan.face) + " " + std::to_string(plan.size_pt) + " pt";
    std::printf("bench: repaint of %s, %s, value \"%s\", %s; %s at %s, %s at %s, after %s each\n",
                plugin.path.c_str(), meter.c_str(), plan.value.c_str(), face.c_str(),
                counted(runs_at(bench_sizes[0], options.runs), "run", "runs").c_str(),
                size_text(bench_sizes[0]).c_str(),
                counted(runs_at(bench_sizes[1], options.runs), "run", "runs").c_str(),
                size_text(bench_sizes[1]).c_str(),
                counted(warm_up_runs, "warm-up run", "warm-up runs").c_str());
    // A section name may be longer than the looks' column.
    size_t name_width = 7;
    for (const std::string& section : plan.sections) {
        name_width = std::max(name_width, section.size());
    }
    const int width = static_cast<int>(name_width);
    std::printf("%-*s %-8s %10s %10s %10s %10s %13s\n", width,
                options.ini.empty() ? "look" : "meter", "size", "median_us", "min_us", "max_us",
                "standin_%", "x_drawstring");
    for (size_t i = 0; i < rows.size(); ++i) {
        const Row& row = rows[i];
        const std::string size = size_text(row.size);
        const size_t size_index = row.size == bench_sizes[0] ? 0 : 1;
        char share[32] = "-";
        if (i < standin.size() && row.timing.median_us > 0) {
            std::snprintf(share, sizeof share, "%.2f", standin[i] * 100.0 / row.timing.median_us);
        }
        char ratio[32] = "-";
        if (bare[size_index] > 0) {
            std::snprintf(ratio, sizeof ratio, "%.2f", row.timing.median_us / bare[size_index]);
        }
        std::printf("%-*s %-8s %10.1f %10.1f %10.1f %10s %13s\n", width, row.section.c_str(),
                    size.c_str(), row.timing.median_us, row.timing.min_us, row.timing.max_us, share,
                    ratio);
    }
    std::printf("bare GdipDrawString: median %.1f us at %s, %.1f us at %s\n", bare[0],
                size_text(bench_sizes[0]).c_str(), bare[1], size_text(bench_sizes[1]).c_str());
    return exit_code::ok;
}

} // namespace scrivlet::host
