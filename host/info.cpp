#include "commands.h"
#include "plugin_library.h"

#include <array>
#include <cstdio>

namespace scrivlet::host {

namespace {

// What each getinfo string holds, by index; the plug-in answers "" past the
// last. The two dates are written day/month/year, as the plug-in gives them.
constexpr std::array<const char*, 7> info_labels = {
    "name", "author", "version", "date created", "date last changed", "web address", "contact",
};

} // namespace

int run_info(const Options& options) {
    const win::LoadedPlugin plugin = load_plugin_library(options.dll);
    const PluginExports& api = plugin.exports;
    std::printf("plug-in: %s\n", plugin.path.c_str());
    const int type = api.dlltype();
    std::printf("dlltype: %d (%s)\n", type,
                type == api::plugin_type ? "a visualisation plug-in"
                                         : "not a visualisation plug-in");
    for (unsigned index = 0; index < info_labels.size(); ++index) {
        const char* text = api.getinfo(index);
        std::printf("getinfo %u, %s: %s\n", index, info_labels[index],
                    text != nullptr ? text : "(null)");
    }
    return exit_code::ok;
}

} // namespace scrivlet::host
