#include "common/win/child_process.h"

#include "common/win/paths.h"

#include <algorithm>
#include <stdexcept>

namespace scrivlet::win {

namespace {

std::string windows_error(const std::string& what, DWORD error) {
    return what + " (Windows error " + std::to_string(error) + ")";
}

UniqueFile inheritable_file(const std::string& path) {
    SECURITY_ATTRIBUTES security{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    UniqueFile file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &security,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        throw std::runtime_error(windows_error("cannot make '" + path + "'", GetLastError()));
    }
    return file;
}

HANDLE inherited_std_handle(DWORD which) {
    const HANDLE handle = GetStdHandle(which);
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE) {
        SetHandleInformation(handle, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    }
    return handle;
}

bool same_name(const std::wstring& entry, const std::wstring& name) {
    return entry.size() > name.size() && entry[name.size()] == L'=' &&
           CompareStringOrdinal(entry.c_str(), static_cast<int>(name.size()), name.c_str(),
                                static_cast<int>(name.size()), TRUE) == CSTR_EQUAL;
}

// This process's environment with the settings applied, sorted by name as
// the system expects, as one block of NUL-terminated entries.
std::vector<wchar_t> environment_block(const std::vector<EnvironmentSetting>& settings) {
    std::vector<std::wstring> entries;
    if (wchar_t* own = GetEnvironmentStringsW()) {
        for (const wchar_t* entry = own; *entry != L'\0'; entry += wcslen(entry) + 1) {
            entries.emplace_back(entry);
        }
        FreeEnvironmentStringsW(own);
    }
    for (const EnvironmentSetting& setting : settings) {
        std::erase_if(entries,
                      [&](const std::wstring& entry) { return same_name(entry, setting.name); });
        entries.push_back(setting.name + L"=" + setting.value);
    }
    std::sort(entries.begin(), entries.end(), [](const std::wstring& a, const std::wstring& b) {
        return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_LESS_THAN;
    });
    std::vector<wchar_t> block;
    for (const std::wstring& entry : entries) {
        block.insert(block.end(), entry.begin(), entry.end());
        block.push_back(L'\0');
    }
    block.push_back(L'\0');
    return block;
}

// A job that ends the child's whole tree at once. Nested jobs are not to be
// had everywhere: without one, only the child itself can be ended.
UniqueHandle job_for(HANDLE process) {
    UniqueHandle job(CreateJobObjectW(nullptr, nullptr));
    if (job && !AssignProcessToJobObject(job.get(), process)) {
        job.reset();
    }
    return job;
}

} // namespace

Child start_child(const ChildLaunch& launch) {
    UniqueFile out;
    UniqueFile err;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = inherited_std_handle(STD_INPUT_HANDLE);
    if (!launch.out_file.empty()) {
        out = inheritable_file(launch.out_file);
    }
    if (!launch.err_file.empty()) {
        err = inheritable_file(launch.err_file);
    }
    startup.hStdOutput = out ? out.get() : inherited_std_handle(STD_OUTPUT_HANDLE);
    startup.hStdError = err ? err.get() : inherited_std_handle(STD_ERROR_HANDLE);

    // CreateProcessW may write into the command line.
    std::vector<wchar_t> line(launch.command_line.begin(), launch.command_line.end());
    line.push_back(L'\0');
    std::vector<wchar_t> environment;
    DWORD flags = CREATE_SUSPENDED;
    if (!launch.environment.empty()) {
        environment = environment_block(launch.environment);
        flags |= CREATE_UNICODE_ENVIRONMENT;
    }
    const std::wstring folder = widen(launch.folder);
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(launch.program.empty() ? nullptr : launch.program.c_str(), line.data(),
                        nullptr, nullptr, TRUE, flags,
                        environment.empty() ? nullptr : environment.data(),
                        folder.empty() ? nullptr : folder.c_str(), &startup, &started)) {
        const std::wstring& name = launch.program.empty() ? launch.command_line : launch.program;
        throw std::runtime_error(
            windows_error("cannot start '" + narrow(name) + "'", GetLastError()));
    }
    UniqueHandle process(started.hProcess);
    const UniqueHandle thread(started.hThread);
    UniqueHandle job = job_for(process.get());
    ResumeThread(thread.get());
    return Child(std::move(process), std::move(job), started.dwProcessId);
}

ChildExit Child::wait(DWORD time_limit_ms) const {
    ChildExit result;
    if (WaitForSingleObject(process_.get(), time_limit_ms) != WAIT_OBJECT_0) {
        result.timed_out = true;
        if (!job_ || !TerminateJobObject(job_.get(), killed_exit_code)) {
            TerminateProcess(process_.get(), killed_exit_code);
        }
        WaitForSingleObject(process_.get(), INFINITE);
    }
    GetExitCodeProcess(process_.get(), &result.code);
    return result;
}

ChildExit run_child(const ChildLaunch& launch, DWORD time_limit_ms) {
    return start_child(launch).wait(time_limit_ms);
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

} // namespace scrivlet::win
