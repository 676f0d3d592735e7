// Current-user registry keys kept as REGEDIT4 files (see RegistryKey.h).
#include "platform/registry/RegistryKey.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <set>
#include <utility>

#include "platform/registry/RegFileFormat.h"
#include "platform/system/AtomicFile.h"
#include "platform/system/Folders.h"

namespace {

// Far beyond any settings key (a few kilobytes); anything bigger is not one of our files, and
// nothing is stored that would make one.
constexpr size_t kMaxFileBytes = 1u << 20;

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
    return sys::XdgFolder("XDG_CONFIG_HOME", ".config") / "zelvocam" / "registry";
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
    if (!sys::MakeFolders(file.parent_path(), error)) {
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
    // Temporary files of a write that was cut short are of no use to anyone; those of a write
    // still at work (another copy of the program saving) are left to it.
    sys::RemoveStaleTemporaryFiles(file_);

    contents_.fileBytes = FormattedHeaderSize(path_);
    std::string contents;
    std::string error;
    const sys::ReadResult read = sys::ReadWholeFile(file_, kMaxFileBytes, contents, error);
    if (read == sys::ReadResult::kMissing)
        return;
    if (read == sys::ReadResult::kFailed) {
        // Writing over a file we could not read would lose it; stay closed instead.
        Report(file_, error + "; settings take their defaults and are not stored");
        Close();
        return;
    }
    if (read == sys::ReadResult::kTooLarge || !LooksLikeText(contents)) {
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
    contents_.values = std::move(parsed.values);
    for (size_t i = 0; i < contents_.values.size(); ++i) {
        contents_.index.emplace(FoldedName(contents_.values[i].name), i);
        contents_.fileBytes += FormattedValueSize(contents_.values[i]);
    }
    if (parsed.LosesLinesOnRewrite())
        original_ = std::move(contents);
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
        contents_ = std::move(other.contents_);
        damagedLines_ = std::move(other.damagedLines_);
        setAside_ = std::exchange(other.setAside_, false);
        original_ = std::move(other.original_);
        batching_ = std::exchange(other.batching_, false);
        batchChanged_ = std::exchange(other.batchChanged_, false);
        beforeBatch_ = std::move(other.beforeBatch_);
        other.Close();
    }
    return *this;
}

void RegistryKey::Close() {
    open_ = false;
    path_.clear();
    file_.clear();
    contents_ = {};
    damagedLines_.clear();
    setAside_ = false;
    original_.clear();
    batching_ = false;
    batchChanged_ = false;
    beforeBatch_ = {};
}

std::optional<RegistryValue> RegistryKey::QueryValue(std::string_view name) const {
    if (!open_)
        return std::nullopt;
    const auto found = contents_.index.find(FoldedName(name));
    if (found == contents_.index.end())
        return std::nullopt;
    return contents_.values[found->second];
}

bool RegistryKey::Stage(std::string_view name, uint32_t type, std::span<const uint8_t> data) {
    if (!open_ || !IsStorableValueName(name) || data.size() > kMaxFileBytes)
        return false;
    std::string folded = FoldedName(name);
    const auto found = contents_.index.find(folded);
    RegistryValue value{
        found == contents_.index.end() ? std::string(name) : contents_.values[found->second].name,
        type,
        {data.begin(), data.end()}};
    const size_t oldBytes =
        found == contents_.index.end() ? 0 : FormattedValueSize(contents_.values[found->second]);
    const size_t bytes = contents_.fileBytes - oldBytes + FormattedValueSize(value);
    if (bytes > kMaxFileBytes) {
        Report(file_, "value \"" + std::string(name) +
                          "\" not stored: the file would grow beyond what can be read back");
        return false;
    }
    if (found == contents_.index.end()) {
        contents_.index.emplace(std::move(folded), contents_.values.size());
        contents_.values.push_back(std::move(value));
    } else {
        contents_.values[found->second] = std::move(value);  // the first spelling stays
    }
    contents_.fileBytes = bytes;
    batchChanged_ = true;
    return true;
}

bool RegistryKey::SetValue(std::string_view name, uint32_t type, std::span<const uint8_t> data) {
    if (batching_)
        return Stage(name, type, data);
    BeginBatch();
    if (!Stage(name, type, data)) {
        batching_ = false;
        beforeBatch_ = {};
        return false;
    }
    return CommitBatch();
}

void RegistryKey::BeginBatch() {
    if (batching_)
        return;
    batching_ = true;
    batchChanged_ = false;
    beforeBatch_ = contents_;
}

bool RegistryKey::CommitBatch() {
    const bool wasBatching = std::exchange(batching_, false);
    Contents before = std::move(beforeBatch_);
    beforeBatch_ = {};
    if (!open_)
        return false;
    if (!wasBatching || !std::exchange(batchChanged_, false))
        return true;
    if (!original_.empty()) {
        if (!KeepFileAsItWas()) {
            contents_ = std::move(before);
            return false;
        }
        original_.clear();
    }
    std::string error;
    if (!sys::ReplaceFileAtomically(file_, FormatRegFile(path_, contents_.values),
                                    sys::kPrivateFileMode, error)) {
        Report(file_, error);
        contents_ = std::move(before);
        return false;
    }
    return true;
}

bool RegistryKey::KeepFileAsItWas() {
    const std::filesystem::path folder = file_.parent_path();
    const std::string prefix = file_.filename().string() + ".before-";
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        std::error_code sizeError;
        if (!entry.path().filename().string().starts_with(prefix) ||
            entry.file_size(sizeError) != original_.size() || sizeError) {
            continue;
        }
        std::string kept;
        std::string error;
        if (sys::ReadWholeFile(entry.path(), kMaxFileBytes, kept, error) ==
                sys::ReadResult::kRead &&
            kept == original_) {
            return true;
        }
    }

    char stamp[32] = "";
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (::localtime_r(&now, &local) != nullptr)
        std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    std::filesystem::path copy;
    // Two different files kept within one second get names of their own.
    for (int n = 1;; ++n) {
        copy = folder / (prefix + stamp + (n == 1 ? "" : "-" + std::to_string(n)));
        std::error_code statError;
        if (std::filesystem::symlink_status(copy, statError).type() ==
            std::filesystem::file_type::not_found) {
            break;
        }
    }
    std::string error;
    if (!sys::ReplaceFileAtomically(copy, original_, sys::kPrivateFileMode, error)) {
        Report(file_, "not rewritten, as its comments and unreadable lines cannot be kept in " +
                          copy.filename().string() + ": " + error);
        return false;
    }
    Report(file_,
           "its comments and unreadable lines are not carried over; the file as it was "
           "is kept as " +
               copy.filename().string());
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
