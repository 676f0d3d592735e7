// A registry key of the current user, kept as one REGEDIT4 text file.
//
// The station keeps its settings the way it always has: named values of three types in one key
// ("Software\ZelvoCam USB"). On Linux a key is the file
// $XDG_CONFIG_HOME/zelvocam/registry/<key path with '\' as '/'>.reg, readable and editable by
// an administrator. Every SetValue rewrites that file atomically, so a crash or power loss at
// any moment leaves the old or the new file, never a mixture; between BeginBatch and
// CommitBatch the values set are collected and written in one such replacement, so a group of
// values (a whole save) is likewise all there or not at all. A damaged line costs only its own
// value; a file that is not text at all, or larger than 1 MiB, is moved aside to
// "<file>.damaged" and the key starts empty. Both are reported once on stderr and never stop
// the station. No value is stored that would make the file too large to be read back.
//
// A file with comments or lines that cannot be read loses them when it is rewritten, so the
// first rewrite keeps the file as it was beside it, "<file>.before-YYYYMMDD-HHMMSS" (local
// time, private like the key file), and says so in one line on stderr. A copy with the same
// bytes already there is enough: a file that stays as it was (its folder refuses every write)
// gets one copy, not one per start. When no copy can be made the file is not rewritten.
//
// Typed queries follow the registry's rules, which the settings loader relies on: a DWORD query
// takes the stored bytes whatever their type (fewer than 4 are zero-extended, more than 4 fail),
// and a text query fails when the text and its terminator do not fit the caller's buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

inline constexpr uint32_t REG_SZ = 1;
inline constexpr uint32_t REG_BINARY = 3;
inline constexpr uint32_t REG_DWORD = 4;

// One stored value: its name as first written, its type and its bytes exactly as set.
struct RegistryValue {
    std::string name;
    uint32_t type = REG_BINARY;
    std::vector<uint8_t> data;
};

class RegistryKey {
  public:
    // A closed key: every query and set fails.
    RegistryKey() = default;
    // Opens or creates `path` (for example "Software\\ZelvoCam USB") below the current user.
    explicit RegistryKey(std::string_view path) { Open(path); }
    ~RegistryKey() { Close(); }
    RegistryKey(RegistryKey&& other) noexcept;
    RegistryKey& operator=(RegistryKey&& other) noexcept;
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // Opens or creates the key; false when the path is not a usable key path or its folder
    // cannot be created. Reads the key's file if there is one.
    bool Open(std::string_view path);
    void Close();
    bool IsOpen() const { return open_; }

    // The value as stored, or nothing when the key is closed or has no such value. Value names
    // compare without regard to ASCII case, as the registry's do.
    std::optional<RegistryValue> QueryValue(std::string_view name) const;
    // Stores the value and rewrites the key's file; false (and the key unchanged) when the key
    // is closed, the name cannot be stored, the file would grow over 1 MiB, or the file cannot
    // be replaced. Inside a batch the file is rewritten only by CommitBatch.
    bool SetValue(std::string_view name, uint32_t type, std::span<const uint8_t> data);

    // Starts collecting: the values set from now on are seen by every query at once but reach
    // the file only with CommitBatch, in one replacement. Closing the key before the commit
    // drops them. A second BeginBatch inside a batch changes nothing.
    void BeginBatch();
    // Ends the batch and writes what it set in one replacement (nothing when nothing was set).
    // False when the key is closed or the file cannot be replaced; the key then holds again
    // what it held at BeginBatch, as the file does.
    bool CommitBatch();

    // A DWORD read into a 4-byte buffer: the stored bytes of any type, little-endian,
    // zero-extended when shorter; fails when missing or longer than 4 bytes.
    bool QueryDword(std::string_view name, uint32_t& value) const;
    // A text read into a buffer of `bufferSize` bytes: the stored bytes up to the first zero;
    // fails when missing or when the text with its terminator needs more than `bufferSize`.
    bool QueryText(std::string_view name, std::string& text, size_t bufferSize = 255) const;
    bool SetDword(std::string_view name, uint32_t value);
    // Stores REG_SZ: the text and its terminator.
    bool SetText(std::string_view name, std::string_view text);

    // Every value in the order it was first written.
    const std::vector<RegistryValue>& Values() const { return contents_.values; }
    // The key's file (empty while closed).
    const std::filesystem::path& FilePath() const { return file_; }
    // Lines of the file that could not be read when the key was opened (1-based).
    const std::vector<int>& DamagedLines() const { return damagedLines_; }
    // True when the file was not text and was moved aside when the key was opened.
    bool FileSetAside() const { return setAside_; }

    // The folder that holds every key file: $XDG_CONFIG_HOME/zelvocam/registry, with
    // ~/.config when the variable is unset or not an absolute path.
    static std::filesystem::path RootFolder();

  private:
    // The values, where each name is, and the size of the file they make.
    struct Contents {
        std::vector<RegistryValue> values;
        std::unordered_map<std::string, size_t> index;  // by folded name
        size_t fileBytes = 0;
    };

    void Load();
    // Keeps original_ beside the key file unless an identical copy is there already; false,
    // reported, when it cannot.
    bool KeepFileAsItWas();
    // Sets the value in memory only; false, and nothing changed, when it cannot be stored.
    bool Stage(std::string_view name, uint32_t type, std::span<const uint8_t> data);

    bool open_ = false;
    std::string path_;  // the key path as given, '\' separated
    std::filesystem::path file_;
    Contents contents_;
    std::vector<int> damagedLines_;
    bool setAside_ = false;
    // The file as read, while its first rewrite would drop comments or unreadable lines.
    std::string original_;
    bool batching_ = false;
    bool batchChanged_ = false;  // a value was set since BeginBatch
    Contents beforeBatch_;       // what the file holds while a batch is open
};
