#include "host_run.h"

#include "support/plugin.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace scrivlet::test {

namespace {

HANDLE inheritable_file(const std::string& path) {
    SECURITY_ATTRIBUTES security{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &security,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        throw std::runtime_error("cannot create " + path);
    }
    return file;
}

std::string without_carriage_returns(std::string text) {
    std::string kept;
    for (char c : text) {
        if (c != '\r') {
            kept += c;
        }
    }
    return kept;
}

void remove_tree(const std::string& folder) {
    WIN32_FIND_DATAA entry{};
    const HANDLE search = FindFirstFileA((folder + "*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = entry.cFileName;
            if (name == "." || name == "..") {
                continue;
            }
            if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                remove_tree(folder + name + "\\");
            } else {
                DeleteFileA((folder + name).c_str());
            }
        } while (FindNextFileA(search, &entry));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

// Made on first use, removed with everything in it when the program ends.
struct ScratchFolder {
    std::string path;
    ScratchFolder() {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        path = std::string(temp) + "scrivlet-host-test-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(path.c_str(), nullptr);
        path += "\\";
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    ~ScratchFolder() { remove_tree(path); }
};

} // namespace

const std::string& scratch_folder() {
    static const ScratchFolder folder;
    return folder.path;
}

std::string quote_command_line(const std::vector<std::string>& args) {
    std::string line;
    for (const std::string& arg : args) {
        if (!line.empty()) {
            line += ' ';
        }
        if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) {
            line += arg;
            continue;
        }
        // Backslashes double only before a quote, as the C runtime reads them.
        line += '"';
        size_t backslashes = 0;
        for (char c : arg) {
            if (c == '\\') {
                ++backslashes;
                continue;
            }
            line.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
            backslashes = 0;
            line += c;
        }
        line.append(backslashes * 2, '\\');
        line += '"';
    }
    return line;
}

RunningHost start_host(const std::vector<std::string>& args, const std::string& folder) {
    static int runs = 0;
    RunningHost running;
    const std::string stem = scratch_folder() + "run" + std::to_string(++runs);
    running.out_path = stem + ".out";
    running.err_path = stem + ".err";
    const std::string program = program_folder() + "scrivlet-host.exe";
    std::string line = quote_command_line({program});
    if (!args.empty()) {
        line += " " + quote_command_line(args);
    }

    const HANDLE out = inheritable_file(running.out_path);
    const HANDLE err = inheritable_file(running.err_path);
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out;
    startup.hStdError = err;
    std::vector<char> writable(line.begin(), line.end());
    writable.push_back('\0');
    const BOOL started =
        CreateProcessA(program.c_str(), writable.data(), nullptr, nullptr, TRUE, 0, nullptr,
                       folder.empty() ? nullptr : folder.c_str(), &startup, &running.process);
    CloseHandle(out);
    CloseHandle(err);
    if (!started) {
        throw std::runtime_error("cannot start " + program);
    }
    return running;
}

HostResult finish_host(RunningHost& running, DWORD timeout_ms) {
    HostResult result;
    if (WaitForSingleObject(running.process.hProcess, timeout_ms) != WAIT_OBJECT_0) {
        TerminateProcess(running.process.hProcess, 99);
        WaitForSingleObject(running.process.hProcess, INFINITE);
    }
    DWORD code = 0;
    GetExitCodeProcess(running.process.hProcess, &code);
    result.exit_code = static_cast<int>(code);
    CloseHandle(running.process.hThread);
    CloseHandle(running.process.hProcess);
    result.out = without_carriage_returns(read_text_file(running.out_path));
    result.err = without_carriage_returns(read_text_file(running.err_path));
    return result;
}

HostResult run_host(const std::vector<std::string>& args, const std::string& folder) {
    RunningHost running = start_host(args, folder);
    return finish_host(running);
}

std::string read_text_file(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

void write_text_file(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
}

} // namespace scrivlet::test
