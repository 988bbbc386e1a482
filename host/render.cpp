#include "command_support.h"
#include "commands.h"
#include "dpi.h"
#include "pixels.h"
#include "plugin_library.h"

#include <cstdio>
#include <optional>
#include <string>

namespace scrivlet::host {

using win::DibSurface;

int run_render(const Options& options) {
    if (const std::optional<int> child = rerun_at_requested_dpi(options)) {
        return *child;
    }
    const win::LoadedPlugin plugin = load_plugin_library(options.dll);
    require_visualisation_type(plugin);
    bool section_exists = false;
    const std::string file = settings_with_section(options, true, section_exists);
    const Size size = *options.size;
    png::Image image{size.width, size.height, {}};
    std::string look = "straight alpha";
    bool drawn = false;
    {
        DibSurface surface(size.width, size.height);
        {
            const win::MeterSession meter = start_meter(plugin.exports, options.section());
            meter.load_settings(file, options.section());
            meter.repaint(surface.dc(), options.value->c_str(), static_cast<int>(size.width),
                          static_cast<int>(size.height));
        }
        drawn = anything_drawn(surface);
        image.rgba = image_buffer(size);
        if (options.background) {
            composite_block(surface.pixels(), size.width, size.height, *options.background,
                            image.rgba.data(), size.width, 0, 0);
            look = "opaque";
        } else {
            unpremultiply(surface.pixels(), static_cast<size_t>(size.width) * size.height,
                          image.rgba.data());
        }
    } // the surface goes before the PNG's buffers are made
    write_png(options.out, image);
    print_notes("render",
                preview_notes(preview_facts(file, options.section(), *options.value, size, drawn)));
    std::printf("render: wrote %s (%s, %s)\n", options.out.c_str(),
                size_text(size.width, size.height).c_str(), look.c_str());
    // The picture is written all the same: a script that renders a theme's
    // meters stops on the empty one, a person still sees it.
    return !drawn && options.strict ? exit_code::nothing_drawn : exit_code::ok;
}

} // namespace scrivlet::host
