#include "support/standin.h"

#include <windows.h>

#include <sstream>
#include <stdexcept>

namespace scrivlet::test::standin {

namespace {

template <typename Function> Function entry(const char* name) {
    const HMODULE module = GetModuleHandleA("gdiplus.dll");
    FARPROC address = module != nullptr ? GetProcAddress(module, name) : nullptr;
    if (address == nullptr) {
        throw std::runtime_error(std::string("the gdiplus.dll stand-in lacks ") + name);
    }
    return reinterpret_cast<Function>(reinterpret_cast<void*>(address));
}

} // namespace

bool loaded() {
    const HMODULE module = GetModuleHandleA("gdiplus.dll");
    return module != nullptr && GetProcAddress(module, "standin_log") != nullptr;
}

void reset() {
    entry<void (*)()>("standin_reset")();
}

std::string log() {
    return entry<const char* (*)()>("standin_log")();
}

std::vector<std::string> lines() {
    std::vector<std::string> result;
    std::istringstream stream(log());
    for (std::string line; std::getline(stream, line);) {
        result.push_back(line);
    }
    return result;
}

std::vector<std::string> lines_of(const std::vector<std::string>& functions) {
    std::vector<std::string> result;
    for (const std::string& line : lines()) {
        const std::string name = line.substr(0, line.find('('));
        for (const std::string& function : functions) {
            if (name == function) {
                result.push_back(line);
            }
        }
    }
    return result;
}

void fail(const char* function, int occurrence) {
    entry<void (*)(const char*, int)>("standin_fail")(function, occurrence);
}

void set_dpi(float x, float y) {
    entry<void (*)(float, float)>("standin_set_dpi")(x, y);
}

long live_objects() {
    return entry<long (*)()>("standin_live_objects")();
}

void set_recording(bool on) {
    entry<void (*)(int)>("standin_set_recording")(on ? 1 : 0);
}

} // namespace scrivlet::test::standin
