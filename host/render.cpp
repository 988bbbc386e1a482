#include "command_support.h"
#include "commands.h"
#include "common/win/paths.h"
#include "dpi.h"
#include "meter_look.h"
#include "output_files.h"
#include "pixels.h"
#include "plugin_library.h"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace scrivlet::host {

using win::DibSurface;

int run_render(const Options& options) {
    CommandStart start = start_command(options, SectionNeed::present);
    const auto& [file, section, exists] = start.settings;
    const Size size = *options.size;
    png::Image image{size.width, size.height, {}};
    std::string look = "straight alpha";
    bool drawn = false;
    {
        DibSurface surface(size.width, size.height);
        {
            const win::MeterSession meter = start_meter(start.plugin.exports, section);
            meter.load_settings(file, section);
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
    write_png(options.typed.out, image);
    const std::vector<std::string> preview =
        preview_notes(preview_facts(file, section, *options.value, size, drawn));
    start.notes.insert(start.notes.end(), preview.begin(), preview.end());
    print_notes("render", start.notes);
    std::printf("render: wrote %s (%s, %s)\n", options.out.c_str(), size_text(size).c_str(),
                look.c_str());
    // The picture is written all the same: a script that renders a theme's
    // meters stops on the empty one, a person still sees it.
    return !drawn && options.strict ? exit_code::nothing_drawn : exit_code::ok;
}

} // namespace scrivlet::host
