#include "support/plugin.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace scrivlet::test {

namespace {

struct Loaded {
    HMODULE module = nullptr;
    api::Exports exports;
};

const Loaded& loaded() {
    static const Loaded library = [] {
        Loaded result;
        const std::string path = program_folder() + "Scrivlet.dll";
        result.module = LoadLibraryA(path.c_str());
        if (result.module == nullptr) {
            throw std::runtime_error("cannot load " + path);
        }
        if (const char* missing = api::bind_exports(result.module, result.exports)) {
            throw std::runtime_error(std::string("Scrivlet.dll lacks ") + missing);
        }
        return result;
    }();
    return library;
}

} // namespace

const api::Exports& plugin() {
    return loaded().exports;
}

HMODULE plugin_module() {
    return loaded().module;
}

Meter::Meter(HWND owner) : instance_(plugin().dllstartup(owner, 0)) {
    if (instance_ == nullptr) {
        throw std::runtime_error("dllstartup gave no record");
    }
}

Meter::~Meter() {
    plugin().dllshutdown(instance_);
}

int Meter::repaint(HDC dc, const char* value, int width, int height) const {
    return plugin().repaint(dc, instance_, value, width, height);
}

} // namespace scrivlet::test
