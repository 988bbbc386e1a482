#include "command_support.h"
#include "commands.h"
#include "plugin_library.h"

#include <cstdio>

namespace scrivlet::host {

namespace {

constexpr unsigned info_strings = 7; // getinfo 0..6

} // namespace

int run_info(const Options& options) {
    const win::LoadedPlugin plugin = load_plugin_library(options.dll);
    const PluginExports& api = plugin.exports;
    std::printf("plug-in: %s\n", plugin.path.c_str());
    std::printf("dlltype: %d\n", api.dlltype());
    for (unsigned index = 0; index < info_strings; ++index) {
        const char* text = api.getinfo(index);
        std::printf("getinfo %u: %s\n", index, text != nullptr ? text : "(null)");
    }
    return exit_code::ok;
}

} // namespace scrivlet::host
