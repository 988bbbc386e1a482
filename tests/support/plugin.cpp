#include "support/plugin.h"

#include "common/win/plugin_loader.h"
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
        win::LoadedPlugin plugin = win::load_plugin(win::plugin_beside_program());
        // Loaded for the rest of the process, as a host keeps it: the tests
        // never see the DLL's detach.
        Loaded result{plugin.module.release(), plugin.exports};
        if (result.module == nullptr) {
            throw std::runtime_error("cannot load " + plugin.path);
        }
        if (plugin.missing_export != nullptr) {
            throw std::runtime_error(std::string("Scrivlet.dll lacks ") + plugin.missing_export);
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

Meter::Meter(HWND owner) : session_(plugin(), owner) {
    if (session_.instance() == nullptr) {
        throw std::runtime_error("dllstartup gave no record");
    }
}

int Meter::repaint(HDC dc, const char* value, int width, int height) const {
    return session_.repaint(dc, value, width, height);
}

} // namespace scrivlet::test
