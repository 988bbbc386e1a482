#include "host_run.h"

#include "common/win/dll_override.h"
#include "common/win/find_window.h"
#include "common/win/paths.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace scrivlet::test {

namespace {

std::string without_carriage_returns(std::string text) {
    std::erase(text, '\r');
    return text;
}

constexpr const char* host_file_name = "scrivlet-host.exe";
constexpr const char* standin_host_file_name = "scrivlet-host-beside-standin.exe";

RunningHost start(const std::string& program, const std::vector<std::string>& args,
                  const std::string& folder,
                  const std::vector<win::EnvironmentSetting>& environment) {
    static int runs = 0;
    const std::string stem = scratch_folder() + "run" + std::to_string(++runs);
    std::vector<std::string> line = {program};
    line.insert(line.end(), args.begin(), args.end());
    win::ChildLaunch launch;
    launch.program = win::widen(program);
    launch.command_line = win::widen(quote_command_line(line));
    launch.environment = environment;
    launch.folder = folder;
    launch.out_file = stem + ".out";
    launch.err_file = stem + ".err";
    return RunningHost{win::start_child(launch), launch.out_file, launch.err_file};
}

// Made on first use, with the files copied in.
const std::string& standin_folder() {
    static const std::string folder = [] {
        const std::string made = scratch_folder() + "standin\\";
        const std::string bin = win::program_folder();
        CreateDirectoryA(made.c_str(), nullptr);
        if (!CopyFileA((bin + host_file_name).c_str(), (made + standin_host_file_name).c_str(),
                       FALSE) ||
            !CopyFileA((bin + "Scrivlet.dll").c_str(), (made + "Scrivlet.dll").c_str(), FALSE) ||
            !CopyFileA((bin + "standin\\gdiplus.dll").c_str(), (made + "gdiplus.dll").c_str(),
                       FALSE)) {
            throw std::runtime_error("cannot copy the host, the plug-in and the stand-in into " +
                                     made);
        }
        return made;
    }();
    return folder;
}

} // namespace

const std::string& scratch_folder() {
    // Made on first use, removed with everything in it when the program ends.
    static const win::ScratchFolder folder("scrivlet-host-test");
    return folder.path();
}

RunningHost start_host(const std::vector<std::string>& args, const std::string& folder) {
    return start(win::program_folder() + host_file_name, args, folder, {});
}

HostResult run_host_beside_standin(const std::vector<std::string>& args,
                                   const std::vector<win::EnvironmentSetting>& environment) {
    const std::string program = standin_folder() + standin_host_file_name;
    const win::WineDllOverride native_gdiplus(standin_host_file_name, "gdiplus", "native");
    return finish_host(start(program, args, "", environment));
}

HostResult finish_host(const RunningHost& running, DWORD timeout_ms) {
    const win::ChildExit exit = running.child.wait(timeout_ms);
    HostResult result;
    result.exit_code = static_cast<int>(exit.code);
    result.out = without_carriage_returns(file_bytes(running.out_path));
    result.err = without_carriage_returns(file_bytes(running.err_path));
    if (exit.timed_out) {
        result.err += "[ended: still running after " + std::to_string(timeout_ms) + " ms]\n";
    }
    return result;
}

HostResult run_host(const std::vector<std::string>& args, const std::string& folder) {
    return finish_host(start_host(args, folder));
}

HWND wait_for_window(const RunningHost& host, std::string_view class_name, std::string_view title) {
    HWND found = nullptr;
    wait_for(host, [&] {
        found = win::find_visible_window(host.child.id(), class_name, title);
        return found != nullptr;
    });
    return found;
}

const std::string& examples_folder() {
    static const std::string folder = windows_path(SCRIVLET_EXAMPLES_DIR) + "\\";
    return folder;
}

void write_text_file(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
}

} // namespace scrivlet::test
