// Files whose lines a person and the profile reader may read differently,
// each with what the profile functions answer of it. Natively the rows hold
// the host's reader to those answers; under Wine the same rows hold the
// profile functions themselves to them too, which is where they come from.

#include "settings_text.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include "host_run.h"

#include <fstream>
#endif

namespace scrivlet::host {
namespace {

// Values by key; "-" where the profile functions find no such key.
using Values = std::vector<std::pair<std::string, std::string>>;
constexpr const char* none = "-";

// A section name asked for: the keys listed for it, and the values of the
// keys asked for by name.
struct Asked {
    std::string section;
    std::vector<std::string> keys;
    Values values;
};

struct Row {
    const char* what;
    std::string bytes;
    std::vector<std::string> names;
    std::vector<Asked> asked;
};

struct Answer {
    std::vector<std::string> keys;
    Values values;
};

void expect_row(const Row& row, const std::vector<std::string>& names,
                const std::vector<Answer>& answers) {
    EXPECT_EQ(names, row.names) << row.what;
    for (size_t i = 0; i < row.asked.size(); ++i) {
        EXPECT_EQ(answers[i].keys, row.asked[i].keys) << row.what << ": " << row.asked[i].section;
        EXPECT_EQ(answers[i].values, row.asked[i].values)
            << row.what << ": " << row.asked[i].section;
    }
}

const std::string long_value(40000, 'x');

const std::vector<Row> rows = {
    {"a comment after a header",
     "[CPU] ; main meter [v2]\r\nScrivlet_Text=%v\r\n",
     {"CPU] ; main meter [v2"},
     {{"CPU] ; main meter [v2", {"Scrivlet_Text"}, {{"Scrivlet_Text", "%v"}}},
      {"CPU", {}, {{"Scrivlet_Text", none}}}}},
    {"text after the last ']'",
     "[CPU] ; main meter\nK=1\n",
     {"CPU"},
     {{"CPU", {"K"}, {{"K", "1"}}}}},
    {"a second ']'",
     "[A]B]\nK=1\n",
     {"A]B"},
     {{"A]B", {"K"}, {{"K", "1"}}}, {"A", {}, {{"K", none}}}}},
    {"blanks inside and around the brackets",
     "  [ Cpu\t]  \n K = v \n",
     {"Cpu"},
     {{"Cpu", {"K"}, {{"K", "v"}, {" K ", "v"}}}, {" Cpu ", {}, {{"K", "v"}}}}},
    {"a header without ']'",
     "[A]\nK=1\n[NoClose\nL=2\n",
     {"A"},
     {{"A", {"K", "L"}, {{"K", "1"}, {"L", "2"}, {"[NoClose", none}}}, {"NoClose", {}, {}}}},
    {"'#' and ';' lines",
     "[A]\n#K=1\n;L=2\n# a note\nM=3\n",
     {"A"},
     {{"A", {"#K", "M"}, {{"#K", "1"}, {"M", "3"}, {"# a note", none}, {"L", none}}}}},
    {"'=value' with no key", "[A]\n=v\nK=1\n", {"A"}, {{"A", {}, {{"K", "1"}}}}},
    {"blanks round '='",
     "[A]\nK = v w \nL\t=\tx\n",
     {"A"},
     {{"A", {"K", "L"}, {{"K", "v w"}, {"L", "x"}}}}},
    {"duplicate sections and keys, case aside",
     "[A]\nK=1\nk=2\n[B]\nL=1\n[a]\nK=3\nM=4\n",
     {"A", "B", "a"},
     {{"A", {"K", "k"}, {{"K", "1"}, {"k", "1"}, {"M", none}}},
      {"a", {"K", "k"}, {{"K", "1"}}},
      {"B", {"L"}, {{"L", "1"}}}}},
    {"a UTF-8 BOM", "\xEF\xBB\xBF[A]\r\nK=1\r\n", {"A"}, {{"A", {"K"}, {{"K", "1"}}}}},
    {"LF line ends",
     "[A]\nK=1\n\n[B]\nL=2\n",
     {"A", "B"},
     {{"A", {"K"}, {{"K", "1"}}}, {"B", {"L"}, {{"L", "2"}}}}},
    {"CR-only line ends",
     "[A]\rK=1\r\r[B]\rL=2\r",
     {"A", "B"},
     {{"A", {"K"}, {{"K", "1"}}}, {"B", {"L"}, {{"L", "2"}}}}},
    {"no final line end", "[A]\r\nK=1", {"A"}, {{"A", {"K"}, {{"K", "1"}}}}},
    {"a very long line",
     "[A]\nK=" + long_value + "\nL=2\n",
     {"A"},
     {{"A", {"K", "L"}, {{"K", long_value}, {"L", "2"}}}}},
    {"keys above the first header", "K=0\n[A]\nK=1\n", {"A"}, {{"A", {"K"}, {{"K", "1"}}}}},
    {"quotes round a value",
     "[A]\nK=\"q\"\nL='s'\nM=\"x\nN=\"a\"b\"\n",
     {"A"},
     {{"A", {"K", "L", "M", "N"}, {{"K", "q"}, {"L", "s"}, {"M", "\"x"}, {"N", "a\"b"}}}}},
    {"letters beyond ASCII, case aside",
     "[Caf\xE9]\nK=1\n",
     {"Caf\xE9"},
     {{"Caf\xE9", {"K"}, {{"K", "1"}}}, {"CAF\xC9", {}, {{"K", none}}}}},
    {"an empty name", "[]\nK=1\n", {}, {{"", {}, {{"K", none}}}}},
};

TEST(SettingsText, TheHostReadsTrickyFilesAsTheProfileReaderDoes) {
    for (const Row& row : rows) {
        std::vector<Answer> answers;
        for (const Asked& asked : row.asked) {
            Answer answer{profile_keys(row.bytes, asked.section), {}};
            for (const auto& [key, value] : asked.values) {
                answer.values.emplace_back(
                    key, profile_value(row.bytes, asked.section, key).value_or(none));
            }
            answers.push_back(answer);
        }
        expect_row(row, profile_section_names(row.bytes), answers);
    }
}

#ifdef _WIN32
// NUL-separated strings, `length` characters of them: an empty one among
// them is an item too, not the end of the list.
std::vector<std::string> listed(const std::vector<char>& buffer, DWORD length) {
    std::vector<std::string> items;
    for (DWORD at = 0; at < length;) {
        items.emplace_back(&buffer[at]);
        at += static_cast<DWORD>(items.back().size()) + 1;
    }
    return items;
}

void expect_profile_reader(const Row& row, const std::string& path) {
    std::ofstream(path, std::ios::binary) << row.bytes;
    std::vector<char> buffer(128 * 1024);
    const auto size = static_cast<DWORD>(buffer.size());
    const std::vector<std::string> names =
        listed(buffer, GetPrivateProfileSectionNamesA(buffer.data(), size, path.c_str()));
    std::vector<Answer> answers;
    for (const Asked& asked : row.asked) {
        const char* section = asked.section.c_str();
        Answer answer{listed(buffer, GetPrivateProfileStringA(section, nullptr, "", buffer.data(),
                                                              size, path.c_str())),
                      {}};
        for (const auto& [key, value] : asked.values) {
            const DWORD length = GetPrivateProfileStringA(section, key.c_str(), none, buffer.data(),
                                                          size, path.c_str());
            answer.values.emplace_back(key, std::string(buffer.data(), length));
        }
        answers.push_back(answer);
    }
    expect_row(row, names, answers);
}

TEST(SettingsText, TheProfileReaderAnswersTheTableAsWritten) {
    for (size_t i = 0; i < rows.size(); ++i) {
        expect_profile_reader(rows[i],
                              test::scratch_folder() + "tricky-" + std::to_string(i) + ".ini");
    }
}
#endif

} // namespace
} // namespace scrivlet::host
