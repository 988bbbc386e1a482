#pragma once
// Where this run's drawings go or come from: one build writes what it draws,
// a build of the other width compares its own drawings with those files.

#include <string>

namespace scrivlet::test {

enum class ReferenceMode { none, write, compare };

struct ReferenceFolder {
    ReferenceMode mode = ReferenceMode::none;
    std::string path; // with a trailing backslash
};

// Set once from the command line, before any test runs.
ReferenceFolder& reference_folder();

} // namespace scrivlet::test
