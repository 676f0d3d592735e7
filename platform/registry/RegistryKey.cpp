// Current-user registry keys kept as REGEDIT4 files (see RegistryKey.h).
#include "platform/registry/RegistryKey.h"

#include <cstdio>
#include <cstdlib>
#include <set>
#include <system_error>
#include <utility>

#include <pwd.h>
#include <unistd.h>

#include "platform/registry/AtomicFile.h"
#include "platform/registry/RegFileFormat.h"

namespace {

// Far beyond any settings key; anything bigger is not one of our files.
constexpr size_t kMaxFileBytes = 16u << 20;
// The registry's own limit on a value's data.
constexpr size_t kMaxValueBytes = 1u << 20;

std::filesystem::path HomeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/')
        return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir != nullptr) {
        return pw->pw_dir;
    }
    return "/";
}

// "Software\ZelvoCam USB" -> root/Software/ZelvoCam USB.reg. Every part must be a plain folder
// name, so a key path can never reach outside the registry folder.
bool KeyFile(std::string_view path, std::filesystem::path& file) {
    std::filesystem::path result = RegistryKey::RootFolder();
    while (true) {
        const size_t sep = path.find('\\');
        const std::string_view part = path.substr(0, sep);
        if (part.empty() || part == "." || part == "..")
            return false;
        for (char c : part) {
            if (c == '/' || static_cast<unsigned char>(c) < 0x20)
                return false;
        }
        if (sep == std::string_view::npos) {
            result /= std::string(part) + ".reg";
            break;
        }
        result /= part;
        path.remove_prefix(sep + 1);
    }
    file = std::move(result);
    return true;
}

void Report(const std::filesystem::path& file, const std::string& what) {
    std::fprintf(stderr, "zelvocam: settings file %s: %s\n", file.c_str(), what.c_str());
}

std::string DescribeLines(const std::vector<int>& lines) {
    std::string text = lines.size() == 1 ? "line " : "lines ";
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            text += ", ";
        text += std::to_string(lines[i]);
    }
    return text;
}

}  // namespace

std::filesystem::path RegistryKey::RootFolder() {
    std::filesystem::path config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/') {
        config = xdg;
    } else {
        config = HomeFolder() / ".config";
    }
    return config / "zelvocam" / "registry";
}

bool RegistryKey::Open(std::string_view path) {
    Close();
    std::filesystem::path file;
    if (!KeyFile(path, file)) {
        std::fprintf(stderr, "zelvocam: not a usable settings key: %.*s\n",
                     static_cast<int>(path.size()), path.data());
        return false;
    }
    std::string error;
    if (!MakeFolders(file.parent_path(), error)) {
        Report(file, error);
        return false;
    }
    path_ = path;
    file_ = std::move(file);
    open_ = true;
    Load();
    return open_;
}

void RegistryKey::Load() {
    // Temporary files of a write that was cut short are of no use to anyone.
    std::error_code ec;
    const std::string prefix = TemporaryFilePrefix(file_);
    for (const auto& entry : std::filesystem::directory_iterator(file_.parent_path(), ec)) {
        if (entry.path().filename().string().starts_with(prefix)) {
            std::filesystem::remove(entry.path(), ec);
        }
    }

    std::string contents;
    std::string error;
    const ReadResult read = ReadWholeFile(file_, kMaxFileBytes, contents, error);
    if (read == ReadResult::kMissing)
        return;
    if (read == ReadResult::kFailed) {
        // Writing over a file we could not read would lose it; stay closed instead.
        Report(file_, error + "; settings take their defaults and are not stored");
        Close();
        return;
    }
    if (read == ReadResult::kTooLarge || !LooksLikeText(contents)) {
        std::filesystem::path aside = file_;
        aside += ".damaged";
        if (std::rename(file_.c_str(), aside.c_str()) != 0) {
            Report(file_,
                   "is not a settings file and cannot be moved aside; settings take "
                   "their defaults and are not stored");
            Close();
            return;
        }
        Report(file_, "is not a settings file; kept as " + aside.filename().string() +
                          ", settings start from their defaults");
        setAside_ = true;
        return;
    }
    ParsedRegFile parsed = ParseRegFile(contents);
    values_ = std::move(parsed.values);
    damagedLines_ = std::move(parsed.damagedLines);
    // Loading and each save open the key; the operator hears about a damaged file once.
    static std::set<std::filesystem::path> reported;
    if (!damagedLines_.empty() && reported.insert(file_).second) {
        Report(file_, DescribeLines(damagedLines_) +
                          " cannot be read; those values take their defaults, the others are "
                          "kept");
    }
}

RegistryKey::RegistryKey(RegistryKey&& other) noexcept {
    *this = std::move(other);
}

RegistryKey& RegistryKey::operator=(RegistryKey&& other) noexcept {
    if (this != &other) {
        open_ = std::exchange(other.open_, false);
        path_ = std::move(other.path_);
        file_ = std::move(other.file_);
        values_ = std::move(other.values_);
        damagedLines_ = std::move(other.damagedLines_);
        setAside_ = std::exchange(other.setAside_, false);
        other.Close();
    }
    return *this;
}

void RegistryKey::Close() {
    open_ = false;
    path_.clear();
    file_.clear();
    values_.clear();
    damagedLines_.clear();
    setAside_ = false;
}

std::optional<RegistryValue> RegistryKey::QueryValue(std::string_view name) const {
    if (!open_)
        return std::nullopt;
    for (const RegistryValue& v : values_) {
        if (SameValueName(v.name, name))
            return v;
    }
    return std::nullopt;
}

bool RegistryKey::SetValue(std::string_view name, uint32_t type, std::span<const uint8_t> data) {
    if (!open_ || !IsStorableValueName(name) || data.size() > kMaxValueBytes)
        return false;
    std::vector<RegistryValue> next = values_;
    bool replaced = false;
    for (RegistryValue& v : next) {
        if (SameValueName(v.name, name)) {
            v.type = type;
            v.data.assign(data.begin(), data.end());
            replaced = true;
            break;
        }
    }
    if (!replaced)
        next.push_back({std::string(name), type, {data.begin(), data.end()}});

    std::string error;
    if (!ReplaceFileAtomically(file_, FormatRegFile(path_, next), error)) {
        Report(file_, error);
        return false;
    }
    values_ = std::move(next);
    return true;
}

bool RegistryKey::QueryDword(std::string_view name, uint32_t& value) const {
    const auto v = QueryValue(name);
    if (!v || v->data.size() > 4)
        return false;
    uint32_t result = 0;
    for (size_t i = 0; i < v->data.size(); ++i)
        result |= uint32_t{v->data[i]} << (8 * i);
    value = result;
    return true;
}

bool RegistryKey::QueryText(std::string_view name, std::string& text, size_t bufferSize) const {
    const auto v = QueryValue(name);
    if (!v)
        return false;
    const std::vector<uint8_t>& d = v->data;
    const size_t needed = (!d.empty() && d.back() == 0) ? d.size() : d.size() + 1;
    if (needed > bufferSize)
        return false;
    size_t length = 0;
    while (length < d.size() && d[length] != 0)
        ++length;
    text.assign(reinterpret_cast<const char*>(d.data()), length);
    return true;
}

bool RegistryKey::SetDword(std::string_view name, uint32_t value) {
    const uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                              static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    return SetValue(name, REG_DWORD, bytes);
}

bool RegistryKey::SetText(std::string_view name, std::string_view text) {
    std::vector<uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    return SetValue(name, REG_SZ, bytes);
}
