// What a host and a user's system see of the built file: the export table,
// the imported DLLs, the version resource, and no build timestamp.

#include "support/plugin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace scrivlet::test {
namespace {

// A process loads only a DLL of its own width, so the headers are read in
// this build's layout (PE32 or PE32+) and must name this build's machine.
struct ImageKind {
    WORD machine;
    WORD optional_header_magic;
};
#ifdef _WIN64
constexpr ImageKind expected_kind{IMAGE_FILE_MACHINE_AMD64, IMAGE_NT_OPTIONAL_HDR64_MAGIC};
#else
constexpr ImageKind expected_kind{IMAGE_FILE_MACHINE_I386, IMAGE_NT_OPTIONAL_HDR32_MAGIC};
#endif

const IMAGE_NT_HEADERS& nt_headers(HMODULE module) {
    const auto* base = reinterpret_cast<const BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    return *reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
}

template <typename T> const T* at_rva(HMODULE module, DWORD rva) {
    return reinterpret_cast<const T*>(reinterpret_cast<const BYTE*>(module) + rva);
}

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The export names, sorted, as the host contract header lists them.
std::vector<std::string> listed_exports() {
    std::vector<std::string> names(api::export_names.begin(), api::export_names.end());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(DllImage, ExportsExactlyTheListedUndecoratedNames) {
    const HMODULE module = plugin_module();
    const auto& directory =
        nt_headers(module).OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    ASSERT_NE(directory.VirtualAddress, 0u);
    const auto* exports = at_rva<IMAGE_EXPORT_DIRECTORY>(module, directory.VirtualAddress);
    const auto* names = at_rva<DWORD>(module, exports->AddressOfNames);
    std::vector<std::string> exported;
    for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
        exported.emplace_back(at_rva<char>(module, names[i]));
    }
    std::sort(exported.begin(), exported.end());
    EXPECT_EQ(exported, listed_exports());
    EXPECT_EQ(exports->NumberOfFunctions, api::export_names.size());
}

// The linker's list of exports (the build copies scrivlet.def beside the
// tests): every line after EXPORTS names one, a ';' starts a comment.
TEST(DllImage, DefinitionFileNamesTheListedExports) {
    std::ifstream def(program_folder() + "scrivlet.def");
    ASSERT_TRUE(def.is_open());
    std::vector<std::string> named;
    bool in_exports = false;
    for (std::string line; std::getline(def, line);) {
        std::istringstream words(line.substr(0, line.find(';')));
        std::string word;
        if (!(words >> word)) {
            continue;
        }
        if (in_exports) {
            named.push_back(word);
        }
        in_exports = in_exports || word == "EXPORTS";
    }
    std::sort(named.begin(), named.end());
    EXPECT_EQ(named, listed_exports());
}

TEST(DllImage, ImportsOnlySystemLibraries) {
    const HMODULE module = plugin_module();
    const auto& directory =
        nt_headers(module).OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    ASSERT_NE(directory.VirtualAddress, 0u);
    std::set<std::string> imported;
    for (const auto* entry = at_rva<IMAGE_IMPORT_DESCRIPTOR>(module, directory.VirtualAddress);
         entry->Name != 0; ++entry) {
        imported.insert(lower(at_rva<char>(module, entry->Name)));
    }
    const std::set<std::string> allowed = {"kernel32.dll", "user32.dll",   "gdi32.dll",
                                           "gdiplus.dll",  "comdlg32.dll", "msvcrt.dll"};
    for (const std::string& name : imported) {
        EXPECT_TRUE(allowed.count(name)) << name << " is not a system library";
    }
    EXPECT_TRUE(imported.count("gdiplus.dll"));
    EXPECT_TRUE(imported.count("kernel32.dll"));
}

TEST(DllImage, HeaderCarriesNoTimestamp) {
    EXPECT_EQ(nt_headers(plugin_module()).FileHeader.TimeDateStamp, 0u);
}

TEST(DllImage, HeaderNamesThisBuildsMachineAndLayout) {
    const IMAGE_NT_HEADERS& headers = nt_headers(plugin_module());
    EXPECT_EQ(headers.Signature, static_cast<DWORD>(IMAGE_NT_SIGNATURE));
    EXPECT_EQ(headers.FileHeader.Machine, expected_kind.machine);
    EXPECT_EQ(headers.OptionalHeader.Magic, expected_kind.optional_header_magic);
    EXPECT_TRUE(headers.FileHeader.Characteristics & IMAGE_FILE_DLL);
}

TEST(DllImage, VersionResourceIs0204ForUsEnglish1252) {
    const std::string path = program_folder() + "Scrivlet.dll";
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> data(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, data.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00000002u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000004u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00000002u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000004u);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 1252);

    char* version = nullptr;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\StringFileInfo\\040904E4\\FileVersion",
                               reinterpret_cast<void**>(&version), &length));
    EXPECT_STREQ(version, "0.2.0.4");
}

} // namespace
} // namespace scrivlet::test
