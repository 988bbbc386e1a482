#include "support/plugin.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace scrivlet::test {

namespace {

template <typename Function> void bind(HMODULE module, const char* name, Function& function) {
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    if (function == nullptr) {
        throw std::runtime_error(std::string("Scrivlet.dll lacks ") + name);
    }
}

Plugin load() {
    Plugin loaded;
    const std::string path = program_folder() + "Scrivlet.dll";
    loaded.module = LoadLibraryA(path.c_str());
    if (loaded.module == nullptr) {
        throw std::runtime_error("cannot load " + path);
    }
    bind(loaded.module, "dllstartup", loaded.dllstartup);
    bind(loaded.module, "dllshutdown", loaded.dllshutdown);
    bind(loaded.module, "dlltype", loaded.dlltype);
    bind(loaded.module, "getinfo", loaded.getinfo);
    bind(loaded.module, "load_settings", loaded.load_settings);
    bind(loaded.module, "save_settings", loaded.save_settings);
    bind(loaded.module, "repaint", loaded.repaint);
    bind(loaded.module, "vis_configure", loaded.vis_configure);
    return loaded;
}

} // namespace

const Plugin& plugin() {
    static const Plugin loaded = load();
    return loaded;
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

std::string program_folder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}

} // namespace scrivlet::test
