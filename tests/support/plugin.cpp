#include "support/plugin.h"

#include "common/win/wine64_rounding.h"
#include "support/standin.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace scrivlet::test {

namespace {

struct Loaded {
    HMODULE module = nullptr;
    api::Exports exports;
};

api::Repaint bound_repaint = nullptr;

// Every repaint on the real GDI+ of the 64-bit build, with the rounding that
// keeps Wine's 64-bit GDI+ from taking the thread down (a no-op in 32 bits).
// Beside the stand-in the DLL's calls are recorded as the DLL alone makes
// them.
int WINAPI repaint_with_wine64_rounding(HDC dc, void* instance, const char* value, int width,
                                        int height) {
    const win::Wine64Rounding rounding;
    return bound_repaint(dc, instance, value, width, height);
}

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
        if (!standin::loaded()) {
            bound_repaint = result.exports.repaint;
            result.exports.repaint = &repaint_with_wine64_rounding;
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
