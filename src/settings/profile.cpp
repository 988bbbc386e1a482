#include "settings/profile.h"

#include "meter/font_style.h"
#include "settings/settings_keys.h"
#include "settings/value_list.h"
#include "text/template.h"

#include <windows.h>

#include <array>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace scrivlet {

namespace {

// The order the keys are written in, and so the order a new section lists
// them: each part's colour before its settings.
constexpr std::array<size_t, settings_keys.size()> writing_order = {1, 0, 2, 3, 5, 4, 6, 7};

static_assert(face_name_limit == LF_FACESIZE - 1, "the face name's room in LOGFONTA");

// The longest value the platform's ANSI writer takes: it widens the value
// into a counted string of at most 32767 units, terminator included. Wine
// passes a longer one on as a stray pointer, which deletes the key, blanks
// it or faults inside the call, so a longer one is never handed over.
constexpr size_t longest_written_value = 32766;

// Room for every value the record itself writes, so one call reads nearly
// every key.
constexpr size_t first_read_size = 256;

// A character that the profile reader drops from an end of a value: the
// blanks it trims there (Wine trims vertical tab, form feed and ^Z too), and
// quotes, since a value enclosed in a matching pair of either kind comes back
// without them. Line breaks are not here: they end the line in the file
// whatever is written round them.
bool reader_drops_at_end(char c) {
    return c == '"' || c == '\'' || c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1A';
}

// The text to hand the writer so that the reader gives back `value`: the
// platform's own convention, a value enclosed in double quotes, for values
// that begin or end with a character the reader would drop; every other
// value as it is. The writer sees the value up to its first NUL.
std::string profile_text(const std::string& value) {
    std::string text(value.c_str());
    if (!text.empty() && (reader_drops_at_end(text.front()) || reader_drops_at_end(text.back()))) {
        text = '"' + text + '"';
    }
    return text;
}

// The file the profile functions open for `file`: a bare name lives in the
// Windows folder, any other path is taken as it is.
std::string profile_path(const char* file) {
    if (std::strpbrk(file, "\\/") != nullptr) {
        return file;
    }
    std::string folder(MAX_PATH, '\0');
    const UINT length = GetWindowsDirectoryA(folder.data(), MAX_PATH);
    folder.resize(length < MAX_PATH ? length : 0);
    if (!folder.empty() && folder.back() != '\\') {
        folder += '\\';
    }
    return folder + file;
}

// The settings file opened for reading, as the profile reader opens it, for
// as long as the keys are read: while it is held no one can open the file
// exclusively, so every read sees the same file. A file that exists but
// cannot be opened so (held without sharing, not ours to read, a folder)
// would read as all defaults, and the next save would write those over the
// real section; the load leaves the record alone instead.
class ProfileFileHold {
public:
    explicit ProfileFileHold(const std::string& path)
        : handle_(CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {
        if (handle_ == INVALID_HANDLE_VALUE) {
            const DWORD error = GetLastError();
            unreadable_ = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
                          error == ERROR_ACCESS_DENIED ||
                          GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
        }
    }
    ProfileFileHold(const ProfileFileHold&) = delete;
    ProfileFileHold& operator=(const ProfileFileHold&) = delete;
    ~ProfileFileHold() {
        if (handle_ != INVALID_HANDLE_VALUE) {
            CloseHandle(handle_);
        }
    }

    // The file is there but the profile reader could not read it.
    bool unreadable() const { return unreadable_; }

private:
    HANDLE handle_;
    bool unreadable_ = false;
};

// The whole value, however long. The platform cuts a value that does not fit
// and then answers the buffer size less one, as it would for a value that
// fills the buffer exactly. Wine, cutting a quoted value whose text is one
// character longer than the buffer holds, also drops the last character
// kept and answers the buffer size less two. Only an answer below both
// proves the value whole.
std::string read_value(const char* file, const char* section, const SettingsKey& key) {
    const std::string missing = missing_text(key);
    if (file == nullptr || section == nullptr) {
        // With null the platform would read win.ini or list the section
        // names; neither is this meter's section.
        return missing;
    }
    std::string buffer(first_read_size, '\0');
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD length =
            GetPrivateProfileStringA(section, key.name, missing.c_str(), buffer.data(), size, file);
        if (length + 2 < size) {
            buffer.resize(length);
            return buffer;
        }
        if (buffer.size() > buffer.max_size() / 2) {
            // Cannot happen below the address space's end; give up on the
            // load rather than keep a cut value or ask forever.
            throw std::length_error("profile value too long");
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string write_text(const MeterRecord& record, size_t k) {
    const SettingsKey& key = settings_keys[k];
    switch (key.kind) {
    case KeyKind::list:
        return write_value_list(list_positions(key.fields), list_values(record, key.fields));
    case KeyKind::font_face:
        // The chooser always terminates the face, but a record is only bytes.
        return std::string(font_face(record), strnlen(font_face(record), LF_FACESIZE));
    case KeyKind::text_template:
        return record.text_template;
    }
    return {};
}

// The template as it goes out: the file is line based, so its breaks and
// tabs go out as placeholders, and keep them: drawing expands them back, so
// nothing changes on screen. A line break typed into the dialog's template
// box arrives as CR LF. A carriage return inside a value ends the line in
// the profile file, so the rest of the template would be lost on the next
// load; the pair goes out as one "%b" instead, which draws the same single
// break.
void placeholders_for_breaks(std::string& text_template) {
    replace_all(text_template, "\r\n", "\n");
    replace_all(text_template, "\n", "%b");
    replace_all(text_template, "\t", "%tab");
}

std::wstring widened(const std::string& text) {
    const int length =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

bool same_text_ignoring_case(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

} // namespace

LoadResult load_settings_from_profile(MeterRecord& record, const char* file, const char* section) {
    std::optional<ProfileFileHold> hold;
    if (file != nullptr) {
        hold.emplace(profile_path(file));
        if (hold->unreadable()) {
            return LoadResult::unreadable;
        }
    }
    // Everything is read and converted before the record is touched: running
    // out of memory on a huge value then leaves the record as it was.
    std::array<std::vector<int32_t>, settings_keys.size()> lists;
    std::string face;
    std::string text_template;
    for (size_t k = 0; k < settings_keys.size(); ++k) {
        const SettingsKey& key = settings_keys[k];
        std::string value = read_value(file, section, key);
        switch (key.kind) {
        case KeyKind::list:
            lists[k] = read_value_list(value, list_positions(key.fields));
            break;
        case KeyKind::font_face:
            face = value.substr(0, face_name_limit);
            break;
        case KeyKind::text_template:
            text_template = std::move(value);
            break;
        }
    }

    for (size_t k = 0; k < settings_keys.size(); ++k) {
        if (settings_keys[k].kind == KeyKind::list) {
            store_list(record, settings_keys[k].fields, lists[k]);
        }
    }
    char* face_name = font_face(record);
    std::memset(face_name, 0, LF_FACESIZE);
    std::memcpy(face_name, face.data(), face.size());
    record.text_template.swap(text_template);
    // The file keeps bold and italic only in the style bits; the font
    // description must agree with them, or the dialog's OK, which takes the
    // style from it, would drop them.
    record.log_font.lfWeight = (record.font_style & style_bold) != 0 ? bold_weight : plain_weight;
    record.log_font.lfItalic = (record.font_style & style_italic) != 0 ? 1 : 0;
    return LoadResult::read;
}

std::optional<ProfilePlace> profile_place(const char* file, const char* section) {
    if (file == nullptr || section == nullptr) {
        return std::nullopt;
    }
    const std::string path = profile_path(file);
    std::string full(MAX_PATH, '\0');
    DWORD length =
        GetFullPathNameA(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length >= full.size()) {
        full.resize(length);
        length = GetFullPathNameA(path.c_str(), length, full.data(), nullptr);
    }
    // A path the platform cannot make full is compared as it was given.
    full.resize(length != 0 && length < full.size() ? length : 0);
    return ProfilePlace{widened(full.empty() ? path : full), widened(section)};
}

bool same_place(const ProfilePlace& a, const ProfilePlace& b) {
    return same_text_ignoring_case(a.path, b.path) && same_text_ignoring_case(a.section, b.section);
}

std::array<std::string, settings_keys.size()> profile_values(MeterRecord record) {
    placeholders_for_breaks(record.text_template);
    std::array<std::string, settings_keys.size()> values;
    for (size_t k = 0; k < settings_keys.size(); ++k) {
        values[k] = profile_text(write_text(record, k));
    }
    return values;
}

void save_settings_to_profile(MeterRecord& record, const char* file, const char* section) {
    for (const size_t k : writing_order) {
        const SettingsKey& key = settings_keys[k];
        if (key.kind == KeyKind::text_template) {
            placeholders_for_breaks(record.text_template); // in the record too
        }
        const std::string value = profile_text(write_text(record, k));
        // Null would make the platform write win.ini or fail anyway. Only a
        // template read whole from a hand-made file can be too long to write;
        // the file then keeps the value it has.
        if (file != nullptr && section != nullptr && value.size() <= longest_written_value) {
            WritePrivateProfileStringA(section, key.name, value.c_str(), file);
        }
    }
}

} // namespace scrivlet
