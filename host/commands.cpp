// The dispatcher: parses the command line, runs the command (each in a file
// of its own), and turns every failure into its one line and exit code.

#include "commands.h"

#include "command_support.h"
#include "common/win/dib_surface.h"
#include "dpi.h"
#include "output_files.h"
#include "plugin/scrivlet_version.h"

#include <cstdio>
#include <exception>
#include <new>
#include <optional>
#include <string>
#include <vector>

namespace scrivlet::host {

int run_host(const std::vector<std::string>& args,
             const std::vector<std::string>& typed_args) noexcept {
    try {
        try {
            const Options options = parse_command_line(args, typed_args, is_folder);
            // With --dpi, the command runs again in a child that sees that
            // resolution; its exit code is this one's.
            if (const std::optional<int> child =
                    options.dpi ? run_at_dpi(*options.dpi) : std::nullopt) {
                return *child;
            }
            switch (options.command) {
            case Command::help:
                std::fputs(
                    (options.help_for ? usage_text(*options.help_for) : usage_text()).c_str(),
                    stdout);
                return exit_code::ok;
            case Command::version:
                std::printf("scrivlet-host %s\n", SCRIVLET_VERSION_TEXT);
                return exit_code::ok;
            case Command::check:
                return run_check(options);
            case Command::watch:
                return run_watch(options);
            case Command::info:
                return run_info(options);
            case Command::render:
                return run_render(options);
            case Command::sheet:
                return run_sheet(options);
            case Command::configure:
                return run_configure(options);
            case Command::bench:
                return run_bench(options);
            }
            throw Failure{exit_code::internal, "unhandled command"};
        } catch (const Failure& failure) {
            return report(failure);
        } catch (const win::SurfaceError& error) {
            return report(Failure{exit_code::output, error.what()});
        } catch (const std::bad_alloc&) {
            std::fflush(stdout);
            std::fputs("scrivlet-host: out of memory\n", stderr);
            return exit_code::output;
        } catch (const std::exception& error) {
            std::fflush(stdout);
            std::fprintf(stderr, "scrivlet-host: internal error: %s\n", error.what());
            return exit_code::internal;
        }
    } catch (...) {
        // Even the reporting above may throw (no memory for the message).
        return exit_code::internal;
    }
}

} // namespace scrivlet::host
