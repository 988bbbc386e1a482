// A built Scrivlet.dll checked whole in one program start, since under
// emulation each start of a 32-bit Windows program costs about a minute:
// the host's sequence through the exports, the image's headers and
// resources, and the pixels of the examples and of hostile settings files.
//
//   x86_32_check [GTEST FLAGS] --reference-out DIR   draws and writes DIR
//   x86_32_check [GTEST FLAGS] --reference DIR       draws and compares with DIR
//
// The 64-bit build writes the reference, the 32-bit build compares with it.
// The last line of standard output is "x86_32_check: N tests, M failed (T ms)"
// only when the program ran to its end. Whoever runs it must look for that
// line: a process can end mid-run with status 0 here (under qemu, see the
// printer below; in 64 bits, Wine's GDI+ fault ending the main thread).

#include "cross_width/reference.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace scrivlet::test {

ReferenceFolder& reference_folder() {
    static ReferenceFolder folder;
    return folder;
}

namespace {

// Without a folder the pixel test fails, saying so; the others still run.
bool read_arguments(int argc, char** argv) {
    if (argc == 1) {
        return true;
    }
    if (argc != 3) {
        return false;
    }
    const std::string option = argv[1];
    ReferenceFolder& folder = reference_folder();
    if (option == "--reference-out") {
        folder.mode = ReferenceMode::write;
    } else if (option == "--reference") {
        folder.mode = ReferenceMode::compare;
    } else {
        return false;
    }
    folder.path = argv[2];
    if (folder.path.empty()) {
        return false;
    }
    if (folder.path.back() != '\\' && folder.path.back() != '/') {
        folder.path += '\\';
    }
    return true;
}

// GoogleTest's own printer also hands every failure to OutputDebugStringA.
// Under 32-bit Wine emulated by qemu, the exception that call raises is
// never returned from: the process ends mid-run without a word, with
// status 0 or killed. This printer writes to standard output only.
class Printer : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo& test) override {
        std::printf("[ RUN      ] %s.%s\n", test.test_suite_name(), test.name());
        std::fflush(stdout);
    }
    void OnTestPartResult(const testing::TestPartResult& result) override {
        if (result.failed()) {
            std::printf("%s:%d: Failure\n%s\n", result.file_name() ? result.file_name() : "?",
                        result.line_number(), result.message());
            std::fflush(stdout);
        }
    }
    void OnTestEnd(const testing::TestInfo& test) override {
        std::printf("%s %s.%s (%lld ms)\n",
                    test.result()->Passed() ? "[       OK ]" : "[  FAILED  ]",
                    test.test_suite_name(), test.name(),
                    static_cast<long long>(test.result()->elapsed_time()));
        std::fflush(stdout);
    }
    void OnTestProgramEnd(const testing::UnitTest& run) override {
        std::printf("x86_32_check: %d tests, %d failed (%lld ms)\n", run.test_to_run_count(),
                    run.failed_test_count(), static_cast<long long>(run.elapsed_time()));
        std::fflush(stdout);
    }
};

} // namespace

} // namespace scrivlet::test

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (!scrivlet::test::read_arguments(argc, argv)) {
        std::fprintf(stderr, "usage: x86_32_check [gtest flags] --reference-out DIR | "
                             "--reference DIR\n");
        return 2;
    }
    testing::TestEventListeners& listeners = testing::UnitTest::GetInstance()->listeners();
    delete listeners.Release(listeners.default_result_printer());
    listeners.Append(new scrivlet::test::Printer);
    return RUN_ALL_TESTS();
}
