// Whole-file reads and crash-safe replacement of files: settings keys, pictures, the hand-off
// file.
//
// ReplaceFileAtomically writes the new contents to a temporary file in the same folder,
// flushes it to the disk, renames it over the old file and flushes the folder, so after a
// crash or power loss at any moment the file is either the old one or the new one, whole.
// The rename replaces whatever entry has the file's name: a symbolic link there is replaced
// by the file, never written through.
//
// While a writer works on its temporary file it holds an exclusive flock on it, until the file
// has been renamed into place. A temporary file that nobody holds is left over from a writer
// that was killed, and RemoveStaleTemporaryFiles removes it; one that is held belongs to a
// writer still at work (another copy of the program, say) and is left alone.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace sys {

// A file only its owner may read and write (settings keys, the hand-off file).
inline constexpr mode_t kPrivateFileMode = 0600;
// A file anyone may read and write as far as the umask allows (pictures).
inline constexpr mode_t kOrdinaryFileMode = 0666;

// Creates the folder and any missing parents with mode 0700 (existing ones are left as they
// are). False with `error` set when that fails.
bool MakeFolders(const std::filesystem::path& folder, std::string& error);

// Replaces (or creates) `file` with `contents`. The new file gets `mode` as a newly created file
// does: less the umask (or the folder's default access list). False with `error` set, and the
// old file untouched, when any step fails.
//
// The flushes to the disk are what make the replacement survive a power loss; a process that
// is killed loses nothing without them. Tests that only kill processes or read the files back
// may turn them off to stay fast; the program never does.
bool ReplaceFileAtomically(const std::filesystem::path& file, std::string_view contents,
                           mode_t mode, std::string& error);
inline bool ReplaceFileAtomically(const std::filesystem::path& file,
                                  std::span<const uint8_t> contents, mode_t mode,
                                  std::string& error) {
    return ReplaceFileAtomically(
        file, std::string_view(reinterpret_cast<const char*>(contents.data()), contents.size()),
        mode, error);
}

void SetFlushToDisk(bool flush);
bool FlushToDisk();

// The prefix of the temporary files ReplaceFileAtomically creates for `file`.
std::string TemporaryFilePrefix(const std::filesystem::path& file);

// Removes the temporary files of `file` that writers killed mid-write left behind, and only
// those: a temporary file a live writer holds stays.
void RemoveStaleTemporaryFiles(const std::filesystem::path& file);

enum class ReadResult { kRead, kMissing, kTooLarge, kFailed };

// Reads the whole of `file` into `contents`, refusing files larger than `limit` bytes. Whatever
// is at the path, the call never waits for another process: a named pipe, a device or a folder
// is kFailed.
ReadResult ReadWholeFile(const std::filesystem::path& file, size_t limit, std::string& contents,
                         std::string& error);

}  // namespace sys
