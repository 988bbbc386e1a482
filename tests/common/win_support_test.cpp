// The Win32 layer the tools and tests share (common/win).

#include "common/win/buffer.h"
#include "common/win/child_process.h"
#include "common/win/dib_surface.h"
#include "common/win/gui_resources.h"
#include "common/win/handles.h"
#include "common/win/log_pixels.h"
#include "common/win/paths.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace scrivlet::win {
namespace {

// --- the owning holder ------------------------------------------------------

std::vector<int> closed;

void fake_close(int value) {
    closed.push_back(value);
}

int no_fake() {
    return -1;
}

using FakeHolder = UniqueAny<int, fake_close, no_fake>;

struct HolderCase {
    const char* what;
    void (*act)();
    std::vector<int> closed_during; // in order
    std::vector<int> closed_at_end; // by the holders going out of scope, in order
};

FakeHolder* kept = nullptr;

const HolderCase holder_cases[] = {
    {"an empty holder closes nothing", [] { FakeHolder empty; }, {}, {}},
    {"a holder closes what it holds", [] { FakeHolder one(1); }, {1}, {}},
    {"reset closes the old value, keeps the new",
     [] {
         static FakeHolder holder(1);
         holder.reset(2);
         kept = &holder;
     },
     {1},
     {2}},
    {"put closes the old value and hands out the slot",
     [] {
         static FakeHolder holder(3);
         *holder.put() = 4;
         kept = &holder;
     },
     {3},
     {4}},
    {"release gives up ownership",
     [] {
         FakeHolder holder(5);
         EXPECT_EQ(holder.release(), 5);
         EXPECT_FALSE(holder);
     },
     {},
     {}},
    {"a move hands over, the moved-from closes nothing",
     [] {
         FakeHolder from(6);
         const FakeHolder to(std::move(from));
         EXPECT_EQ(to.get(), 6);
         EXPECT_EQ(from.get(), -1);
     },
     {6},
     {}},
    {"a move assignment closes what the target held",
     [] {
         FakeHolder from(7);
         FakeHolder to(8);
         to = std::move(from);
         EXPECT_EQ(closed, std::vector<int>{8});
     },
     {8, 7},
     {}},
};

TEST(UniqueAny, ClosesEachValueOnceAndOnlyWhatItOwns) {
    for (const HolderCase& c : holder_cases) {
        closed.clear();
        kept = nullptr;
        c.act();
        EXPECT_EQ(closed, c.closed_during) << c.what;
        closed.clear();
        if (kept != nullptr) {
            kept->reset();
        }
        EXPECT_EQ(closed, c.closed_at_end) << c.what;
    }
}

TEST(UniqueAny, ClosesARealHandle) {
    HANDLE raw = nullptr;
    {
        const UniqueHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        ASSERT_TRUE(event);
        raw = event.get();
        DWORD flags = 0;
        EXPECT_TRUE(GetHandleInformation(raw, &flags));
    }
    DWORD flags = 0;
    EXPECT_FALSE(GetHandleInformation(raw, &flags));
}

TEST(SelectionGuard, PutsThePreviousObjectBack) {
    const UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    const UniqueBitmap bitmap(CreateCompatibleBitmap(dc.get(), 4, 4));
    ASSERT_TRUE(dc);
    ASSERT_TRUE(bitmap);
    const HGDIOBJ before = GetCurrentObject(dc.get(), OBJ_BITMAP);
    {
        const SelectionGuard selected(dc.get(), bitmap.get());
        EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), bitmap.get());
    }
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), before);
}

// --- the buffer reader --------------------------------------------------------

enum class Style { cut_at_size, needed_size, profile_string };

// A call with `text` to write, answering as the Win32 calls of that style do.
BufferReply fake_call(Style style, const std::string& text, char* buffer, size_t size, int& calls) {
    ++calls;
    const size_t room = style == Style::profile_string ? size - 1 : size;
    const size_t written = std::min(text.size(), room);
    std::copy_n(text.begin(), written, buffer);
    switch (style) {
    case Style::cut_at_size:
        if (written < size) {
            buffer[written] = '\0';
        }
        return cut_at_size_reply(static_cast<DWORD>(written), size);
    case Style::needed_size:
        if (text.size() >= size) {
            return needed_size_reply(static_cast<DWORD>(text.size() + 1), size);
        }
        buffer[written] = '\0';
        return needed_size_reply(static_cast<DWORD>(written), size);
    case Style::profile_string:
        buffer[written] = '\0';
        return profile_reply(static_cast<DWORD>(written), size, 1);
    }
    return {};
}

struct GrowCase {
    Style style;
    size_t length;
    int calls; // with the first buffer of first_buffer_chars
};

const GrowCase grow_cases[] = {
    {Style::cut_at_size, 1, 1},
    {Style::cut_at_size, MAX_PATH, 2},
    {Style::cut_at_size, 70000, 10},
    {Style::needed_size, 1, 1},
    {Style::needed_size, MAX_PATH, 2},
    {Style::needed_size, 70000, 2},
    {Style::profile_string, 1, 1},
    {Style::profile_string, MAX_PATH, 2},
    {Style::profile_string, 70000, 10},
    {Style::cut_at_size, first_buffer_chars - 1, 1},
    {Style::cut_at_size, first_buffer_chars, 2},
};

TEST(ReadGrowing, ReadsTheWholeTextWhateverItsLength) {
    for (const GrowCase& c : grow_cases) {
        std::string text(c.length, '\0');
        for (size_t i = 0; i < text.size(); ++i) {
            text[i] = static_cast<char>('a' + i % 26);
        }
        int calls = 0;
        const auto read = read_growing<char>([&](char* buffer, size_t size) {
            return fake_call(c.style, text, buffer, size, calls);
        });
        const std::string what =
            "style " + std::to_string(static_cast<int>(c.style)) + ", " + std::to_string(c.length);
        ASSERT_TRUE(read.has_value()) << what;
        EXPECT_EQ(*read, text) << what;
        EXPECT_EQ(calls, c.calls) << what;
    }
}

TEST(ReadGrowing, AFailureOrAnEndlessDemandGivesNothing) {
    int calls = 0;
    EXPECT_EQ(read_growing<char>([&](char*, size_t) {
                  ++calls;
                  return BufferReply{BufferReply::Kind::failed, 0};
              }),
              std::nullopt);
    EXPECT_EQ(calls, 1);
    calls = 0;
    EXPECT_EQ(read_growing<char>([&](char*, size_t) {
                  ++calls;
                  return BufferReply{BufferReply::Kind::too_small, 0};
              }),
              std::nullopt);
    // 256 doubled up to 16 Mi characters.
    EXPECT_EQ(calls, 17);
}

// --- paths ----------------------------------------------------------------------

TEST(Paths, ProgramFolderHoldsThisProgram) {
    const std::string file = module_file_name(nullptr);
    const std::string folder = program_folder();
    EXPECT_EQ(folder.back(), '\\');
    EXPECT_EQ(file.rfind(folder, 0), 0u);
    EXPECT_EQ(file.substr(folder.size()), "win_support_tests.exe");
    EXPECT_EQ(narrow(module_file_name_wide(nullptr)), file);
}

TEST(Paths, AScratchFolderGoesWithWhatItHolds) {
    std::string path;
    {
        const ScratchFolder first("scrivlet-win-test");
        const ScratchFolder second("scrivlet-win-test");
        path = first.path();
        EXPECT_NE(first.path(), second.path());
        EXPECT_EQ(path.rfind(temp_folder(), 0), 0u);
        ASSERT_TRUE(CreateDirectoryA((path + "inner").c_str(), nullptr));
        std::ofstream(path + "inner\\file.txt") << "kept until the folder goes";
        EXPECT_NE(GetFileAttributesA((path + "inner\\file.txt").c_str()), INVALID_FILE_ATTRIBUTES);
    }
    EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
}

// --- the child runner -----------------------------------------------------------

// This program is also the child: run with the variable set, the test below
// does what it says and ends the process.
constexpr const char* child_act_variable = "SCRIVLET_WIN_TEST_CHILD";
constexpr DWORD child_limit_ms = 60000; // a child takes about a second to start and end
constexpr DWORD hang_limit_ms = 10000;

TEST(ChildBehaviour, Act) {
    const char* act = std::getenv(child_act_variable);
    if (act == nullptr) {
        GTEST_SKIP() << "only in a child of the runner tests";
    }
    const std::string what = act;
    if (what == "hang") {
        Sleep(INFINITE);
    }
    if (what.rfind("exit:", 0) == 0) {
        std::printf("child exits with %s\n", what.c_str() + 5);
        std::fflush(stdout);
        ExitProcess(static_cast<UINT>(std::strtoul(what.c_str() + 5, nullptr, 10)));
    }
    if (what.rfind("env:", 0) == 0) {
        const char* value = std::getenv(what.c_str() + 4);
        ExitProcess(value != nullptr ? static_cast<UINT>(std::atoi(value)) : 1000);
    }
    ExitProcess(2000);
}

struct ChildCase {
    const char* act;
    std::vector<EnvironmentSetting> more;
    DWORD limit_ms;
    DWORD code;
    bool timed_out;
};

TEST(ChildRunner, ExitCodesEnvironmentAndTimeOut) {
    // A variable of ours that the child must see replaced, whatever its case.
    SetEnvironmentVariableA("SCRIVLET_WIN_TEST_VALUE", "5");
    const ChildCase cases[] = {
        {"exit:0", {}, child_limit_ms, 0, false},
        {"exit:3", {}, child_limit_ms, 3, false},
        {"exit:3221225477", {}, child_limit_ms, 3221225477u, false},
        {"env:SCRIVLET_WIN_TEST_VALUE", {}, child_limit_ms, 5, false},
        {"env:SCRIVLET_WIN_TEST_VALUE",
         {{L"scrivlet_win_test_value", L"17"}},
         child_limit_ms,
         17,
         false},
        {"env:SCRIVLET_WIN_TEST_OTHER",
         {{L"SCRIVLET_WIN_TEST_OTHER", L"42"}},
         child_limit_ms,
         42,
         false},
        {"hang", {}, hang_limit_ms, killed_exit_code, true},
    };
    const ScratchFolder folder("scrivlet-win-test");
    for (const ChildCase& c : cases) {
        ChildLaunch launch;
        launch.command_line = widen(
            quote_command_line({module_file_name(nullptr), "--gtest_filter=ChildBehaviour.Act"}));
        launch.environment = c.more;
        launch.environment.push_back({widen(child_act_variable), widen(c.act)});
        launch.out_file = folder.path() + "out.txt";
        const ChildExit exit = run_child(launch, c.limit_ms);
        EXPECT_EQ(exit.code, c.code) << c.act;
        EXPECT_EQ(exit.timed_out, c.timed_out) << c.act;
        if (std::string(c.act) == "exit:3") {
            std::ifstream file(launch.out_file);
            std::stringstream out;
            out << file.rdbuf();
            EXPECT_NE(out.str().find("child exits with 3\n"), std::string::npos) << out.str();
        }
    }
    SetEnvironmentVariableA("SCRIVLET_WIN_TEST_VALUE", nullptr);
}

TEST(ChildRunner, AProgramThatIsNotThereThrows) {
    ChildLaunch launch;
    launch.command_line = L"no-such-program-here.exe";
    EXPECT_THROW(run_child(launch, child_limit_ms), std::runtime_error);
}

struct QuoteCase {
    std::vector<std::string> args;
    const char* line;
};

TEST(QuoteCommandLine, TheRuntimeSplitsItBack) {
    const QuoteCase cases[] = {
        {{"a", "b"}, "a b"},
        {{"with space"}, "\"with space\""},
        {{""}, "\"\""},
        {{"say \"hi\""}, "\"say \\\"hi\\\"\""},
        {{"C:\\a b\\"}, "\"C:\\a b\\\\\""},
        {{"C:\\plain\\"}, "C:\\plain\\"},
        {{"a\\\"b"}, "\"a\\\\\\\"b\""},
    };
    for (const QuoteCase& c : cases) {
        EXPECT_EQ(quote_command_line(c.args), c.line);
    }
}

// --- LogPixels -----------------------------------------------------------------

constexpr const char* desktop_key = "Control Panel\\Desktop";

std::optional<DWORD> log_pixels() {
    DWORD value = 0;
    DWORD size = sizeof(value);
    return RegGetValueA(HKEY_CURRENT_USER, desktop_key, "LogPixels", RRF_RT_DWORD, nullptr, &value,
                        &size) == ERROR_SUCCESS
               ? std::optional<DWORD>(value)
               : std::nullopt;
}

void put_log_pixels(std::optional<DWORD> value) {
    UniqueHkey key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, desktop_key, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                              key.put(), nullptr),
              ERROR_SUCCESS);
    if (value) {
        RegSetValueExA(key.get(), "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&*value),
                       sizeof(*value));
    } else {
        RegDeleteValueA(key.get(), "LogPixels");
    }
}

class LogPixels : public testing::Test {
protected:
    void TearDown() override { put_log_pixels(before_); }
    const std::optional<DWORD> before_ = log_pixels();
};

TEST_F(LogPixels, SetWhileItLivesAndPutBackOnEveryWayOut) {
    for (const std::optional<DWORD> previous :
         {std::optional<DWORD>(120), std::optional<DWORD>()}) {
        const std::string what = previous ? "over 120" : "over none";
        put_log_pixels(previous);
        {
            const LogPixelsOverride override_dpi(144);
            EXPECT_TRUE(override_dpi.set()) << what;
            EXPECT_EQ(log_pixels(), std::optional<DWORD>(144)) << what;
        }
        EXPECT_EQ(log_pixels(), previous) << what;
        try {
            const LogPixelsOverride override_dpi(192);
            EXPECT_EQ(log_pixels(), std::optional<DWORD>(192)) << what;
            throw std::runtime_error("leaving by an exception");
        } catch (const std::runtime_error&) {
        }
        EXPECT_EQ(log_pixels(), previous) << what << ", after an exception";
    }
}

// --- the DIB surface -----------------------------------------------------------

TEST(DibSurface, IsATopDown32BitSectionSelectedIntoItsDc) {
    const DibSurface surface(7, 3);
    EXPECT_EQ(surface.width(), 7u);
    EXPECT_EQ(surface.height(), 3u);
    DIBSECTION section{};
    ASSERT_EQ(GetObjectA(GetCurrentObject(surface.dc(), OBJ_BITMAP), sizeof(section), &section),
              static_cast<int>(sizeof(section)));
    EXPECT_EQ(section.dsBm.bmWidth, 7);
    EXPECT_EQ(section.dsBm.bmHeight, 3);
    EXPECT_EQ(section.dsBm.bmBitsPixel, 32);
    // Top-down: the first row of the picture is the first row in memory.
    SetPixelV(surface.dc(), 6, 0, RGB(1, 2, 3));
    const uint8_t* bytes = surface.pixels();
    EXPECT_EQ(bytes[6 * 4 + 0], 3);
    EXPECT_EQ(bytes[6 * 4 + 1], 2);
    EXPECT_EQ(bytes[6 * 4 + 2], 1);
}

TEST(DibSurface, ReleasesEverythingItMadeWhenItGoesOrCannotBeMade) {
    const DibSurface warm_up(1, 1); // the platform's own first-use objects
    const DWORD before = gdi_objects();
    { const DibSurface surface(16, 16); }
    EXPECT_EQ(gdi_objects(), before);
    try {
        const DibSurface impossible(0, 0);
        ADD_FAILURE() << "a 0x0 section was made";
    } catch (const SurfaceError& error) {
        EXPECT_STREQ(error.what(), "cannot make a 0x0 surface (0 MiB)");
    }
    EXPECT_EQ(gdi_objects(), before);
}

} // namespace
} // namespace scrivlet::win
